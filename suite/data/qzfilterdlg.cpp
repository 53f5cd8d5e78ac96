// Building the filter form's controls, filling its field list, the value, range and
// list editors of the chosen field, and turning them into criteria.
#include "suite/data/qzfilterdlg.h"

#include <algorithm>

#include "platform/core/case_fold.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/radiogroup.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/tabcontrol.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdialog.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzdbedit.h"

namespace {

constexpr int kMatchExactItem = 0, kMatchStartItem = 1, kMatchAnyItem = 2;

std::string ListedLabel(const std::string& Label) {
    std::string s = Label;
    std::replace(s.begin(), s.end(), '~', ' ');
    return s;
}

bool SameLabel(const std::string& A, const std::string& B) {
    return AnsiUpperCase(ListedLabel(A)) == AnsiUpperCase(ListedLabel(B));
}

bool TakesRange(TFieldType T, TqzFilterMethod Method) {
    switch (T) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftDateTime:
    case ftAutoInc:
    case ftLargeint:
    case ftTimeStamp:
    case ftFMTBcd: return true;
    case ftTime: return Method == fdByQueryModify;
    default: return false;
    }
}

TqzFilterMatchType MatchOfItem(int Item) {
    return Item == kMatchExactItem ? fdMatchExact : Item == kMatchAnyItem ? fdMatchAny : fdMatchStart;
}

int ItemOfMatch(TqzFilterMatchType Match) {
    return Match == fdMatchExact ? kMatchExactItem : Match == fdMatchAny ? kMatchAnyItem : kMatchStartItem;
}

template <class T>
T* Make(TComponent* Owner, TWinControl* Parent, int L, int T_, int W, int H) {
    auto* c = new T(Owner);
    c->SetParent(Parent);
    c->SetBounds(L, T_, W, H);
    return c;
}

TPanel* MakePanel(TComponent* Owner, TWinControl* Parent, TAlign Align, int Size) {
    auto* p = new TPanel(Owner);
    p->SetParent(Parent);
    p->SetBevelOuter(bvNone);
    p->SetCaption("");
    if (Align == alRight || Align == alLeft)
        p->SetWidth(Size);
    else if (Align == alTop || Align == alBottom)
        p->SetHeight(Size);
    p->SetAlign(Align);
    return p;
}

}  // namespace

TqzFilterDlg::TqzFilterDlg(TComponent* AOwner, TqzFilterDialog* Dialog)
    : TMinSizeForm(AOwner), FDialog(Dialog) {
    SetCaption("Super Search");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    Font()->SetStyle(TFontStyles{fsBold});
    SetClientWidth(506);
    SetClientHeight(291);
    SetMinimumSize(460, 274);
    // The copy: labels from the source (or its field name), names found again.
    TDataSet* ds = Dialog->GetDataSet();
    for (const TqzFieldInfo& source : Dialog->Criteria()) {
        TqzFieldInfo copy = source;
        copy.DisplayLabel = source.DisplayLabel.empty() ? source.FieldName : source.DisplayLabel;
        if (ds) {
            std::string name;
            qzFieldNameFromDisplayLabel(ds, copy.DisplayLabel, name);
            if (!name.empty()) copy.FieldName = name;
        }
        FFieldInfo.push_back(copy);
    }
    Dialog->LoadFields();
    BuildControls();
}

