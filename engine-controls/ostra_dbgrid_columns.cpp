// The engine grid's columns: defaults, assigned values, cell texts and the
// collection that tells the grid about changes.
#include "engine-controls/ostra_dbgrid_columns.h"

#include "engine-controls/engine_controls_messages.h"
#include "engine-controls/ostra_dbgrid.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/variant.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/menus.h"

namespace {
const TOstraColumnValues TitleValues{cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont};

// Text up to the first line break.
std::string FirstLine(const std::string& Text) {
    const auto p = Text.find_first_of("\r\n");
    return p == std::string::npos ? Text : Text.substr(0, p);
}

// Index of Text in List, letter case ignored; -1 when absent.
int IndexOfText(const TStrings* List, const std::string& Text) {
    for (int i = 0; i < List->Count(); ++i)
        if (AnsiSameText(List->Strings(i), Text)) return i;
    return -1;
}

// Measuring needs the grid's canvas; its font is put back afterwards.
class TCanvasFontKeeper {
public:
    explicit TCanvasFontKeeper(TCanvas* Canvas) : FCanvas(Canvas) { FSaved.Assign(Canvas->Font()); }
    ~TCanvasFontKeeper() { FCanvas->SetFont(&FSaved); }

private:
    TCanvas* FCanvas;
    TFont FSaved;
};
}  // namespace

// ---- TOstraColumnTitle ---------------------------------------------------------------------------

TOstraColumnTitle::TOstraColumnTitle(TOstraColumn* Column)
    : FColumn(Column), FFont(std::make_unique<TFont>()) {
    FFont->SetOnChange(TNotifyEvent(this, &TOstraColumnTitle::FontChanged));
}

TOstraColumnTitle::~TOstraColumnTitle() { FFont->SetOnChange(nullptr); }

bool TOstraColumnTitle::IsAssigned(TOstraColumnValue V) const { return FColumn->IsAssigned(V); }
void TOstraColumnTitle::MarkAssigned(TOstraColumnValue V) { FColumn->FAssignedValues += V; }

TAlignment TOstraColumnTitle::Alignment() const {
    return IsAssigned(cvTitleAlignment) ? FAlignment : DefaultAlignment();
}

void TOstraColumnTitle::SetAlignment(TAlignment Value) {
    if (IsAssigned(cvTitleAlignment) && Value == FAlignment) return;
    FAlignment = Value;
    MarkAssigned(cvTitleAlignment);
    FColumn->ColumnChanged(false);
}

std::string TOstraColumnTitle::DefaultCaption() const {
    if (TField* f = FColumn->Field()) return f->DisplayLabel();
    return FColumn->FieldName();
}

std::string TOstraColumnTitle::Caption() const {
    return IsAssigned(cvTitleCaption) ? FCaption : DefaultCaption();
}

void TOstraColumnTitle::SetCaption(const std::string& Value) {
    // A default column shows its field's label: the label changes instead.
    if (!FColumn->Stored()) {
        TOstraCustomDBGrid* grid = FColumn->Grid();
        if (grid && grid->DataLink()->Active()) {
            if (TField* f = FColumn->Field()) f->SetDisplayLabel(Value);
            return;
        }
    }
    if (IsAssigned(cvTitleCaption) && Value == FCaption) return;
    FCaption = Value;
    MarkAssigned(cvTitleCaption);
    FColumn->ColumnChanged(false);
}

TColor TOstraColumnTitle::DefaultColor() const {
    TOstraCustomDBGrid* grid = FColumn->Grid();
    return grid ? grid->FixedColor() : clBtnFace;
}

TColor TOstraColumnTitle::Color() const { return IsAssigned(cvTitleColor) ? FColor : DefaultColor(); }

void TOstraColumnTitle::SetColor(TColor Value) {
    if (IsAssigned(cvTitleColor) && Value == FColor) return;
    FColor = Value;
    MarkAssigned(cvTitleColor);
    FColumn->ColumnChanged(false);
}

TFont* TOstraColumnTitle::DefaultFont() const {
    TOstraCustomDBGrid* grid = FColumn->Grid();
    return grid ? grid->TitleFont() : FColumn->Font();
}

