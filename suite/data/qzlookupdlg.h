// The lookup dialog: a modal search window over a dataset with an
// incremental search box, an index chooser ("Search By"), a grid of the
// dataset, OK/Cancel, a status header and two user buttons.
//
// TqzCustomLookupDialog runs the form; TqzSearchDialog runs it over its
// SearchTable, optionally through a ShadowSearchTable (a second dataset on
// the same table that the user moves instead, the search table following
// it on OK). The dialog-style lookup combo opens the same form.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/enums.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdialog.h"
#include "suite/data/qzkeycb.h"
#include "suite/data/qzkeycombo.h"
#include "suite/grid/qzdbgrid.h"

class TButton;
class TLabel;
class TPanel;
class TStatusBar;
class TqzCustomLookupDialog;
class TqzLookupDlg;

TASKMOOR_ENUM(TqzDBLookupDlgOption, opShowOKCancel, opShowSearchBy, opGroupControls, opFixFirstColumn,
              opShowStatusBar, opDisableReorderColumns)
using TqzDBLookupDlgOptions = TSet<TqzDBLookupDlgOption>;

// (Sender, Dialog form)
using TqzOnInitDialogEvent = TEvent<TObject*, TqzLookupDlg*>;
// (Sender, DataSet)
using TqzUserButtonEvent = TEvent<TObject*, TDataSet*>;
// (Sender, DataSet to move, DataSet whose record it follows)
using TqzSyncDataSetsEvent = TEvent<TObject*, TDataSet*, TDataSet*>;

// The grid options the lookup dialog starts with.
TqzDBGridOptions qzDefaultLookupGridOptions();

// Everything the form takes from its caller.
struct TqzLookupDlgSettings {
    TStrings* Selected = nullptr;
    TStrings* ControlType = nullptr;
    TStrings* PictureMasks = nullptr;
    bool ControlInfoInDataset = true;
    bool PictureMaskFromDataset = true;
    bool UseTFields = true;
    bool PictureMaskFromField = false;
    TqzDBGridOptions GridOptions = qzDefaultLookupGridOptions();
    TColor GridColor = clWhite;
    TAlignment GridTitleAlignment = taLeftJustify;
    TqzDBLookupDlgOptions Options{opShowOKCancel, opShowSearchBy};
    std::string Caption;
    int MaxWidth = 0;
    int MaxHeight = 209;
    TEditCharCase CharCase = ecNormal;
    std::string UserButton1Caption, UserButton2Caption;
    TObject* Sender = nullptr;  // the component the events name
    TqzOnInitDialogEvent OnInitDialog, OnCloseDialog;
    TqzUserButtonEvent OnUserButton1Click, OnUserButton2Click;
    TNotifyEvent OnSortChange;
    TqzPerformCustomSearchEvent OnPerformCustomSearch;
};

// The index chooser of the form.
class TqzTempKeyCombo : public TqzKeyCombo {
    TASKMOOR_CLASS(TqzTempKeyCombo, TqzKeyCombo)
public:
    using TqzKeyCombo::TqzKeyCombo;
};

class TqzLookupDlg : public TForm {
    TASKMOOR_CLASS(TqzLookupDlg, TForm)
public:
    TqzLookupDlg(TComponent* AOwner, TDataSet* DataSet, const TqzLookupDlgSettings& Settings);
    ~TqzLookupDlg() override;

    TLabel* SearchCharacterLabel() const { return FSearchCharacterLabel; }
    TqzIncrementalSearch* qzIncrementalSearch1() const { return FSearch; }
    TLabel* SortByLabel() const { return FSortByLabel; }
    TqzTempKeyCombo* IndexCombo() const { return FIndexCombo; }
    TqzDBGrid* qzDBGrid1() const { return FGrid; }
    TStatusBar* StatusHeader() const { return FStatusHeader; }
    TPanel* UserButtonPanel() const { return FUserButtonPanel; }
    TButton* UserButton1() const { return FUserButton1; }
    TButton* UserButton2() const { return FUserButton2; }
    TButton* OKButton() const { return FOKButton; }
    TButton* CancelButton() const { return FCancelButton; }
    TqzDataSource* DataSource1() const { return FDataSource1; }
    TDataSet* DataSet() const { return FDataSet; }
    TqzDBLookupDlgOptions Options() const { return FSettings.Options; }

