// The locate dialog: finds records of a data source's dataset by one field's
// value through the record search, from the first record or the next one.
#pragma once

#include <memory>
#include <string>

#include "platform/core/enums.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdialog.h"

class TButton;
class TCheckBox;
class TComboBox;
class TDataLink;
class TEdit;
class TGroupBox;
class TPanel;
class TRadioButton;
class TqzLocateDialog;

TASKMOOR_ENUM(TqzFieldSortType, fsSortByFieldNo, fsSortByFieldName)
TASKMOOR_ENUM(TqzDefaultButtonType, dbFindFirst, dbFindNext)
TASKMOOR_ENUM(TqzFieldSelection, fsAllFields, fsVisibleFields)
TASKMOOR_ENUM(TqzLocateDlgOption, ldoCaseSensitiveBelow, ldoCloseOnMatch, ldoPreserveSearchText)
using TqzLocateDlgOptions = TSet<TqzLocateDlgOption>;

class TqzLocateDlg;
// (Dialog)
using TqzOnInitLocateDlgEvent = TEvent<TqzLocateDlg*>;
// (Dialog, SearchField)
using TqzLocateSelectFieldEvent = TEvent<TqzLocateDlg*, const std::string&>;

// The form: the value, the search type and the field list; First, Next and
// a Cancel (or Close) button that Escape presses.
class TqzLocateDlg : public TForm {
    TASKMOOR_CLASS(TqzLocateDlg, TForm)
public:
    TqzLocateDlg(TComponent* AOwner, TqzLocateDialog* Dialog, TDataSet* DataSet);

    TGroupBox* FieldValueGroup() const { return FFieldValueGroup; }
    TEdit* SearchValue() const { return FSearchValue; }
    TGroupBox* SearchTypeGroup() const { return FSearchTypeGroup; }
    TCheckBox* CaseSensitiveCheckBox() const { return FCaseSensitiveCheckBox; }
    TRadioButton* ExactMatchBtn() const { return FExactMatchBtn; }
    TRadioButton* PartialMatchStartBtn() const { return FPartialMatchStartBtn; }
    TRadioButton* PartialMatchAnyBtn() const { return FPartialMatchAnyBtn; }
    TPanel* Panel1() const { return FPanel1; }
    TGroupBox* FieldsGroup() const { return FFieldsGroup; }
    TComboBox* FieldNameComboBox() const { return FFieldNameComboBox; }
    TButton* FirstButton() const { return FFirstButton; }
    TButton* NextButton() const { return FNextButton; }
    // The third button (Cancel, or Close without ldoCloseOnMatch).
    TButton* CancelButton() const { return FCancelButton; }

    TqzLocateMatchType MatchType() const;
    void SetMatchType(TqzLocateMatchType Value);
    // The field of the chosen entry; empty when none.
    std::string SearchFieldName() const;
    // The field of a list entry: data fields first, then calculated and
    // lookup fields; empty when none matches.
    std::string FieldOfEntry(const std::string& Entry) const;
    // Runs the search as First (FromFirst) or Next does; answers whether it
    // found a record.
    bool FindMatch(bool FromFirst);

protected:
    void DoShow() override;

private:
    void BuildControls();
    void FirstButtonClick(TObject* Sender);
    void NextButtonClick(TObject* Sender);
    void FieldNameChange(TObject* Sender);
    void FieldNameEnter(TObject* Sender);
    void FieldNameExit(TObject* Sender);
    void FieldNameKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

    TqzLocateDialog* FDialog;
    TDataSet* FDataSet;
    TGroupBox* FFieldValueGroup = nullptr;
    TEdit* FSearchValue = nullptr;
    TGroupBox* FSearchTypeGroup = nullptr;
    TCheckBox* FCaseSensitiveCheckBox = nullptr;
    TRadioButton* FExactMatchBtn = nullptr;
    TRadioButton* FPartialMatchStartBtn = nullptr;
    TRadioButton* FPartialMatchAnyBtn = nullptr;
    TPanel* FPanel1 = nullptr;
    TGroupBox* FFieldsGroup = nullptr;
    TComboBox* FFieldNameComboBox = nullptr;
    TButton* FFirstButton = nullptr;
    TButton* FNextButton = nullptr;
    TButton* FCancelButton = nullptr;
};

class TqzLocateDialog : public TqzCustomDialog {
    TASKMOOR_CLASS(TqzLocateDialog, TqzCustomDialog)
public:
    explicit TqzLocateDialog(TComponent* AOwner);
    ~TqzLocateDialog() override;

    // Shows the form. False, after the message "DataSource does not
    // reference an active DataSet", without a source, a dataset or an open
    // dataset; else True when a search closed the form with OK.
    bool Execute() override;
    TDataSet* GetPrimaryDataSet() override;
    virtual void DoInitDialog();

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    const std::string& SearchField() const { return FSearchField; }
    void SetSearchField(const std::string& Value) { FSearchField = Value; }
    TqzLocateMatchType MatchType() const { return FMatchType; }
    void SetMatchType(TqzLocateMatchType Value) { FMatchType = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    TqzFieldSortType SortFields() const { return FSortFields; }
    void SetSortFields(TqzFieldSortType Value) { FSortFields = Value; }
    TqzDefaultButtonType DefaultButton() const { return FDefaultButton; }
    void SetDefaultButton(TqzDefaultButtonType Value) { FDefaultButton = Value; }
    TqzFieldSelection FieldSelection() const { return FFieldSelection; }
    void SetFieldSelection(TqzFieldSelection Value) { FFieldSelection = Value; }
    // Stored only: the no-match messages always show.
    bool ShowMessages() const { return FShowMessages; }
    void SetShowMessages(bool Value) { FShowMessages = Value; }
    bool UseLocateMethod() const { return FUseLocateMethod; }
    void SetUseLocateMethod(bool Value) { FUseLocateMethod = Value; }
    TqzLocateDlgOptions Options() const { return FOptions; }
    void SetOptions(TqzLocateDlgOptions Value) { FOptions = Value; }
    TqzOnInitLocateDlgEvent OnInitDialog() const { return FOnInitDialog; }
    void SetOnInitDialog(TqzOnInitLocateDlgEvent Value) { FOnInitDialog = Value; }
    TqzLocateSelectFieldEvent OnSelectField() const { return FOnSelectField; }
    void SetOnSelectField(TqzLocateSelectFieldEvent Value) { FOnSelectField = Value; }

    // The last value typed.
    std::string FieldValue;
    // The form while it shows.
    TqzLocateDlg* Form = nullptr;

    static void Publish(TPublisher<TqzLocateDialog>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TDataLink> FDataLink;
    std::string FCaption = "Locate Field Value";
    std::string FSearchField;
    TqzLocateMatchType FMatchType = mtPartialMatchStart;
    bool FCaseSensitive = false;
    TqzFieldSortType FSortFields = fsSortByFieldName;
    TqzDefaultButtonType FDefaultButton = dbFindNext;
    TqzFieldSelection FFieldSelection = fsAllFields;
    bool FShowMessages = true;
    bool FUseLocateMethod = false;
    TqzLocateDlgOptions FOptions{ldoCloseOnMatch};
    TqzOnInitLocateDlgEvent FOnInitDialog;
    TqzLocateSelectFieldEvent FOnSelectField;
};