void TqzFilterDlg::BuildControls() {
    FOKCancelPanel = MakePanel(this, this, alRight, 88);
    FFieldCriteriaPanel = MakePanel(this, this, alRight, 207);
    FFieldListPanel = MakePanel(this, this, alClient, 0);

    FFieldsLbl = Make<TLabel>(this, FFieldListPanel, 8, 6, 120, 13);
    FFieldOrderPanel = MakePanel(this, FFieldListPanel, alBottom, 48);
    FFieldOrder = Make<TRadioGroup>(this, FFieldOrderPanel, 6, 2, 196, 42);
    FFieldOrder->SetColumns(2);
    FFieldOrder->Items()->Add("Alpha&betic");
    FFieldOrder->Items()->Add("&Logical");
    FFieldOrder->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::FieldOrderClick));
    FFieldTabSet = Make<TTabControl>(this, FFieldListPanel, 6, 22, 200, 220);
    FFieldTabSet->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
    FFieldTabSet->SetTabPosition(tpBottom);
    FFieldTabSet->Tabs()->Add("&All");
    FFieldTabSet->Tabs()->Add("&Searched");
    FFieldTabSet->SetTabIndex(0);
    FFieldTabSet->SetOnChanging(TTabChangingEvent(this, &TqzFilterDlg::FieldTabSetChanging));
    FFieldTabSet->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::FieldTabSetChange));
    FFieldsListBox = new TListBox(this);
    FFieldsListBox->SetParent(FFieldTabSet);
    FFieldsListBox->SetAlign(alClient);
    FFieldsListBox->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::FieldsListBoxClick));
    FFieldsListBox->SetOnKeyDown(TKeyEvent(this, &TqzFilterDlg::FieldsListBoxKeyDown));
    FFieldsLbl->SetFocusControl(FFieldsListBox);

    FCriteriaLbl = Make<TLabel>(this, FFieldCriteriaPanel, 4, 6, 150, 13);
    FCriteriaLbl->SetCaption("Field Criteria");
    FButtonPanel = MakePanel(this, FFieldCriteriaPanel, alBottom, 34);
    FViewButton = Make<TButton>(this, FButtonPanel, 2, 4, 98, 25);
    FViewButton->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::ViewButtonClick));
    FClearSearchButton = Make<TButton>(this, FButtonPanel, 104, 4, 98, 25);
    FClearSearchButton->SetEnabled(false);
    FClearSearchButton->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::ClearSearchButtonClick));
    FSelectNotebook = Make<TTabControl>(this, FFieldCriteriaPanel, 2, 22, 203, 230);
    FSelectNotebook->SetTabPosition(tpBottom);
    FSelectNotebook->Tabs()->Add("By &Value");
    FSelectNotebook->Tabs()->Add("By &Range");
    FSelectNotebook->SetTabIndex(0);
    FSelectNotebook->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::SelectNotebookChange));
    FTabSheet1 = MakePanel(this, FSelectNotebook, alClient, 0);
    FTabSheet2 = MakePanel(this, FSelectNotebook, alClient, 0);
    FTabSheet2->SetVisible(false);

    FFieldValueLbl = Make<TLabel>(this, FTabSheet1, 6, 4, 150, 13);
    FFilterValueEdit = Make<TqzDBEdit>(this, FTabSheet1, 6, 20, 130, 21);
    FFilterValueEdit->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::EditorChange));
    FFilterValueCombo = Make<TqzDBComboBox>(this, FTabSheet1, 6, 20, 130, 21);
    FFilterValueCombo->SetVisible(false);
    FFilterValueCombo->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::EditorChange));
    FFilterValueClearButton = Make<TButton>(this, FTabSheet1, 140, 19, 50, 23);
    FFilterValueClearButton->SetEnabled(false);
    FFilterValueClearButton->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::ClearButtonClick));
    FMatchTypeGroup = Make<TRadioGroup>(this, FTabSheet1, 6, 48, 186, 76);
    FMatchTypeGroup->Items()->Add("&Exact Match");
    FMatchTypeGroup->Items()->Add("&Partial Match at Beginning");
    FMatchTypeGroup->Items()->Add("Partial Match Any&where");
    FMatchTypeGroup->SetItemIndex(kMatchStartItem);
    FMatchTypeGroup->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::MatchTypeGroupClick));
    FPanel1 = Make<TPanel>(this, FTabSheet1, 6, 128, 186, 41);
    FPanel1->SetBevelOuter(bvNone);
    FPanel1->SetCaption("");
    FCaseSensitive = Make<TCheckBox>(this, FPanel1, 2, 2, 180, 17);
    FNonmatching = Make<TCheckBox>(this, FPanel1, 2, 20, 180, 17);

    FMinLbl = Make<TLabel>(this, FTabSheet2, 6, 4, 150, 13);
    FMinValueEdit = Make<TqzDBEdit>(this, FTabSheet2, 6, 20, 130, 21);
    FMinValueEdit->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::EditorChange));
    FMinValueClearButton = Make<TButton>(this, FTabSheet2, 140, 19, 50, 23);
    FMinValueClearButton->SetEnabled(false);
    FMinValueClearButton->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::ClearButtonClick));
    FMaxLbl = Make<TLabel>(this, FTabSheet2, 6, 50, 150, 13);
    FMaxValueEdit = Make<TqzDBEdit>(this, FTabSheet2, 6, 66, 130, 21);
    FMaxValueEdit->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::EditorChange));
    FMaxValueClearButton = Make<TButton>(this, FTabSheet2, 140, 65, 50, 23);
    FMaxValueClearButton->SetEnabled(false);
    FMaxValueClearButton->SetOnClick(TNotifyEvent(this, &TqzFilterDlg::ClearButtonClick));
    // Date fields take their bounds in pickers at the same places.
    for (TqzDBDateTimePicker** picker : {&FMinDateEdit, &FMaxDateEdit}) {
        const bool upper = picker == &FMaxDateEdit;
        *picker = Make<TqzDBDateTimePicker>(this, FTabSheet2, 6, upper ? 66 : 20, 130, 21);
        (*picker)->SetEpoch(1950);
        (*picker)->SetVisible(false);
        (*picker)->SetOnChange(TNotifyEvent(this, &TqzFilterDlg::EditorChange));
    }
    FMinLbl->SetFocusControl(FMinValueEdit);
    FMaxLbl->SetFocusControl(FMaxValueEdit);
    FFieldValueLbl->SetFocusControl(FFilterValueEdit);

    FOKButton = qzCreateDialogButton(this, qzbkOK);
    FOKButton->SetParent(FOKCancelPanel);
    FOKButton->SetBounds(7, 22, FOKButton->Width(), FOKButton->Height());
    FOKButton->SetDefault(true);
    FOKButton->SetVisible(true);
    FCancelButton = qzCreateDialogButton(this, qzbkCancel);
    FCancelButton->SetParent(FOKCancelPanel);
    FCancelButton->SetBounds(7, 62, FCancelButton->Width(), FCancelButton->Height());
    FCancelButton->SetVisible(true);
}