    // Put into the search box when the form first activates.
    const std::string& InitialSearchText() const { return FInitialSearchText; }
    void SetInitialSearchText(const std::string& Value) { FInitialSearchText = Value; }

    bool CloseQuery() override;

protected:
    void DoShow() override;
    void Activate() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    void BuildControls();
    void ApplyGridSettings();
    void LoadTexts();
    void ApplySearchIndex(bool Changed);
    void SizeForm();
    void UpdateStatus();
    void IndexChange(TObject* Sender);
    void GridColumnMoved(TObject* Sender, int FromIndex, int ToIndex);
    void GridMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void GridDblClick(TObject* Sender);
    void RecordChange(TObject* Sender, TField* Field);
    void UserButton1Click(TObject* Sender);
    void UserButton2Click(TObject* Sender);
    // The incremental search field: the first grid field, unless a table
    // searches its active index.
    void FollowFirstGridField();
    bool HasIndexChooser() const;

    TDataSet* FDataSet;
    TqzLookupDlgSettings FSettings;
    std::unique_ptr<TStringList> FSelected;
    std::string FInitialSearchText;
    // The index the grid and the search follow.
    std::vector<std::string> FIndexFields;
    bool FActivated = false;
    bool FSizing = false;
    TPoint FGridMouse{-1, -1};

    TLabel* FSearchCharacterLabel = nullptr;
    TqzIncrementalSearch* FSearch = nullptr;
    TLabel* FSortByLabel = nullptr;
    TqzTempKeyCombo* FIndexCombo = nullptr;
    TqzDBGrid* FGrid = nullptr;
    TStatusBar* FStatusHeader = nullptr;
    TPanel* FUserButtonPanel = nullptr;
    TButton* FUserButton1 = nullptr;
    TButton* FUserButton2 = nullptr;
    TButton* FOKButton = nullptr;
    TButton* FCancelButton = nullptr;
    TqzDataSource* FDataSource1 = nullptr;
};

class TqzCustomLookupDialog : public TqzCustomDialog {
    TASKMOOR_CLASS(TqzCustomLookupDialog, TqzCustomDialog)
public:
    explicit TqzCustomLookupDialog(TComponent* AOwner);
    ~TqzCustomLookupDialog() override;

    // Runs the form over the primary dataset (or its shadow); True on OK.
    bool Execute() override;
    // Raises EInvalidOperation here; descendants name their dataset.
    TDataSet* GetPrimaryDataSet() override;
    // Moves Move to the record Follow shows: fires OnSyncDataSets.
    virtual void DoSyncDataSets(TDataSet* Move, TDataSet* Follow);

