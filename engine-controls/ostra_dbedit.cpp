// TOstraDBEdit: properties, field binding, preparing the drop-down and
// showing and writing back the value.
#include "engine-controls/ostra_dbedit.h"

#include <algorithm>
#include <cmath>

#include "engine-controls/engine_controls_messages.h"
#include "engine-controls/ostra_calculator.h"
#include "engine-controls/ostra_dbedit_panels.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/field_link.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"

void RegisterOstraDBEditGlyphs();

namespace {

// The edit's calculator: its window gives the activation back to the edit.
class TEditCalculator final : public TOstraCalculator {
public:
    using TOstraCalculator::TOstraCalculator;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == CM_ACTIVATE)
            if (auto* edit = dynamic_cast<TOstraDBEdit*>(Owner())) edit->DropDownActivated();
        TOstraCalculator::Dispatch(Message);
    }
};

}  // namespace

// ---- Life cycle -----------------------------------------------------------------------------

TOstraDBEdit::TOstraDBEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    TControlStyle style = ControlStyle();
    style.Include(csReplicatable);
    style.Exclude(csDoubleClicks);
    SetControlStyle(style);
    FLookupSource = std::make_unique<TDataSource>(nullptr);
    FDataLink = std::make_unique<TControlFieldLink>(this);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TOstraDBEdit::DataChange));
    FDataLink->SetOnEditingChange(TNotifyEvent(this, &TOstraDBEdit::EditingChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TOstraDBEdit::UpdateData));
    RegisterOstraDBEditGlyphs();
    FCalculatorGlyph = std::make_unique<TBitmap>();
    FCalculatorGlyph->LoadFromResourceName("TOCALCULAT");
    FCalculatorGlyph->SetTransparent(true);
    FCalendarGlyph = std::make_unique<TBitmap>();
    FCalendarGlyph->LoadFromResourceName("TOCALENDAR");
    FCalendarGlyph->SetTransparent(true);
}

TOstraDBEdit::~TOstraDBEdit() {
    Destroying();
    FDroppedDown = false;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    FDataLink->Release();
    if (FLookupList) {
        FLookupList->StopFilterSearch();
        FLookupList->SetListSource(nullptr);
    }
    // The drop-downs go first: they refer to the edit.
    delete FValueList;
    delete FLookupList;
    delete FCalendar;
    delete FTree;
    delete FCalculator;
    FValueList = nullptr;
    FLookupList = nullptr;
    FCalendar = nullptr;
    FTree = nullptr;
    FCalculator = nullptr;
    FActiveDropDown = nullptr;
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupSource.reset();
}

void TOstraDBEdit::Loaded() {
    inherited::Loaded();
    if (ComponentState().Contains(csDesigning)) DataChange(nullptr);
}

void TOstraDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove || !FDataLink) return;
    if (AComponent == DataSource()) {
        FDataLink->DataSourceRemoved(AComponent, Operation);
        FDropDownPrepared = false;
    }
    if (AComponent == FLookupDataSet) {
        if (FDroppedDown && (FActiveDropDown == FLookupList || FActiveDropDown == FTree)) CloseUp(false);
        FLookupDataSet = nullptr;
        if (FLookupSource) FLookupSource->SetDataSet(nullptr);
        FDropDownPrepared = false;
    }
}

// ---- Data binding ---------------------------------------------------------------------------

TDataSource* TOstraDBEdit::DataSource() const { return FDataLink->DataSource(); }

void TOstraDBEdit::SetDataSource(TDataSource* Value) {
    FDataLink->AttachDataSource(Value);
    ApplyFieldSettings();
}

std::string TOstraDBEdit::DataField() const { return FDataLink->FieldName(); }

void TOstraDBEdit::SetDataField(const std::string& Value) {
    // the old field's size goes with it
    if (FFieldMaxLength > 0 && MaxLength() == FFieldMaxLength) SetMaxLength(0);
    FFieldMaxLength = 0;
    if (!Value.empty()) FDataLink->SetFieldName(Value);
    ApplyFieldSettings();
}

TField* TOstraDBEdit::Field() const { return FDataLink->Field(); }

bool TOstraDBEdit::FieldBound() const { return FDataLink->Field() && FDataLink->Active(); }