void TqzFilterDlg::ApplyTexts() {
    const TqzFilterDialogIntl* t = qzIntl() ? qzIntl()->FilterDialog() : nullptr;
    if (!t) return;
    FViewButton->SetCaption(t->BtnViewSummary());
    FViewButton->SetHint(t->BtnViewSummaryHint());
    FClearSearchButton->SetCaption(t->BtnNewSearch());
    FClearSearchButton->SetHint(t->BtnNewSearchHint());
    FFieldOrder->SetCaption(t->FieldOrderLabel());
    FFieldOrder->SetHint(t->FieldOrderHint());
    FFieldOrder->Items()->SetStrings(0, t->AlphabeticLabel());
    FFieldOrder->Items()->SetStrings(1, t->LogicalLabel());
    FFieldTabSet->Tabs()->SetStrings(0, t->AllFieldsLabel());
    FFieldTabSet->Tabs()->SetStrings(1, t->SearchedFieldsLabel());
    FFieldTabSet->SetHint(t->AllSearchedTabHint());
    FMinLbl->SetCaption(t->StartingRangeLabel());
    FMinValueEdit->SetHint(t->StartingRangeHint());
    FMinDateEdit->SetHint(t->StartingRangeHint());
    FMaxLbl->SetCaption(t->EndingRangeLabel());
    FMaxValueEdit->SetHint(t->EndingRangeHint());
    FMaxDateEdit->SetHint(t->EndingRangeHint());
    FMinValueClearButton->SetCaption(t->BtnClearMin());
    FMinValueClearButton->SetHint(t->BtnClearMinHint());
    FMaxValueClearButton->SetCaption(t->BtnClearMax());
    FMaxValueClearButton->SetHint(t->BtnClearMaxHint());
    FFilterValueClearButton->SetCaption(t->BtnClearFilterValue());
    FFilterValueClearButton->SetHint(t->BtnClearFilterValueHint());
    if (FSelectNotebook->Tabs()->Count() == 2) {
        FSelectNotebook->Tabs()->SetStrings(0, t->ByValueLabel());
        FSelectNotebook->Tabs()->SetStrings(1, t->ByRangeLabel());
    }
    FSelectNotebook->SetHint(t->ValueRangeTabHint());
    FFieldValueLbl->SetCaption(t->FieldValueLabel());
    FFilterValueEdit->SetHint(t->FieldValueHint());
    FMatchTypeGroup->SetCaption(t->SearchTypeLabel());
    FMatchTypeGroup->SetHint(t->SearchTypeHint());
    FMatchTypeGroup->Items()->SetStrings(0, t->MatchExactLabel());
    FMatchTypeGroup->Items()->SetStrings(1, t->MatchStartLabel());
    if (FMatchTypeGroup->Items()->Count() > 2) FMatchTypeGroup->Items()->SetStrings(2, t->MatchAnyLabel());
    FCaseSensitive->SetCaption(t->CaseSensitiveLabel());
    FCaseSensitive->SetHint(t->CaseSensitiveHint());
    FNonmatching->SetCaption(t->NonMatchingLabel());
    FNonmatching->SetHint(t->NonMatchingHint());
    FFieldsLbl->SetCaption(t->FieldsLabel());
}

