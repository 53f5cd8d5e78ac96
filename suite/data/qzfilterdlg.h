// The filter form ("Super Search"), built in code: a field list with its All
// and Searched tabs and field order, and for the selected field either a
// value (match type, case, non-matching) or a range. It edits a copy of the
// dialog's criteria; the dialog takes the copy back on OK.
#pragma once

#include <string>

#include "platform/ui/form_min_size.h"
#include "suite/data/qzfilterinfo.h"

class TButton;
class TCheckBox;
class TLabel;
class TListBox;
class TPanel;
class TRadioGroup;
class TTabControl;
class TWinControl;
class TqzDBComboBox;
class TqzDBDateTimePicker;
class TqzDBEdit;
class TqzFilterDialog;
struct TqzDBFieldInfo;

class TqzFilterDlg : public TMinSizeForm {
    TASKMOOR_CLASS(TqzFilterDlg, TMinSizeForm)
public:
    TqzFilterDlg(TComponent* AOwner, TqzFilterDialog* Dialog);

    // The edited copy of the criteria.
    TqzFieldInfoList& FieldInfo() { return FFieldInfo; }
    // Something changed since the form was shown (or the dataset is closed).
    bool Modified() const { return FModified; }

    TTabControl* FieldTabSet() const { return FFieldTabSet; }
    TListBox* FieldsListBox() const { return FFieldsListBox; }
    TRadioGroup* FieldOrder() const { return FFieldOrder; }
    TTabControl* SelectNotebook() const { return FSelectNotebook; }
    TqzDBEdit* FilterValueEdit() const { return FFilterValueEdit; }
    TqzDBComboBox* FilterValueCombo() const { return FFilterValueCombo; }
    TRadioGroup* MatchTypeGroup() const { return FMatchTypeGroup; }
    TCheckBox* CaseSensitive() const { return FCaseSensitive; }
    TCheckBox* Nonmatching() const { return FNonmatching; }
    TqzDBEdit* MinValueEdit() const { return FMinValueEdit; }
    TqzDBEdit* MaxValueEdit() const { return FMaxValueEdit; }
    TqzDBDateTimePicker* MinDateEdit() const { return FMinDateEdit; }
    TqzDBDateTimePicker* MaxDateEdit() const { return FMaxDateEdit; }
    // The range editors in use: the edits, or the pickers for a date field.
    TWinControl* MinEditor() const;
    TWinControl* MaxEditor() const;
    TButton* MinValueClearButton() const { return FMinValueClearButton; }
    TButton* MaxValueClearButton() const { return FMaxValueClearButton; }
    TButton* ViewButton() const { return FViewButton; }
    TButton* ClearSearchButton() const { return FClearSearchButton; }
    TButton* OKButton() const { return FOKButton; }
    TButton* CancelButton() const { return FCancelButton; }
    // The field whose entries the panel shows; -1 for none.
    int PanelFieldIndex() const { return FPanelField; }
    bool ByRange() const;
    // The value editor in use: the edit, or the combo box for a value list.
    TWinControl* ValueEditor() const;

    bool CloseQuery() override;

protected:
    void DoShow() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    void BuildControls();
    void ApplyTexts();
    void FillFieldList();
    // The field list's entry of a listed label; nullptr when none.
    const TqzDBFieldInfo* FieldOfLabel(const std::string& Label) const;
    int CriterionOf(const std::string& Label) const;
    // Validates and stores the panel's entries; false (nothing stored) when
    // an entry does not suit the field.
    bool StoreEntries();
    void LoadField(int ListIndex);
    void ChoosePage(bool Range);
    void ChooseValueEditor();
    void UpdateButtons();
    std::string ValueText() const;
    void SetValueText(const std::string& Text);
    void SelectField(int ListIndex);
    bool UsesPickers() const;
    // A bound as text (a picker's value as date text); empty for none.
    std::string RangeText(bool Upper) const;
    void SetRangeTexts(const std::string& Min, const std::string& Max);
    // The editor that takes the focus on the page shown.
    TWinControl* PageEditor() const;

    void FieldsListBoxClick(TObject* Sender);
    void FieldsListBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void FieldTabSetChanging(TObject* Sender, bool& AllowChange);
    void FieldTabSetChange(TObject* Sender);
    void FieldOrderClick(TObject* Sender);
    void SelectNotebookChange(TObject* Sender);
    void MatchTypeGroupClick(TObject* Sender);
    void EditorChange(TObject* Sender);
    void ClearButtonClick(TObject* Sender);
    void ClearSearchButtonClick(TObject* Sender);
    void ViewButtonClick(TObject* Sender);

    TqzFilterDialog* FDialog;
    TqzFieldInfoList FFieldInfo;
    int FPanelField = -1;
    std::string FPanelLabel;
    bool FModified = false;
    bool FLoading = false;

    TPanel* FFieldListPanel = nullptr;
    TLabel* FFieldsLbl = nullptr;
    TTabControl* FFieldTabSet = nullptr;
    TListBox* FFieldsListBox = nullptr;
    TPanel* FFieldOrderPanel = nullptr;
    TRadioGroup* FFieldOrder = nullptr;
    TPanel* FFieldCriteriaPanel = nullptr;
    TLabel* FCriteriaLbl = nullptr;
    TTabControl* FSelectNotebook = nullptr;
    TPanel* FTabSheet1 = nullptr;
    TPanel* FTabSheet2 = nullptr;
    TLabel* FFieldValueLbl = nullptr;
    TqzDBEdit* FFilterValueEdit = nullptr;
    TqzDBComboBox* FFilterValueCombo = nullptr;
    TButton* FFilterValueClearButton = nullptr;
    TRadioGroup* FMatchTypeGroup = nullptr;
    TPanel* FPanel1 = nullptr;
    TCheckBox* FCaseSensitive = nullptr;
    TCheckBox* FNonmatching = nullptr;
    TLabel* FMinLbl = nullptr;
    TLabel* FMaxLbl = nullptr;
    TqzDBEdit* FMinValueEdit = nullptr;
    TqzDBEdit* FMaxValueEdit = nullptr;
    TqzDBDateTimePicker* FMinDateEdit = nullptr;
    TqzDBDateTimePicker* FMaxDateEdit = nullptr;
    TButton* FMinValueClearButton = nullptr;
    TButton* FMaxValueClearButton = nullptr;
    TPanel* FButtonPanel = nullptr;
    TButton* FViewButton = nullptr;
    TButton* FClearSearchButton = nullptr;
    TPanel* FOKCancelPanel = nullptr;
    TButton* FOKButton = nullptr;
    TButton* FCancelButton = nullptr;
};