    // ---- Properties
    TDataSet* ShadowSearchTable() const { return FShadowSearchTable; }
    void SetShadowSearchTable(TDataSet* Value);
    TStrings* Selected() const { return FSelected.get(); }
    void SetSelected(TStrings* Value) { FSelected->Assign(Value); }
    TqzDBLookupDlgOptions Options() const { return FOptions; }
    void SetOptions(TqzDBLookupDlgOptions Value) { FOptions = Value; }
    TqzDBGridOptions GridOptions() const { return FGridOptions; }
    void SetGridOptions(TqzDBGridOptions Value) { FGridOptions = Value; }
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor Value) { FGridColor = Value; }
    TAlignment GridTitleAlignment() const { return FGridTitleAlignment; }
    void SetGridTitleAlignment(TAlignment Value) { FGridTitleAlignment = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value) { FMaxWidth = Value; }
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value) { FMaxHeight = Value; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value) { FCharCase = Value; }
    bool UseTFields() const { return FUseTFields; }
    void SetUseTFields(bool Value) { FUseTFields = Value; }
    bool PictureMaskFromField() const { return FPictureMaskFromField; }
    void SetPictureMaskFromField(bool Value) { FPictureMaskFromField = Value; }
    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    bool ControlInfoInDataset() const { return FControlInfoInDataset; }
    void SetControlInfoInDataset(bool Value) { FControlInfoInDataset = Value; }
    bool PictureMaskFromDataset() const { return FPictureMaskFromDataset; }
    void SetPictureMaskFromDataset(bool Value) { FPictureMaskFromDataset = Value; }
    const std::string& UserButton1Caption() const { return FUserButton1Caption; }
    void SetUserButton1Caption(const std::string& Value) { FUserButton1Caption = Value; }
    const std::string& UserButton2Caption() const { return FUserButton2Caption; }
    void SetUserButton2Caption(const std::string& Value) { FUserButton2Caption = Value; }

    // ---- Events
    TqzOnInitDialogEvent OnInitDialog() const { return FOnInitDialog; }
    void SetOnInitDialog(TqzOnInitDialogEvent Value) { FOnInitDialog = Value; }
    TqzOnInitDialogEvent OnCloseDialog() const { return FOnCloseDialog; }
    void SetOnCloseDialog(TqzOnInitDialogEvent Value) { FOnCloseDialog = Value; }
    TqzUserButtonEvent OnUserButton1Click() const { return FOnUserButton1Click; }
    void SetOnUserButton1Click(TqzUserButtonEvent Value) { FOnUserButton1Click = Value; }
    TqzUserButtonEvent OnUserButton2Click() const { return FOnUserButton2Click; }
    void SetOnUserButton2Click(TqzUserButtonEvent Value) { FOnUserButton2Click = Value; }
    TNotifyEvent OnSortChange() const { return FOnSortChange; }
    void SetOnSortChange(TNotifyEvent Value) { FOnSortChange = Value; }
    TqzPerformCustomSearchEvent OnPerformCustomSearch() const { return FOnPerformCustomSearch; }
    void SetOnPerformCustomSearch(TqzPerformCustomSearchEvent Value) { FOnPerformCustomSearch = Value; }
    TqzSyncDataSetsEvent OnSyncDataSets() const { return FOnSyncDataSets; }
    void SetOnSyncDataSets(TqzSyncDataSetsEvent Value) { FOnSyncDataSets = Value; }

    // The form while it shows.
    TqzLookupDlg* Form = nullptr;

protected:
    // The lookup kind says "lookupTable" in its messages and is captioned
    // "Lookup"; the search dialog is not.
    virtual bool IsLookupKind() const { return true; }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Runs the form over DataSet; True on OK.
    bool RunForm(TDataSet* DataSet);

    std::string FCaption;

private:
    TDataSet* FShadowSearchTable = nullptr;
    std::unique_ptr<TStringList> FSelected;
    TqzDBLookupDlgOptions FOptions{opShowOKCancel, opShowSearchBy};
    TqzDBGridOptions FGridOptions;
    TColor FGridColor = clWhite;
    TAlignment FGridTitleAlignment = taLeftJustify;
    int FMaxWidth = 0;
    int FMaxHeight = 209;
    TEditCharCase FCharCase = ecNormal;
    bool FUseTFields = true;
    bool FPictureMaskFromField = false;
    std::unique_ptr<TStringList> FControlType;
    std::unique_ptr<TStringList> FPictureMasks;
    bool FControlInfoInDataset = true;
    bool FPictureMaskFromDataset = true;
    std::string FUserButton1Caption, FUserButton2Caption;
    TqzOnInitDialogEvent FOnInitDialog, FOnCloseDialog;
    TqzUserButtonEvent FOnUserButton1Click, FOnUserButton2Click;
    TNotifyEvent FOnSortChange;
    TqzPerformCustomSearchEvent FOnPerformCustomSearch;
    TqzSyncDataSetsEvent FOnSyncDataSets;
};

// The navigator's Search button makes this one by name and sets SearchTable.
class TqzSearchDialog : public TqzCustomLookupDialog {
    TASKMOOR_CLASS(TqzSearchDialog, TqzCustomLookupDialog)
public:
    explicit TqzSearchDialog(TComponent* AOwner);

    TDataSet* SearchTable() const { return FSearchTable; }
    void SetSearchTable(TDataSet* Value);
    TDataSet* GetPrimaryDataSet() override { return FSearchTable; }

    static void Publish(TPublisher<TqzSearchDialog>& p);

protected:
    bool IsLookupKind() const override { return false; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSet* FSearchTable = nullptr;
};