void TqzFilterDlg::DoShow() {
    const TqzFilterDialogOptions options = FDialog->Options();
    const TqzFilterPropertyOptions* po = FDialog->FilterPropertyOptions();
    if (!options.Contains(fdShowOKCancel)) {
        FOKButton->SetLeft(-1000);
        FCancelButton->SetLeft(-1000);
        SetClientWidth(ClientWidth() - FOKButton->Width() - 8);
        FOKCancelPanel->SetWidth(10);
    }
    if (options.Contains(fdHidePartialAnywhere) ||
        (FDialog->FilterMethod() == fdByFilter && !po->UseLikeOperator &&
         po->DatasetFilterType == fdUseFilterProp))
        FMatchTypeGroup->Items()->Delete(kMatchAnyItem);
    if (!options.Contains(fdShowFieldOrder)) FFieldOrderPanel->SetVisible(false);
    if (!options.Contains(fdShowViewSummary)) {
        FViewButton->SetVisible(false);
        FClearSearchButton->SetLeft(FViewButton->Left());
    }
    if (!options.Contains(fdShowValueRangeTab)) FSelectNotebook->Tabs()->Clear();
    bool showCase = options.Contains(fdShowCaseSensitive);
    if (po->DatasetFilterType != fdUseOnFilter && !(po->UseLikeOperator && po->LikeSupportsUpperKeyword))
        showCase = false;
    FCaseSensitive->SetVisible(showCase);
    const bool showNon = options.Contains(fdShowNonMatching);
    FNonmatching->SetVisible(showNon);
    if (showCase && !showNon) FPanel1->SetHeight(26);
    if (!showCase && showNon) {
        FNonmatching->SetTop(2);
        FPanel1->SetHeight(26);
    }
    FPanel1->SetVisible(showCase || showNon);
    SetHeight(FDialog->DlgHeight());
    FSelectNotebook->SetBounds(2, 22, FFieldCriteriaPanel->ClientWidth() - 4,
                               std::max(60, FButtonPanel->Top() - 24));
    FSelectNotebook->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
    FFieldTabSet->SetBounds(6, 22, std::max(60, FFieldListPanel->ClientWidth() - 10),
                            std::max(60, FFieldOrderPanel->Visible() ? FFieldOrderPanel->Top() - 26
                                                                     : FFieldListPanel->ClientHeight() - 28));
    FFieldOrder->SetItemIndex(FDialog->SortBy() == fdSortByFieldName ? 0 : 1);
    int select = -1;
    if (!FFieldInfo.empty()) {
        FFieldTabSet->SetTabIndex(1);
        FillFieldList();
        for (int i = 0; i < FFieldsListBox->Items()->Count() && select < 0; ++i)
            if (CriterionOf(FFieldsListBox->Items()->Strings(i)) >= 0) select = i;
    } else {
        FillFieldList();
        if (!FDialog->DefaultField().empty()) {
            TDataSet* ds = FDialog->GetDataSet();
            TField* f = ds ? ds->FindField(FDialog->DefaultField()) : nullptr;
            select = FFieldsListBox->Items()->IndexOf(f ? ListedLabel(f->DisplayLabel())
                                                        : FDialog->DefaultField());
        }
    }
    if (select < 0 && FFieldsListBox->Items()->Count() > 0) select = 0;
    FFieldsListBox->SetItemIndex(select);
    LoadField(select);
    if (options.Contains(fdTabsAtTop)) {
        FFieldTabSet->SetTabPosition(tpTop);
        FSelectNotebook->SetTabPosition(tpTop);
    }
    ApplyTexts();
    TMinSizeForm::DoShow();
    // The form is not showing yet: the editor takes the focus when it does.
    TWinControl* focus = PageEditor();
    if (focus->Visible() && focus->Enabled()) SetActiveControl(focus);
    FDialog->DoInitDialog();
    TDataSet* ds = FDialog->GetDataSet();
    FModified = !(ds && ds->Active());
    UpdateButtons();
}

const TqzDBFieldInfo* TqzFilterDlg::FieldOfLabel(const std::string& Label) const {
    for (const TqzDBFieldInfo& f : FDialog->FieldList())
        if (SameLabel(f.DisplayLabel, Label)) return &f;
    // A label from SelectedFields names its field.
    for (int i = 0; i < FDialog->SelectedFields()->Count(); ++i) {
        const std::string line = FDialog->SelectedFields()->Strings(i);
        const size_t semi = line.find(';');
        if (semi == std::string::npos || !SameLabel(line.substr(semi + 1), Label)) continue;
        for (const TqzDBFieldInfo& f : FDialog->FieldList())
            if (AnsiUpperCase(f.FieldName) == AnsiUpperCase(line.substr(0, semi))) return &f;
    }
    return nullptr;
}