void TOstraColumnTitle::RefreshDefaultFont() const {
    if (IsAssigned(cvTitleFont)) return;
    TFont* def = DefaultFont();
    if (!def || FFont->Equals(*def)) return;
    FRefreshing = true;
    try {
        FFont->Assign(def);
    } catch (...) {
        FRefreshing = false;
        throw;
    }
    FRefreshing = false;
}

TFont* TOstraColumnTitle::Font() const {
    RefreshDefaultFont();
    return FFont.get();
}

void TOstraColumnTitle::SetFont(TFont* Value) { FFont->Assign(Value); }

void TOstraColumnTitle::FontChanged(TObject*) {
    if (FRefreshing) return;
    MarkAssigned(cvTitleFont);
    FColumn->ColumnChanged(true);
}

void TOstraColumnTitle::RestoreDefaults() {
    const bool fontAssigned = IsAssigned(cvTitleFont);
    FColumn->FAssignedValues -= TitleValues;
    FCaption.clear();
    RefreshDefaultFont();
    FColumn->ColumnChanged(fontAssigned);
}

void TOstraColumnTitle::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TOstraColumnTitle*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src->IsAssigned(cvTitleAlignment)) SetAlignment(src->Alignment());
    if (src->IsAssigned(cvTitleColor)) SetColor(src->Color());
    if (src->IsAssigned(cvTitleCaption)) SetCaption(src->Caption());
    if (src->IsAssigned(cvTitleFont)) SetFont(src->Font());
}

void TOstraColumnTitle::Publish(TPublisher<TOstraColumnTitle>& p) {
    p.Property("Alignment", &TOstraColumnTitle::Alignment, &TOstraColumnTitle::SetAlignment);
    p.Property("Caption", &TOstraColumnTitle::Caption, &TOstraColumnTitle::SetCaption);
    p.Property("Color", &TOstraColumnTitle::Color, &TOstraColumnTitle::SetColor);
    p.Property("Font", &TOstraColumnTitle::Font, &TOstraColumnTitle::SetFont);
}

// ---- TOstraColumn ------------------------------------------------------------------------------------

TOstraColumn::TOstraColumn(TCollection* Collection)
    : TCollectionItem(nullptr), FFont(std::make_unique<TFont>()) {
    // The column joins its collection only once it is whole: joining makes
    // the grid lay out its columns.
    FFont->SetOnChange(TNotifyEvent(this, &TOstraColumn::FontChanged));
    FTitle.reset(CreateTitle());
    auto* columns = dynamic_cast<TOstraDBGridColumns*>(Collection);
    TOstraCustomDBGrid* grid = columns ? columns->Grid() : nullptr;
    if (grid) grid->BeginLayout();
    try {
        SetCollection(Collection);
        RefreshDefaultFont();
        FTitle->RefreshDefaultFont();
    } catch (...) {
        if (grid) grid->EndLayout();
        throw;
    }
    if (grid) grid->EndLayout();
}

TOstraColumn::~TOstraColumn() {
    FFont->SetOnChange(nullptr);
    // Leaving the collection tells the grid (once, after a Clear).
    try {
        SetCollection(nullptr);
    } catch (...) {}
}

TOstraColumnTitle* TOstraColumn::CreateTitle() { return new TOstraColumnTitle(this); }

TOstraCustomDBGrid* TOstraColumn::Grid() const {
    auto* columns = dynamic_cast<TOstraDBGridColumns*>(Collection());
    return columns ? columns->Grid() : nullptr;
}

TDataSet* TOstraColumn::GridDataSet() const {
    TOstraCustomDBGrid* grid = Grid();
    return grid ? grid->DataLink()->DataSet() : nullptr;
}

bool TOstraColumn::GridLinkActive() const {
    TOstraCustomDBGrid* grid = Grid();
    return grid && grid->DataLink()->Active();
}

std::string TOstraColumn::GetDisplayName() const {
    return FFieldName.empty() ? TCollectionItem::GetDisplayName() : FFieldName;
}

// ---- Field -------------------------------------------------------------------------------------------

TField* TOstraColumn::Field() const {
    if (!FField && !FFieldName.empty()) {
        TDataSet* ds = GridDataSet();
        if (ds && (ds->Active() || !ds->DefaultFields()))
            if (TField* f = ds->FindField(FFieldName)) const_cast<TOstraColumn*>(this)->SetField(f);
    }
    return FField;
}