void TOstraDBEdit::SetReadOnly(bool Value) {
    FDataLink->SetReadOnly(Value);
    TCustomMaskEdit::SetReadOnly(Value || (FieldBound() && !FDataLink->Editing()));
}

void TOstraDBEdit::ApplyFieldSettings() {
    TField* f = FDataLink->Field();
    if (!f || !FDataLink->DataSet()) return;
    TCustomMaskEdit::SetReadOnly(FDataLink->ReadOnly());
    SetAlignment(f->Alignment());
    if (f->Lookup()) {
        SetDialogStyle(odsLookup);
        SetLookupDataSet(f->LookupDataSet());
        TOstraLookupProperties* lp = LookupProps();
        lp->SetSourceKeyField(f->KeyFields());
        lp->SetLookupKeyField(f->LookupKeyFields());
        lp->SetListFieldNames(f->LookupResultField());
        // Shown again as a lookup: the value is the key now.
        DataChange(nullptr);
    }
}

// The field whose value the edit stands for: the source key field of a
// lookup, else the bound field.
TField* TOstraDBEdit::ValueField() const {
    TField* f = FDataLink->Field();
    if (!f) return nullptr;
    if (FDialogStyle == odsLookup && FLookupProps && !FLookupProps->SourceKeyField().empty()) {
        if (TDataSet* ds = FDataLink->DataSet())
            if (TField* key = ds->FindField(FLookupProps->SourceKeyField())) return key;
    }
    return f;
}

void TOstraDBEdit::SetLookupDataSet(TDataSet* Value) {
    if (Value && Value == FDataLink->DataSet()) DatabaseError(SLookupDataSetEqualsSource);
    if (Value == FLookupDataSet) return;
    if (FDroppedDown && (FActiveDropDown == FLookupList || FActiveDropDown == FTree)) CloseUp(false);
    if (FLookupList) FLookupList->StopFilterSearch();
    if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value) Value->FreeNotification(this);
    FLookupSource->SetDataSet(nullptr);
    PropertiesChanged();
}

void TOstraDBEdit::DataChange(TObject*) {
    FValue = Variant(std::string());
    TDataSet* ds = FDataLink->DataSet();
    if (FieldBound() && ds && (!ds->IsEmpty() || ds->State() == dsInsert)) {
        TField* vf = ValueField();
        FValue = vf->AsVariant();
        SetEditMask(Field()->EditMask());
        // Typing stops where the text field does: what shows is what is stored.
        if (MaxLength() == 0 && !ComponentState().Contains(csDesigning) && TextRoomOf(vf) > 0) {
            FFieldMaxLength = TextRoomOf(vf);
            SetMaxLength(FFieldMaxLength);
        }
        ShowValue(FValue, vf->IsNull() ? std::string() : vf->DisplayText());
    } else if (ComponentState().Contains(csDesigning) && !FieldBound()) {
        SetShownText(Name());
    } else {
        SetShownText(std::string());
    }
    if (ds && ds->CanModify() && FDataLink->Editing()) SetModified(true);
}

void TOstraDBEdit::EditingChange(TObject*) {
    if (FieldBound()) TCustomMaskEdit::SetReadOnly(!FDataLink->Editing());
}

void TOstraDBEdit::UpdateData(TObject*) {
    ValidateEdit();
    if (FOnUpdateData.Assigned()) {
        FOnUpdateData(this, Text());
        return;
    }
    if (!FieldBound()) return;
    TField* f = Field();
    const bool blank = VarIsEmpty(FValue) || VarIsNull(FValue);
    if (FDialogStyle == odsLookup && FLookupProps && !FLookupProps->SourceKeyField().empty()) {
        TField* key = FDataLink->DataSet()->FieldByName(FLookupProps->SourceKeyField());
        if (blank)
            key->Clear();
        else
            key->SetAsString(FValue.AsString());
        if (!SameText(FLookupProps->SourceKeyField(), DataField()) && f->FieldKind() == fkData)
            f->SetAsString(Text());
        return;
    }
    if (f->Calculated() || f->Lookup()) return;
    if (blank)
        f->Clear();
    else
        f->SetAsString(FValue.AsString());
}

bool TOstraDBEdit::EditCanModify() {
    if (!FDataLink->Field()) return true;
    TDataSet* ds = FDataLink->DataSet();
    return ds && ds->CanModify() && FDataLink->Edit();
}