int TqzFilterDlg::CriterionOf(const std::string& Label) const {
    for (size_t i = 0; i < FFieldInfo.size(); ++i)
        if (SameLabel(FFieldInfo[i].DisplayLabel, Label)) return static_cast<int>(i);
    return -1;
}

void TqzFilterDlg::FillFieldList() {
    TStrings* items = FFieldsListBox->Items();
    items->BeginUpdate();
    items->Clear();
    std::vector<std::string> labels;
    auto add = [&](const std::string& Label) {
        const std::string shown = ListedLabel(Label);
        for (const std::string& l : labels)
            if (l == shown) return;
        if (FFieldTabSet->TabIndex() == 1 && CriterionOf(shown) < 0) return;
        labels.push_back(shown);
    };
    TStrings* selected = FDialog->SelectedFields();
    if (selected->Count() > 0) {
        for (int i = 0; i < selected->Count(); ++i) {
            const std::string line = selected->Strings(i);
            const size_t semi = line.find(';');
            const std::string name = line.substr(0, semi);
            for (const TqzDBFieldInfo& f : FDialog->FieldList())
                if (AnsiUpperCase(f.FieldName) == AnsiUpperCase(name)) {
                    add(semi != std::string::npos && semi + 1 < line.size() ? line.substr(semi + 1)
                                                                            : f.DisplayLabel);
                    break;
                }
        }
    } else {
        for (const TqzDBFieldInfo& f : FDialog->FieldList())
            if (qzIsSearchableFieldType(f.DataType)) add(f.DisplayLabel);
    }
    if (FFieldOrder->ItemIndex() == 0)
        std::stable_sort(labels.begin(), labels.end(), [](const std::string& a, const std::string& b) {
            return AnsiUpperCase(a) < AnsiUpperCase(b);
        });
    for (const std::string& l : labels) items->Add(l);
    items->EndUpdate();
}

bool TqzFilterDlg::ByRange() const { return FTabSheet2->Visible(); }

TWinControl* TqzFilterDlg::ValueEditor() const {
    return FFilterValueCombo->Visible() ? static_cast<TWinControl*>(FFilterValueCombo)
                                        : static_cast<TWinControl*>(FFilterValueEdit);
}

std::string TqzFilterDlg::ValueText() const {
    return FFilterValueCombo->Visible() ? FFilterValueCombo->Text() : FFilterValueEdit->Text();
}

bool TqzFilterDlg::UsesPickers() const { return FMinDateEdit->Visible(); }

TWinControl* TqzFilterDlg::MinEditor() const {
    return UsesPickers() ? static_cast<TWinControl*>(FMinDateEdit) : static_cast<TWinControl*>(FMinValueEdit);
}

TWinControl* TqzFilterDlg::MaxEditor() const {
    return UsesPickers() ? static_cast<TWinControl*>(FMaxDateEdit) : static_cast<TWinControl*>(FMaxValueEdit);
}

TWinControl* TqzFilterDlg::PageEditor() const { return ByRange() ? MinEditor() : ValueEditor(); }

std::string TqzFilterDlg::RangeText(bool Upper) const {
    if (!UsesPickers()) return (Upper ? FMaxValueEdit : FMinValueEdit)->Text();
    TqzDBDateTimePicker* picker = Upper ? FMaxDateEdit : FMinDateEdit;
    const TDateTime day = picker->Date();  // finishes what is being typed
    if (picker->Text().empty()) return std::string();
    const TDateTime v = picker->UnboundDataType() == qzDTEdtDate ? day : picker->Value();
    // A date-time at midnight reads as its date, and so takes in the whole day as upper bound.
    return picker->UnboundDataType() == qzDTEdtDate ? DateToStr(v) : DateTimeToStr(v);
}

void TqzFilterDlg::SetRangeTexts(const std::string& Min, const std::string& Max) {
    FMinValueEdit->SetText(Min);
    FMaxValueEdit->SetText(Max);
    if (!UsesPickers()) return;
    try {
        FMinDateEdit->SetText(Min);
        FMaxDateEdit->SetText(Max);
    } catch (const EConvertError&) {
        // Bounds set by program that no picker reads stay in the edits.
        FMinDateEdit->SetVisible(false);
        FMaxDateEdit->SetVisible(false);
        FMinValueEdit->SetVisible(true);
        FMaxValueEdit->SetVisible(true);
        FMinLbl->SetFocusControl(FMinValueEdit);
        FMaxLbl->SetFocusControl(FMaxValueEdit);
    }
}