void TOstraColumn::SetField(TField* Value) {
    if (Value == FField) return;
    if (Value && Value->ComponentState().Contains(csDestroying)) Value = nullptr;
    FField = Value;
    if (Value) {
        if (TOstraCustomDBGrid* grid = Grid()) Value->FreeNotification(grid);
        FFieldName = Value->FieldName();
    }
    if (!FStored) {
        if (!Value) FFieldName.clear();
        RestoreDefaults();
    }
    Changed(false);
}

void TOstraColumn::SetFieldName(const std::string& Value) {
    TField* f = nullptr;
    TOstraCustomDBGrid* grid = Grid();
    TDataSet* ds = GridDataSet();
    if (ds && !Value.empty() && !(grid && grid->ComponentState().Contains(csLoading)))
        f = ds->FindField(Value);
    FFieldName = Value;
    SetField(f);
    Changed(false);
}

// ---- Values with defaults ----------------------------------------------------------------------------

TAlignment TOstraColumn::DefaultAlignment() const {
    if (TField* f = Field())
        if (FButtonStyle != cbsCombo && FButtonStyle != cbsLookup) return f->Alignment();
    return taLeftJustify;
}

TAlignment TOstraColumn::Alignment() const {
    return IsAssigned(cvAlignment) ? FAlignment : DefaultAlignment();
}

void TOstraColumn::SetAlignment(TAlignment Value) {
    if (!FStored && GridLinkActive()) {
        if (TField* f = Field())
            if (FButtonStyle != cbsCombo && FButtonStyle != cbsLookup) f->SetAlignment(Value);
        return;
    }
    if (IsAssigned(cvAlignment) && Value == FAlignment) return;
    FAlignment = Value;
    FAssignedValues += cvAlignment;
    Changed(false);
}

TColor TOstraColumn::DefaultColor() const {
    TOstraCustomDBGrid* grid = Grid();
    return grid ? grid->Color() : clWindow;
}

TColor TOstraColumn::Color() const { return IsAssigned(cvColor) ? FColor : DefaultColor(); }

void TOstraColumn::SetColor(TColor Value) {
    if (IsAssigned(cvColor) && Value == FColor) return;
    FColor = Value;
    FAssignedValues += cvColor;
    Changed(false);
}

TImeMode TOstraColumn::ImeMode() const { return IsAssigned(cvImeMode) ? FImeMode : imDontCare; }

void TOstraColumn::SetImeMode(TImeMode Value) {
    FImeMode = Value;
    FAssignedValues += cvImeMode;
    Changed(false);
}

std::string TOstraColumn::ImeName() const { return IsAssigned(cvImeName) ? FImeName : ScreenDefaultIme(); }

void TOstraColumn::SetImeName(const std::string& Value) {
    FImeName = Value;
    FAssignedValues += cvImeName;
    Changed(false);
}

TFont* TOstraColumn::DefaultFont() const {
    TOstraCustomDBGrid* grid = Grid();
    return grid ? grid->Font() : FFont.get();
}

void TOstraColumn::RefreshDefaultFont() const {
    if (IsAssigned(cvFont)) return;
    TOstraCustomDBGrid* grid = Grid();
    if (!grid || FFont->Equals(*grid->Font())) return;
    FRefreshingFont = true;
    try {
        FFont->Assign(grid->Font());
    } catch (...) {
        FRefreshingFont = false;
        throw;
    }
    FRefreshingFont = false;
}

TFont* TOstraColumn::Font() const {
    RefreshDefaultFont();
    return FFont.get();
}

void TOstraColumn::SetFont(TFont* Value) { FFont->Assign(Value); }

void TOstraColumn::FontChanged(TObject*) {
    if (FRefreshingFont) return;
    FAssignedValues += cvFont;
    if (FTitle) FTitle->RefreshDefaultFont();
    Changed(false);
}

bool TOstraColumn::DefaultReadOnly() const {
    TOstraCustomDBGrid* grid = Grid();
    if (grid && grid->ReadOnly()) return true;
    TField* f = Field();
    return f && f->ReadOnly();
}