void TOstraDBEdit::Reset() {
    if (FieldBound()) {
        FDataLink->Reset();
        SelectAll();
        return;
    }
    inherited::Reset();
}

void TOstraDBEdit::RefreshFromField() { DataChange(nullptr); }

// ---- Properties -----------------------------------------------------------------------------

void TOstraDBEdit::PropertiesChanged() { FDropDownPrepared = false; }

void TOstraDBEdit::SetDialogStyle(TOstraDialogStyle Value) {
    if (Value == FDialogStyle) return;
    if (FDroppedDown) CloseUp(false);
    FDialogStyle = Value;
    FDropDownPrepared = false;
    FActiveDropDown = nullptr;
    if (Value == odsCalculator)
        FAlignment = taRightJustify;
    else if (Value != odsEdit)
        FAlignment = taLeftJustify;
    if (ComponentState().Contains(csDesigning))
        DataChange(nullptr);
    else if (HandleAllocated())
        PrepareDropDown();
    UpdateEditRect();
    Invalidate();
}

void TOstraDBEdit::SetStyle(TOstraComboBoxStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

void TOstraDBEdit::SetAlignment(TAlignment Value) {
    if (FDialogStyle == odsEdit)
        FAlignment = Value;
    else
        FAlignment = FDialogStyle == odsCalculator ? taRightJustify : taLeftJustify;
    Invalidate();
}

void TOstraDBEdit::SetButtonWidth(int Value) {
    if (Value > 11 && Value < std::lround(Width() / 2.0)) {
        FButtonWidth = Value;
        UpdateEditRect();
    }
    Invalidate();
}

void TOstraDBEdit::SetDropDownRows(unsigned Value) {
    if (Value == FDropDownRows) return;
    FDropDownRows = Value;
    FDropDownPrepared = false;
}

TOstraComboProperties* TOstraDBEdit::ComboProps() {
    if (!FComboProps) FComboProps = std::make_unique<TOstraComboProperties>(this);
    return FComboProps.get();
}

void TOstraDBEdit::SetComboProps(TOstraComboProperties* Value) {
    if (!Value)
        FComboProps.reset();
    else if (Value != FComboProps.get())
        ComboProps()->Assign(Value);
    FDropDownPrepared = false;
}

TOstraLookupProperties* TOstraDBEdit::LookupProps() {
    if (!FLookupProps) FLookupProps = std::make_unique<TOstraLookupProperties>(this);
    return FLookupProps.get();
}

void TOstraDBEdit::SetLookupProps(TOstraLookupProperties* Value) {
    if (!Value)
        FLookupProps.reset();
    else if (Value != FLookupProps.get())
        LookupProps()->Assign(Value);
    FDropDownPrepared = false;
}

TOstraTreeProperties* TOstraDBEdit::TreeProps() {
    if (!FTreeProps) FTreeProps = std::make_unique<TOstraTreeProperties>(this);
    return FTreeProps.get();
}

void TOstraDBEdit::SetTreeProps(TOstraTreeProperties* Value) {
    if (!Value)
        FTreeProps.reset();
    else if (Value != FTreeProps.get())
        TreeProps()->Assign(Value);
    FDropDownPrepared = false;
}

bool TOstraDBEdit::HasDropDownStyle() const {
    return FDialogStyle >= odsCombo && FDialogStyle <= odsCalculator;
}

bool TOstraDBEdit::ListedValuesOnly() const { return FStyle == ocsDropDownList && FDialogStyle != odsEdit; }

bool TOstraDBEdit::LookupReady() {
    if (FDialogStyle != odsLookup && FDialogStyle != odsTree) return true;
    if (!FLookupDataSet || !FLookupDataSet->Active()) return false;
    // The edit's own dataset (set as the lookup before the data source was
    // bound) is never walked: that would move the record being edited.
    if (FLookupDataSet == FDataLink->DataSet()) return false;
    if (FDialogStyle == odsLookup)
        return !LookupProps()->LookupKeyField().empty() && !LookupProps()->ListFieldNames().empty();
    TOstraTreeProperties* tp = TreeProps();
    return !tp->TextField().empty() && !tp->UniqueField().empty() && !tp->LevelField().empty();
}

TRect TOstraDBEdit::ButtonRect() const {
    const TRect c = ClientRect();
    return Rect(std::max(0, c.Right - FButtonWidth), 0, c.Right, c.Bottom);
}

// ---- Window ------------------------------------------------------------------------------------

void TOstraDBEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
}