void TqzFilterDlg::SetValueText(const std::string& Text) {
    FFilterValueEdit->SetText(Text);
    FFilterValueCombo->SetText(Text);
}

bool TqzFilterDlg::StoreEntries() {
    if (FPanelField < 0) return true;
    const TqzDBFieldInfo* field = FieldOfLabel(FPanelLabel);
    const TFieldType type = field ? field->DataType : ftString;
    const std::string nullWord = FDialog->FieldOperators()->NullChar();
    auto valid = [&](const std::string& Text) {
        return Trim(Text).empty() || qzIsValidTextForFieldType(type, Trim(Text));
    };
    const bool range = ByRange();
    const std::string value = ValueText();
    const std::string minText = RangeText(false), maxText = RangeText(true);
    if (range) {
        if (!valid(minText) || !valid(maxText)) return false;
    } else {
        // Each item as the record test reads the list.
        bool isOr = false, isAnd = false;
        std::string separator;
        qzFindListOperator(value, FDialog->FieldOperators(), isOr, separator, isAnd);
        int position = 1;
        std::string item;
        while (position != -1) {
            qzNextListItem(value, separator, position, item);
            if (item.empty() || SameFolded(item, nullWord)) continue;
            if (!valid(item)) return false;
        }
    }
    const int index = CriterionOf(FPanelLabel);
    const bool empty = range ? Trim(minText).empty() && Trim(maxText).empty() : value.empty();
    if (empty) {
        if (index >= 0) {
            FFieldInfo.erase(FFieldInfo.begin() + index);
            FModified = true;
        }
        return true;
    }
    TqzFieldInfo info;
    if (index >= 0) info = FFieldInfo[static_cast<size_t>(index)];
    info.DisplayLabel = FPanelLabel;
    info.FieldName = field ? field->FieldName : info.FieldName;
    if (range) {
        info.MatchType = fdMatchRange;
        info.MinValue = minText;
        info.MaxValue = maxText;
        info.FilterValue.clear();
    } else {
        info.MatchType = MatchOfItem(FMatchTypeGroup->ItemIndex());
        info.FilterValue = value;
        info.MinValue.clear();
        info.MaxValue.clear();
        info.CaseSensitive = FCaseSensitive->Checked();
        info.NonMatching = FNonmatching->Checked();
    }
    if (index < 0) {
        FFieldInfo.push_back(info);
        FModified = true;
    } else {
        TqzFieldInfo& old = FFieldInfo[static_cast<size_t>(index)];
        if (old.MatchType != info.MatchType || old.FilterValue != info.FilterValue ||
            old.MinValue != info.MinValue || old.MaxValue != info.MaxValue ||
            old.CaseSensitive != info.CaseSensitive || old.NonMatching != info.NonMatching)
            FModified = true;
        old = info;
    }
    return true;
}

void TqzFilterDlg::ChoosePage(bool Range) {
    FTabSheet1->SetVisible(!Range);
    FTabSheet2->SetVisible(Range);
    if (FSelectNotebook->Tabs()->Count() == 2) FSelectNotebook->SetTabIndex(Range ? 1 : 0);
}

void TqzFilterDlg::ChooseValueEditor() {
    const bool combo =
        FFilterValueCombo->Items()->Count() > 0 && FMatchTypeGroup->ItemIndex() != kMatchAnyItem;
    if (combo == FFilterValueCombo->Visible()) return;
    const std::string text = ValueText();
    FFilterValueCombo->SetVisible(combo);
    FFilterValueEdit->SetVisible(!combo);
    SetValueText(text);
    FFieldValueLbl->SetFocusControl(ValueEditor());
}