bool TOstraColumn::ReadOnly() const { return IsAssigned(cvReadOnly) ? FReadOnly : DefaultReadOnly(); }

void TOstraColumn::SetReadOnly(bool Value) {
    if (!FStored && GridLinkActive()) {
        if (TField* f = Field()) f->SetReadOnly(Value);
        return;
    }
    if (IsAssigned(cvReadOnly) && Value == FReadOnly) return;
    FReadOnly = Value;
    FAssignedValues += cvReadOnly;
    Changed(false);
}

int TOstraColumn::DefaultWidth() const {
    TOstraCustomDBGrid* grid = Grid();
    if (!grid) return 64;
    TField* f = Field();
    if (!f) return grid->DefaultColWidth();
    TCanvas* canvas = grid->Canvas();
    TCanvasFontKeeper keep(canvas);
    canvas->SetFont(Font());
    int w = canvas->TextWidth("0") * f->DisplayWidth() + 4;
    if (grid->Options().Contains(dgTitles)) {
        canvas->SetFont(FTitle->Font());
        w = std::max(w, canvas->TextWidth(FTitle->Caption()) + 4);
    }
    return w;
}

int TOstraColumn::Width() const {
    if (!Showing()) return -1;
    return IsAssigned(cvWidth) ? FWidth : DefaultWidth();
}

void TOstraColumn::SetWidth(int Value) {
    bool doSet = FStored;
    if (!doSet) {
        TOstraCustomDBGrid* grid = Grid();
        if (grid) {
            // A default column's width is its field's display width.
            TField* f = Field();
            if (grid->HandleAllocated() && f && Value >= 0) {
                TCanvas* canvas = grid->Canvas();
                TCanvasFontKeeper keep(canvas);
                canvas->SetFont(Font());
                const int avg = std::max(1, canvas->TextWidth("0"));
                const int chars = (Value + avg / 2 - 3) / avg;
                if (chars > 0 && chars != f->DisplayWidth()) f->SetDisplayWidth(chars);
            }
            if (!grid->FLayoutFromDataset || IsAssigned(cvWidth)) doSet = true;
        } else {
            doSet = true;
        }
    }
    if (!doSet) return;
    if ((IsAssigned(cvWidth) || Value != DefaultWidth()) && Value != -1) {
        FWidth = Value;
        FAssignedValues += cvWidth;
    }
    Changed(false);
}

void TOstraColumn::SetTitle(TOstraColumnTitle* Value) { FTitle->Assign(Value); }

// ---- Editing and drop-downs --------------------------------------------------------------------------

void TOstraColumn::SetButtonStyle(TOstraColumnButtonStyle Value) {
    if (Value == FButtonStyle) return;
    FButtonStyle = Value;
    Changed(false);
}

TStrings* TOstraColumn::PickList() const {
    if (!FPickList) FPickList = std::make_unique<TStringList>();
    return FPickList.get();
}

void TOstraColumn::SetPickList(TStrings* Value) {
    if (!Value) {
        FPickList.reset();
        return;
    }
    PickList()->Assign(Value);
}

TStrings* TOstraColumn::PickValues() const {
    if (!FPickValues) FPickValues = std::make_unique<TStringList>();
    return FPickValues.get();
}

void TOstraColumn::SetPickValues(TStrings* Value) {
    if (!Value) {
        FPickValues.reset();
        return;
    }
    PickValues()->Assign(Value);
}

void TOstraColumn::SetValueChecked(const std::string& Value) {
    FValueChecked = Value;
    if (FButtonStyle == cbsCheck) Changed(false);
}

void TOstraColumn::SetValueUnChecked(const std::string& Value) {
    FValueUnChecked = Value;
    if (FButtonStyle == cbsCheck) Changed(false);
}

// ---- Lookup ------------------------------------------------------------------------------------------

void TOstraColumn::SetLookupDropDownFields(const std::string& Value) {
    FLookupDropDownFields = Value;
    const auto p = Value.find(';');
    FFirstDropDownField = p == std::string::npos ? Value : Value.substr(0, p);
    if (FButtonStyle == cbsLookup) Changed(false);
}

void TOstraColumn::SetLookupKeyField(const std::string& Value) {
    FLookupKeyField = Value;
    if (FButtonStyle == cbsLookup) Changed(false);
}