void TOstraDBEdit::CreateWnd() {
    inherited::CreateWnd();
    UpdateEditRect();
    if (!FieldBound() && !ComponentState().Contains(csDesigning)) PrepareDropDown();
}

void TOstraDBEdit::BoundsChanged() {
    inherited::BoundsChanged();
    UpdateEditRect();
}

void TOstraDBEdit::UpdateEditRect() {
    const TRect c = ClientRect();
    if (FDialogStyle == odsEdit)
        SetEditRect(c);
    else
        SetEditRect(Rect(0, 0, std::max(0, c.Right - FButtonWidth - 2), c.Bottom + 1));
}

// ---- Preparing and showing -------------------------------------------------------------------

void TOstraDBEdit::PrepareDropDown() {
    if (FPreparing || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    FPreparing = true;
    try {
        FDropDownPrepared = true;
        const TMouseEvent closeByMouse(this, &TOstraDBEdit::PopupMouseUp);
        switch (FDialogStyle) {
        case odsCombo: PrepareComboList(closeByMouse); break;
        case odsLookup: PrepareLookupList(closeByMouse); break;
        case odsCalendar: PrepareCalendar(closeByMouse); break;
        case odsTree: PrepareTree(closeByMouse); break;
        case odsCalculator: PrepareCalculator(); break;
        default: FActiveDropDown = nullptr; break;
        }
        if (FDropDownPrepared && FieldBound()) RefreshFromField();
        Invalidate();
    } catch (...) {
        FPreparing = false;
        throw;
    }
    FPreparing = false;
}

void TOstraDBEdit::PrepareComboList(const TMouseEvent& Close) {
    if (!FValueList) {
        FValueList = new TOstraListbox(this);
        FValueList->SetParent(this);
        FValueList->SetOnMouseUp(Close);
        FValueList->SetIntegralHeight(true);
    }
    FValueList->SetColor(Color());
    FValueList->SetFont(Font());
    TOstraComboProperties* cp = ComboProps();
    FValueList->Items()->Assign(cp->ComboItems());
    if (cp->ValueMapped()) {
        FStyle = ocsDropDownList;
        FAutoDropDown = true;
    } else {
        FStyle = ocsDropDown;
    }
    FActiveDropDown = FValueList;
}

void TOstraDBEdit::PrepareLookupList(const TMouseEvent& Close) {
    if (!FLookupList) {
        FLookupList = new TOstraPopupData(this);
        FLookupList->SetParent(this);
        FLookupList->SetOnMouseUp(Close);
    }
    TOstraLookupProperties* lp = LookupProps();
    FLookupList->SetKindSearch(lp->KindSearch());
    FLookupList->SetColor(Color());
    FLookupList->SetFont(Font());
    FLookupList->SetRowCount(static_cast<int>(std::max(1u, FDropDownRows)));
    FLookupList->SetListSource(nullptr);
    FLookupList->SetKeyField(lp->LookupKeyField());
    FLookupList->SetListField(lp->ListFieldNames());
    FLookupList->SetListFieldIndex(lp->EffectiveViewFieldIndex());
    FLookupSource->SetDataSet(FLookupDataSet == FDataLink->DataSet() ? nullptr : FLookupDataSet);
    FActiveDropDown = FLookupList;
    if (LookupReady()) {
        try {
            FLookupList->SetListSource(FLookupSource.get());
        } catch (const EDatabaseError&) {
            // Field names the dataset lacks: the lookup stays unprepared.
            FLookupList->SetListSource(nullptr);
            FDropDownPrepared = false;
        }
    } else {
        FDropDownPrepared = false;
    }
}

void TOstraDBEdit::PrepareCalendar(const TMouseEvent& Close) {
    if (!FCalendar) {
        FCalendar = new TOstraDlgCalendar(this);
        FCalendar->SetParent(this);
        FCalendar->SetOnMouseUp(Close);
        FCalendar->SetOnSelectDate(TNotifyEvent(this, &TOstraDBEdit::CalendarSelectDate));
    }
    FActiveDropDown = FCalendar;
}

void TOstraDBEdit::PrepareTree(const TMouseEvent& Close) {
    if (!FTree) {
        FTree = new TOstraPopupTree(this);
        FTree->SetParent(this);
        FTree->SetOnMouseUp(Close);
    }
    FTree->SetColor(Color());
    FTree->SetFont(Font());
    FActiveDropDown = FTree;
    if (FLookupDataSet != FDataLink->DataSet()) FTree->FillTree(TreeProps(), FLookupDataSet);
    if (!LookupReady()) FDropDownPrepared = false;
    FStyle = ocsDropDownList;
}

void TOstraDBEdit::PrepareCalculator() {
    if (!FCalculator) {
        // The calculator shows 0 in its owner's text as it is made.
        const std::string text = Text();
        const bool modified = Modified();
        FSettingText = true;
        try {
            FCalculator = new TEditCalculator(this);
            SetText(text);
        } catch (...) {
            FSettingText = false;
            throw;
        }
        FSettingText = false;
        SetModified(modified);
        FCalculator->SetParent(this);
        FCalculator->SetVisible(false);
        FCalculator->SetOnExitClick(TOstraExitClickEvent(this, &TOstraDBEdit::CalculatorExit));
    }
    FActiveDropDown = FCalculator;
}

std::string TOstraDBEdit::DisplayTextFor(const Variant& AValue, const std::string& ValueText) {
    if (!FActiveDropDown) return ValueText;
    if (FActiveDropDown == FValueList) {
        TOstraComboProperties* cp = ComboProps();
        if (cp->ValueMapped()) {
            const int i = cp->ComboValues()->IndexOf(ValueText);
            return i >= 0 ? cp->ComboItems()->Strings(i) : std::string();
        }
        if (FStyle == ocsDropDown) return ValueText;
        return cp->ComboItems()->IndexOf(ValueText) >= 0 ? ValueText : std::string();
    }
    if (FActiveDropDown == FLookupList) {
        if (!ValueText.empty() && LookupReady()) {
            TOstraLookupProperties* lp = LookupProps();
            const auto& fields = lp->ListFields();
            if (!fields.empty()) {
                try {
                    const Variant r =
                        FLookupDataSet->Lookup(lp->LookupKeyField(), AValue,
                                               fields[static_cast<size_t>(lp->EffectiveViewFieldIndex())]);
                    if (!VarIsNull(r) && !VarIsEmpty(r)) return r.AsString();
                } catch (const Exception&) {
                    // A value of the wrong kind for the key matches no record.
                }
            }
        }
        return FStyle == ocsDropDown ? ValueText : std::string();
    }
    if (FActiveDropDown == FTree) {
        if (ValueText.empty() || FTree->Items()->Count() == 0) return std::string();
        return TOstraPopupTree::NodePath(FTree->FindNodeByValue(ValueText), TreeProps()->PathSeparator());
    }
    // Calendar and calculator: a zero date shows nothing.
    if (ValueText.find(".00.") != std::string::npos || ValueText.find("/00/") != std::string::npos)
        return std::string();
    return ValueText;
}

void TOstraDBEdit::ShowValue(const Variant& AValue, const std::string& ValueText) {
    const std::string valueText = VarIsEmpty(AValue) || VarIsNull(AValue) ? std::string() : ValueText;
    if (!FDropDownPrepared && !FPreparing) PrepareDropDown();
    std::string text;
    if (FOnDisplayText.Assigned()) {
        text = valueText;
        FOnDisplayText(this, valueText, text);
    } else {
        text = DisplayTextFor(AValue, valueText);
    }
    SetShownText(text);
}

void TOstraDBEdit::SetShownText(const std::string& Value) {
    std::string text = Value;
    if (CharCase() == ecUpperCase)
        text = AnsiUpperCase(text);
    else if (CharCase() == ecLowerCase)
        text = AnsiLowerCase(text);
    FSettingText = true;
    try {
        SetText(text);
    } catch (...) {
        FSettingText = false;
        throw;
    }
    FSettingText = false;
}

void TOstraDBEdit::Change() {
    if (!FSettingText) {
        if (FieldBound() && FDataLink->Editing()) FDataLink->Modified();
        // Only the user's typing changes the value, and only where typing may.
        if (Modified() && !FDroppedDown && !ListedValuesOnly()) {
            const std::string text = Text();
            FValue = text.empty() ? Variant(FClearValue) : Variant(text);
        }
    }
    inherited::Change();
}

// ---- Focus ----------------------------------------------------------------------------------

void TOstraDBEdit::DoEnter() {
    FFocused = true;
    inherited::DoEnter();
    Invalidate();
}

void TOstraDBEdit::CMExit(TMessage& Message) {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        if (CanFocus()) SetFocus();
        throw;
    }
    FFocused = false;
    Invalidate();
    inherited::CMExit(Message);
}