void TqzFilterDlg::LoadField(int ListIndex) {
    FLoading = true;
    FPanelField = ListIndex;
    FPanelLabel = ListIndex >= 0 ? FFieldsListBox->Items()->Strings(ListIndex) : std::string();
    const TqzDBFieldInfo* field = FieldOfLabel(FPanelLabel);
    std::string mask;
    TStringList combo;
    if (field) FDialog->DoSelectField(field->FieldName, mask, &combo);
    FFilterValueEdit->Picture()->SetPictureMask(mask);
    FFilterValueCombo->Picture()->SetPictureMask(mask);
    FFilterValueCombo->Items()->Clear();
    for (int i = 0; i < combo.Count(); ++i) FFilterValueCombo->Items()->Add(combo.Strings(i));
    const TFieldType type = field ? field->DataType : ftUnknown;
    const bool pickers = (type == ftDate || type == ftDateTime || type == ftTimeStamp) &&
                         !FDialog->Options().Contains(fdDisableDateTimePicker);
    for (TqzDBDateTimePicker* picker : {FMinDateEdit, FMaxDateEdit}) {
        picker->SetUnboundDataType(type == ftDate ? qzDTEdtDate : qzDTEdtDateTime);
        picker->SetVisible(pickers);
    }
    FMinValueEdit->SetVisible(!pickers);
    FMaxValueEdit->SetVisible(!pickers);
    FMinLbl->SetFocusControl(MinEditor());
    FMaxLbl->SetFocusControl(MaxEditor());
    const int index = CriterionOf(FPanelLabel);
    if (index >= 0) {
        const TqzFieldInfo& info = FFieldInfo[static_cast<size_t>(index)];
        const bool range = info.MatchType == fdMatchRange;
        SetValueText(range ? std::string() : info.FilterValue);
        SetRangeTexts(range ? info.MinValue : std::string(), range ? info.MaxValue : std::string());
        if (!range)
            FMatchTypeGroup->SetItemIndex(
                std::min(ItemOfMatch(info.MatchType), FMatchTypeGroup->Items()->Count() - 1));
        FCaseSensitive->SetChecked(info.CaseSensitive);
        FNonmatching->SetChecked(info.NonMatching);
        ChoosePage(range);
    } else {
        SetValueText("");
        SetRangeTexts("", "");
        FMatchTypeGroup->SetItemIndex(
            std::min(ItemOfMatch(FDialog->DefaultMatchType()), FMatchTypeGroup->Items()->Count() - 1));
        FCaseSensitive->SetChecked(FDialog->Options().Contains(fdCaseSensitive));
        FNonmatching->SetChecked(false);
        bool range;
        const TqzDefaultFilterBy by = FDialog->DefaultFilterBy();
        if (FSelectNotebook->Tabs()->Count() == 0 || by == fdFilterByRange || by == fdFilterByValue)
            range = by == fdFilterByRange;
        else
            range =
                field && TakesRange(field->DataType, FDialog->FilterMethod()) && field->DataType != ftBoolean;
        ChoosePage(range);
    }
    ChooseValueEditor();
    FLoading = false;
    UpdateButtons();
}

void TqzFilterDlg::SelectField(int ListIndex) {
    if (ListIndex < 0 || ListIndex >= FFieldsListBox->Items()->Count()) return;
    if (ListIndex == FPanelField) return;
    if (!StoreEntries()) {
        FFieldsListBox->SetItemIndex(FPanelField);
        return;
    }
    FFieldsListBox->SetItemIndex(ListIndex);
    LoadField(ListIndex);
    // A focus left on an editor of the other page goes to this page's editor.
    TWinControl* active = ActiveControl();
    if (!active || (active != FFieldsListBox && !active->Showing())) {
        TWinControl* focus = PageEditor();
        if (focus->CanFocus()) focus->SetFocus();
    }
}

void TqzFilterDlg::UpdateButtons() {
    FFilterValueClearButton->SetEnabled(!ValueText().empty());
    // Texts only: reading a picker's value would finish what is being typed.
    const bool hasMin = !(UsesPickers() ? FMinDateEdit->Text() : FMinValueEdit->Text()).empty();
    const bool hasMax = !(UsesPickers() ? FMaxDateEdit->Text() : FMaxValueEdit->Text()).empty();
    FMinValueClearButton->SetEnabled(hasMin);
    FMaxValueClearButton->SetEnabled(hasMax);
    FClearSearchButton->SetEnabled(!FFieldInfo.empty() || !ValueText().empty() || hasMin || hasMax);
}

void TqzFilterDlg::FieldsListBoxClick(TObject*) { SelectField(FFieldsListBox->ItemIndex()); }

void TqzFilterDlg::FieldsListBoxKeyDown(TObject*, uint16_t& Key, TShiftState) {
    if (Key != VK_DELETE || FFieldTabSet->TabIndex() != 1) return;
    const int index = CriterionOf(FPanelLabel);
    if (index >= 0) {
        FFieldInfo.erase(FFieldInfo.begin() + index);
        FModified = true;
    }
    FPanelField = -1;
    FillFieldList();
    const int select = FFieldsListBox->Items()->Count() > 0 ? 0 : -1;
    FFieldsListBox->SetItemIndex(select);
    LoadField(select);
    Key = 0;
}