void TOstraColumn::SetLookupLinkField(const std::string& Value) {
    FLookupLinkField = Value;
    if (FButtonStyle == cbsLookup) Changed(false);
}

void TOstraColumn::SetLookupDataSet(TDataSet* Value) {
    if (Value == FLookupDataSet) return;
    TField* f = Field();
    if (Value && f && Value == f->DataSet()) throw EDatabaseError(SLookupDataSetEqualsSource);
    FLookupDataSet = Value;
    if (Value)
        if (TOstraCustomDBGrid* grid = Grid()) Value->FreeNotification(grid);
    if (FButtonStyle == cbsLookup) Changed(false);
}

bool TOstraColumn::LookupReady() const {
    if (!FLookupDataSet || !FLookupDataSet->Active()) return false;
    if (FLookupLinkField.empty() || FLookupDropDownFields.empty() || FLookupKeyField.empty()) return false;
    // A lookup into the grid's own dataset (set before the field or the
    // data source was bound) is not used.
    TField* f = Field();
    TDataSet* own = f ? f->DataSet() : GridDataSet();
    return own != FLookupDataSet;
}

// ---- Look and behaviour ------------------------------------------------------------------------------

void TOstraColumn::SetPopupMenu(TPopupMenu* Value) {
    FPopupMenu = Value;
    if (Value)
        if (TOstraCustomDBGrid* grid = Grid()) Value->FreeNotification(grid);
}

void TOstraColumn::SetWrapText(bool Value) {
    if (Value == FWrapText) return;
    FWrapText = Value;
    Changed(false);
}

void TOstraColumn::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed(true);
}

void TOstraColumn::SetStored(bool Value) { FStored = Value; }

void TOstraColumn::SetSortMarker(uint8_t Value) {
    if (Value == FSortMarker) return;
    FSortMarker = Value;
    if (TOstraCustomDBGrid* grid = Grid()) grid->InvalidateTitles();
}

bool TOstraColumn::IsSelectionColumn() const { return FFieldName == SelectionColumnName; }

// ---- Cell texts --------------------------------------------------------------------------------------

bool TOstraColumn::PickMapping() const {
    return FPickValues && FPickList && FPickList->Count() > 0 && FPickValues->Count() == FPickList->Count();
}

std::string TOstraColumn::MappedText(const std::string& FieldText) const {
    if (FButtonStyle == cbsCombo && PickMapping()) {
        const int i = IndexOfText(FPickValues.get(), FieldText);
        return i >= 0 ? FPickList->Strings(i) : std::string();
    }
    if (FButtonStyle == cbsLookup && LookupReady()) {
        TField* f = Field();
        TDataSet* own = f->DataSet();
        Variant v;
        // A bad lookup setting shows an empty cell rather than failing
        // every paint.
        try {
            if (SameText(FLookupLinkField, FFirstDropDownField)) {
                TField* self = own->FindField(FFieldName);
                v = self ? self->AsVariant() : Null();
            } else {
                TField* key = own->FindField(FLookupKeyField);
                if (!key) return std::string();
                v = FLookupDataSet->Lookup(FLookupLinkField, key->AsVariant(), FFirstDropDownField);
            }
            return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString();
        } catch (const Exception&) {
            return std::string();
        }
    }
    return FieldText;
}

std::string TOstraColumn::DisplayText() const {
    TField* f = Field();
    if (!f) return std::string();
    const bool mapped =
        (FButtonStyle == cbsCombo && PickMapping()) || (FButtonStyle == cbsLookup && LookupReady());
    if (mapped) return MappedText(f->Text());
    if (f->DataType() == ftMemo || f->DataType() == ftFmtMemo) return FirstLine(f->AsString());
    return f->DisplayText();
}

std::string TOstraColumn::EditText() const {
    TField* f = Field();
    if (!f) return std::string();
    return MappedText(f->Text());
}

std::string TOstraColumn::StoredText(const std::string& Text) const {
    // Only a column that shows pick-list lines maps them back; any other
    // shows and stores the field's own text.
    if (FButtonStyle != cbsCombo || !PickMapping()) return Text;
    const int i = IndexOfText(FPickList.get(), Text);
    return i >= 0 ? FPickValues->Strings(i) : std::string();
}