TCustomForm* TOstraDBEdit::NavigationForm() const {
    if (TCustomForm* form = GetParentForm(this)) return form;
    return dynamic_cast<TCustomForm*>(Owner());
}

void TOstraDBEdit::PostNextControl(bool Forward) {
    if (TCustomForm* form = NavigationForm()) PostMessage(form, WM_NEXTDLGCTL, Forward ? 0 : 1, 0);
}

// ---- Published properties ------------------------------------------------------------------------

void TOstraDBEdit::Publish(TPublisher<TOstraDBEdit>& p) {
    p.Property("Alignment", &TOstraDBEdit::Alignment, &TOstraDBEdit::SetAlignment);
    p.Property("AutoDropDown", &TOstraDBEdit::AutoDropDown, &TOstraDBEdit::SetAutoDropDown);
    p.Property("ButtonWidth", &TOstraDBEdit::ButtonWidth, &TOstraDBEdit::SetButtonWidth);
    p.Property(
        "ReadOnly", [](TOstraDBEdit& e) { return e.FDataLink->ReadOnly(); },
        [](TOstraDBEdit& e, bool v) { e.SetReadOnly(v); });
    p.Property(
        "ClearValue", [](TOstraDBEdit& e) { return e.ClearValue(); },
        [](TOstraDBEdit& e, const std::string& v) { e.SetClearValue(v); });
    p.Property("ComboProps", &TOstraDBEdit::ComboProps, &TOstraDBEdit::SetComboProps);
    p.Property("DataField", &TOstraDBEdit::DataField,
               [](TOstraDBEdit& e, const std::string& v) { e.SetDataField(v); });
    p.Property("DataSource", &TOstraDBEdit::DataSource, &TOstraDBEdit::SetDataSource);
    p.Property("DialogStyle", &TOstraDBEdit::DialogStyle, &TOstraDBEdit::SetDialogStyle);
    p.Property("DropDownRows", &TOstraDBEdit::DropDownRows, &TOstraDBEdit::SetDropDownRows);
    p.Property("DropDownWidth", &TOstraDBEdit::DropDownWidth, &TOstraDBEdit::SetDropDownWidth);
    p.Property("EnterAsTab", &TOstraDBEdit::EnterAsTab, &TOstraDBEdit::SetEnterAsTab);
    p.Property("LookupDataSet", &TOstraDBEdit::LookupDataSet, &TOstraDBEdit::SetLookupDataSet);
    p.Property("LookupProps", &TOstraDBEdit::LookupProps, &TOstraDBEdit::SetLookupProps);
    p.Property(
        "PasswordChar", [](TOstraDBEdit& e) { return e.PasswordChar(); },
        [](TOstraDBEdit& e, char32_t v) { e.SetPasswordChar(v); });
    p.Property(
        "PopupMenu", [](TOstraDBEdit& e) { return e.PopupMenu(); },
        [](TOstraDBEdit& e, TPopupMenu* v) { e.SetPopupMenu(v); });
    p.Property("Style", &TOstraDBEdit::Style, &TOstraDBEdit::SetStyle);
    p.Property("TreeProps", &TOstraDBEdit::TreeProps, &TOstraDBEdit::SetTreeProps);
    p.Property("OnCloseUp", &TOstraDBEdit::OnCloseUp, &TOstraDBEdit::SetOnCloseUp);
    p.Property("OnCustomDlg", &TOstraDBEdit::OnCustomDlg, &TOstraDBEdit::SetOnCustomDlg);
    p.Property("OnDisplayText", &TOstraDBEdit::OnDisplayText, &TOstraDBEdit::SetOnDisplayText);
    p.Property("OnDropDown", &TOstraDBEdit::OnDropDown, &TOstraDBEdit::SetOnDropDown);
    p.Property("OnUpdateData", &TOstraDBEdit::OnUpdateData, &TOstraDBEdit::SetOnUpdateData);
}