void TqzFilterDlg::FieldTabSetChanging(TObject*, bool& AllowChange) {
    if (!StoreEntries()) {
        AllowChange = false;
        return;
    }
    if (FFieldTabSet->TabIndex() == 0 && FFieldInfo.empty()) {
        AllowChange = false;
        MessageDlg(qzIntl()->UserMessages()->FilterDlgNoCriteria(), mtInformation, TMsgDlgButtons{mbOK}, 0);
    }
}

void TqzFilterDlg::FieldTabSetChange(TObject*) {
    const std::string current = FPanelLabel;
    FillFieldList();
    int select = FFieldsListBox->Items()->IndexOf(current);
    if (select < 0 && FFieldsListBox->Items()->Count() > 0) select = 0;
    FFieldsListBox->SetItemIndex(select);
    FPanelField = -1;
    LoadField(select);
}

void TqzFilterDlg::FieldOrderClick(TObject*) {
    const std::string current = FPanelLabel;
    FillFieldList();
    const int select = FFieldsListBox->Items()->IndexOf(current);
    FFieldsListBox->SetItemIndex(select);
    FPanelField = select;
}

void TqzFilterDlg::SelectNotebookChange(TObject*) {
    ChoosePage(FSelectNotebook->TabIndex() == 1);
    UpdateButtons();
}

void TqzFilterDlg::MatchTypeGroupClick(TObject*) { ChooseValueEditor(); }

void TqzFilterDlg::EditorChange(TObject*) {
    if (!FLoading) UpdateButtons();
}

void TqzFilterDlg::ClearButtonClick(TObject* Sender) {
    if (Sender == FFilterValueClearButton) {
        SetValueText("");
        if (ValueEditor()->CanFocus()) ValueEditor()->SetFocus();
    } else if (Sender == FMinValueClearButton || Sender == FMaxValueClearButton) {
        const bool upper = Sender == FMaxValueClearButton;
        (upper ? FMaxValueEdit : FMinValueEdit)->SetText("");
        (upper ? FMaxDateEdit : FMinDateEdit)->SetText("");
        TWinControl* editor = upper ? MaxEditor() : MinEditor();
        if (editor->CanFocus()) editor->SetFocus();
    }
    UpdateButtons();
}

void TqzFilterDlg::ClearSearchButtonClick(TObject*) {
    FFieldInfo.clear();
    FModified = true;
    SetValueText("");
    SetRangeTexts("", "");
    FMatchTypeGroup->SetItemIndex(kMatchStartItem);
    if (FFieldTabSet->TabIndex() == 1) FFieldTabSet->SetTabIndex(0);
    const std::string current = FPanelLabel;
    FillFieldList();
    FFieldsListBox->SetItemIndex(FFieldsListBox->Items()->IndexOf(current));
    UpdateButtons();
}

void TqzFilterDlg::ViewButtonClick(TObject*) {
    if (!StoreEntries()) return;
    if (FFieldInfo.empty())
        MessageDlg(qzIntl()->UserMessages()->FilterDlgNoCriteria(), mtInformation, TMsgDlgButtons{mbOK}, 0);
    else
        FDialog->DoDialogSummary(FFieldInfo);
    TWinControl* focus = PageEditor();
    if (focus->CanFocus()) focus->SetFocus();
}

void TqzFilterDlg::KeyDown(uint16_t& Key, TShiftState Shift) {
    bool move = Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT;
    // A picker that holds text steps its part with Up and Down.
    if ((Key == VK_UP || Key == VK_DOWN) && ((FMinDateEdit->Focused() && !FMinDateEdit->Text().empty()) ||
                                             (FMaxDateEdit->Focused() && !FMaxDateEdit->Text().empty())))
        move = false;
    if (move && !FFieldsListBox->Focused() && !Shift.Contains(ssAlt) && !FFilterValueCombo->Focused() &&
        FFieldsListBox->Items()->Count() > 0) {
        const int rows =
            std::max(1, FFieldsListBox->ClientHeight() / std::max(1, FFieldsListBox->ItemHeight()));
        const int step = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -rows : rows;
        const int target =
            std::clamp(FFieldsListBox->ItemIndex() + step, 0, FFieldsListBox->Items()->Count() - 1);
        SelectField(target);
        Key = 0;
        return;
    }
    TMinSizeForm::KeyDown(Key, Shift);
}

bool TqzFilterDlg::CloseQuery() {
    if (ModalResult() == mrOk && !StoreEntries()) return false;
    return TMinSizeForm::CloseQuery();
}