// ---- Defaults, copying, moving -----------------------------------------------------------------------

void TOstraColumn::RestoreDefaults() {
    const bool fontAssigned = IsAssigned(cvFont);
    FTitle->RestoreDefaults();
    FAssignedValues = {};
    RefreshDefaultFont();
    FPickList.reset();
    FPickValues.reset();
    FButtonStyle = cbsNone;
    FCanClick = false;
    FLongTextAsHint = false;
    Changed(fontAssigned);
}

void TOstraColumn::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TOstraColumn*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    if (src == this) return;
    TCollection* owner = Collection();
    if (owner) owner->BeginUpdate();
    try {
        // Values the source has not set keep the target's own.
        SetFieldName(src->FieldName());
        if (src->IsAssigned(cvColor)) SetColor(src->Color());
        if (src->IsAssigned(cvWidth)) SetWidth(src->FWidth);
        if (src->IsAssigned(cvFont)) SetFont(src->Font());
        if (src->IsAssigned(cvImeMode)) SetImeMode(src->ImeMode());
        if (src->IsAssigned(cvImeName)) SetImeName(src->ImeName());
        if (src->IsAssigned(cvAlignment)) SetAlignment(src->Alignment());
        if (src->IsAssigned(cvReadOnly)) SetReadOnly(src->ReadOnly());
        FTitle->Assign(src->Title());
        FDropDownRows = src->FDropDownRows;
        FDropDownWidth = src->FDropDownWidth;
        FCanClick = src->FCanClick;
        FLongTextAsHint = src->FLongTextAsHint;
        SetButtonStyle(src->FButtonStyle);
        SetPickList(src->FPickList.get());
        SetPickValues(src->FPickValues.get());
        SetLookupDropDownFields(src->FLookupDropDownFields);
        SetLookupKeyField(src->FLookupKeyField);
        SetLookupLinkField(src->FLookupLinkField);
        SetLookupDataSet(src->FLookupDataSet);
        SetPopupMenu(src->FPopupMenu);
        SetVisible(src->FVisible);
    } catch (...) {
        if (owner) owner->EndUpdate();
        throw;
    }
    if (owner) owner->EndUpdate();
}

void TOstraColumn::SetIndex(int Value) {
    TOstraCustomDBGrid* grid = Grid();
    if (FStored || !grid) {
        if (grid) grid->BeginLayout();
        try {
            TCollectionItem::SetIndex(Value);
        } catch (...) {
            if (grid) grid->EndLayout();
            throw;
        }
        if (grid) grid->EndLayout();
        return;
    }
    // Default columns follow the dataset's field order: the field moves to
    // the place of the target column's field (not while the grid lays out).
    if (grid->DataLink()->Active() && Collection() && Value >= 0 && Value < Collection()->Count() &&
        grid->AcquireLayoutLock()) {
        try {
            auto* target = static_cast<TOstraColumn*>(Collection()->Items(Value));
            TField* mine = Field();
            TField* theirs = target->Field();
            if (mine && theirs && mine != theirs) mine->SetIndex(theirs->Index());
        } catch (...) {
            grid->EndLayout();
            throw;
        }
        grid->EndLayout();
    }
    TCollectionItem::SetIndex(Value);
}

void TOstraColumn::Publish(TPublisher<TOstraColumn>& p) {
    p.Property("Alignment", &TOstraColumn::Alignment, &TOstraColumn::SetAlignment);
    p.Property("AutoDropDown", &TOstraColumn::AutoDropDown, &TOstraColumn::SetAutoDropDown);
    p.Property("ButtonStyle", &TOstraColumn::ButtonStyle, &TOstraColumn::SetButtonStyle);
    p.Property("CanClick", &TOstraColumn::CanClick, &TOstraColumn::SetCanClick);
    p.Property("Color", &TOstraColumn::Color, &TOstraColumn::SetColor);
    p.Property("DropDownRows", &TOstraColumn::DropDownRows, &TOstraColumn::SetDropDownRows);
    p.Property("DropDownWidth", &TOstraColumn::DropDownWidth, &TOstraColumn::SetDropDownWidth);
    p.Property("FieldName", &TOstraColumn::FieldName, &TOstraColumn::SetFieldName);
    p.Property("Font", &TOstraColumn::Font, &TOstraColumn::SetFont);
    p.Property("LongTextAsHint", &TOstraColumn::LongTextAsHint, &TOstraColumn::SetLongTextAsHint);
    p.Property("LookupDropDownFields", &TOstraColumn::LookupDropDownFields,
               &TOstraColumn::SetLookupDropDownFields);
    p.Property("LookupKeyField", &TOstraColumn::LookupKeyField, &TOstraColumn::SetLookupKeyField);
    p.Property("LookupLinkField", &TOstraColumn::LookupLinkField, &TOstraColumn::SetLookupLinkField);
    p.Property("LookupDataSet", &TOstraColumn::LookupDataSet, &TOstraColumn::SetLookupDataSet);
    p.Property("PickList", &TOstraColumn::PickList, &TOstraColumn::SetPickList);
    p.Property("PickValues", &TOstraColumn::PickValues, &TOstraColumn::SetPickValues);
    p.Property("PopupMenu", &TOstraColumn::PopupMenu, &TOstraColumn::SetPopupMenu);
    p.Property("ReadOnly", &TOstraColumn::ReadOnly, &TOstraColumn::SetReadOnly);
    p.Property("Title", &TOstraColumn::Title, &TOstraColumn::SetTitle);
    p.Property("ValueChecked", &TOstraColumn::ValueChecked, &TOstraColumn::SetValueChecked);
    p.Property("ValueUnChecked", &TOstraColumn::ValueUnChecked, &TOstraColumn::SetValueUnChecked);
    p.Property("Visible", &TOstraColumn::Visible, &TOstraColumn::SetVisible);
    p.Property("Width", &TOstraColumn::Width, &TOstraColumn::SetWidth);
    p.Property("WrapText", &TOstraColumn::WrapText, &TOstraColumn::SetWrapText);
}

// ---- TOstraDBGridColumns -----------------------------------------------------------------------------

TOstraDBGridColumns::TOstraDBGridColumns(TOstraCustomDBGrid* Grid)
    : TOwnedCollection(Grid, CollectionItemClass<TOstraColumn>()), FGrid(Grid) {}

TOstraDBGridColumns::~TOstraDBGridColumns() = default;

TOstraColumn* TOstraDBGridColumns::Add() { return static_cast<TOstraColumn*>(TCollection::Add()); }

TOstraColumn* TOstraDBGridColumns::InternalAdd() {
    // Made inside one update: a stored column would for a moment make the
    // collection customised.
    BeginUpdate();
    TOstraColumn* column = nullptr;
    try {
        column = Add();
        column->SetStored(false);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return column;
}

TOstraColumn* TOstraDBGridColumns::GetColumn(int Index) const {
    return static_cast<TOstraColumn*>(TCollection::Items(Index));
}

TOstraColumnsState TOstraDBGridColumns::State() const {
    return Count() > 0 && GetColumn(0)->Stored() ? ocsCustomized : ocsDefault;
}

void TOstraDBGridColumns::SetState(TOstraColumnsState Value) {
    if (Value == State()) return;
    if (Value == ocsDefault)
        Clear();
    else
        RebuildColumns();
}

void TOstraDBGridColumns::RebuildColumns() {
    TDataSet* ds = FGrid ? FGrid->DataLink()->DataSet() : nullptr;
    if (!ds) {
        Clear();
        return;
    }
    FGrid->BeginLayout();
    try {
        Clear();
        for (int i = 0; i < ds->Fields()->Count(); ++i)
            Add()->SetFieldName(ds->Fields()->Fields(i)->FieldName());
    } catch (...) {
        FGrid->EndLayout();
        throw;
    }
    FGrid->EndLayout();
}

void TOstraDBGridColumns::Update(TCollectionItem* Item) {
    if (!FGrid) return;
    const TComponentState state = FGrid->ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDestroying)) return;
    if (!Item) {
        FGrid->LayoutChanged();
        return;
    }
    const int raw = FGrid->DataToRawColumn(Item->Index());
    if (raw < 0 || raw >= FGrid->ColCount()) return;
    FGrid->InvalidateCol(raw);
    FGrid->SetColWidths(raw, static_cast<TOstraColumn*>(Item)->Width());
}
