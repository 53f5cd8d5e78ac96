// The published suite grid (see qzdbgrid.h): properties, in-cell controls,
// check boxes, memo cells, keys and mouse. The selection, the layout store
// and the export are collaborators of their own files.
#include "suite/grid/qzdbgrid.h"

#include <algorithm>

#include "platform/core/datetime.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/messages.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzrtftext.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzgridexport.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridlayout.h"
#include "suite/grid/qzgridrichcell.h"
#include "suite/grid/qzgridselection.h"
#include "suite/grid/qzlookupcombo.h"

namespace {

bool IsNamedControlType(const std::string& Type) {
    return Type == "CustomEdit" || Type == "LookupCombo" || Type == "Combo" || Type == "RichEdit";
}

// The form's active control: what has the focus within the grid's form.
TWinControl* ActiveOfForm(const TControl* Control) {
    TCustomForm* form = GetParentForm(Control);
    return form ? form->ActiveControl() : nullptr;
}

// Binds a cell's control to the grid's source and the line's field: the
// suite's lookup combos and edits through their own setters (their custom
// classes publish neither), any other control by property name.
void BindCellControl(TWinControl* Control, TDataSource* Source, const std::string& FieldName) {
    auto bind = [&](auto* C) {
        C->SetDataSource(Source);
        C->SetDataField(FieldName);
    };
    if (auto* lookup = dynamic_cast<TqzDBCustomLookupCombo*>(Control))
        bind(lookup);
    else if (auto* edit = dynamic_cast<TqzDBCustomEdit*>(Control))
        bind(edit);
    else {
        qzSetDataSource(Control, Source);
        qzSetDataField(Control, FieldName);
    }
}

// The width the date picker needs to show its text whole beside its button:
// its value's text, and the text of a wide date and time in its format.
int PickerWidth(TqzDBDateTimePicker* Picker) {
    TBitmap measure;
    measure.Canvas()->Font()->Assign(Picker->Font());
    // a Wednesday in September: long day and month names
    const std::string wide = Picker->TextFor(EncodeDate(2000, 9, 27) + EncodeTime(20, 58, 58, 0));
    const int text = std::max(measure.Canvas()->TextWidth(wide), measure.Canvas()->TextWidth(Picker->Text()));
    const TWinControl* button = Picker->ButtonHost();
    // the edit's margins of two pixels each side and the caret
    return text + 5 + (button && button->Visible() ? button->Width() : 0);
}

bool IsDateTimeField(const TField* Field) {
    const TFieldType type = Field->DataType();
    return type == ftDate || type == ftTime || type == ftDateTime || type == ftTimeStamp;
}

bool IsMemoField(const TField* Field) {
    // ftMemo and ftOraClob.
    const int type = static_cast<int>(Field->DataType());
    return type == static_cast<int>(ftMemo) || type == static_cast<int>(ftOraClob);
}

}  // namespace

class TqzDBGrid::TExportHost final : public TqzGridExportHost {
public:
    explicit TExportHost(TqzDBGrid& Grid) : G(Grid) {}

    int IndicatorOffset() const override { return G.IndicatorOffset(); }
    int TitleOffset() const override { return G.TitleOffset(); }
    int ColCount() const override { return G.ColCount(); }
    int ColWidths(int Index) const override { return G.ColWidths(Index); }
    TField* GetColField(int DataCol) const override { return G.GetColField(DataCol); }
    TqzColumn* Columns(int Index) const override { return G.Columns(Index); }
    void ControlInfo(TField* Field, std::string& Type, std::string& Parameters) override {
        G.ControlInfo(Field, Type, Parameters);
    }
    TWinControl* FindControlByName(const std::string& Name) override { return G.FindControlByName(Name); }
    bool IsMemoCell(int ACol, int ARow) const override { return G.IsMemoCell(ACol, ARow); }
    bool ShowsMemoText() const override { return G.MemoAttributes().Contains(mGridShow); }
    std::string CellText(TField* Field) override { return G.CellText(Field); }

    TFont* Font() const override { return G.Font(); }
    TFont* TitleFont() const override { return G.TitleFont(); }
    TColor Color() const override { return G.Color(); }
    TColor TitleColor() const override { return G.TitleColor(); }
    TColor FooterColor() const override { return G.FooterColor(); }
    TColor FooterCellColor() const override { return G.FooterCellColor(); }
    TColor AlternatingRowColor() const override { return G.PaintOptions()->AlternatingRowColor(); }
    TAlignment TitleAlignment() const override { return G.TitleAlignment(); }
    int TitleLines() const override { return G.TitleLines(); }
    bool ShowsFooter() const override { return G.Options().Contains(dgShowFooter); }
    int DigitWidth() override {
        G.Canvas()->Font()->Assign(G.Font());
        return G.Canvas()->TextWidth("0");
    }
    bool Designing() const override { return G.ComponentState().Contains(csDesigning); }

    TqzGridDataLink* DataLink() const override { return G.DataLink(); }
    TqzGridSelection* Selection() const override { return G.Selection(); }
    int VisibleDataRows() const override { return G.VisibleDataRows(); }
    std::shared_ptr<bool> AliveToken() const override { return G.AliveToken(); }

    void DoExportField(TField* Field, bool& Accept) override { G.DoExportField(Field, Accept); }
    void DoExportSYLKFormat(TField* Field, std::string& Format) override {
        G.DoExportSYLKFormat(Field, Format);
    }
    void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                        TBrush* ABrush) override {
        G.CalcCellColors(Field, State, Highlight, AFont, ABrush);
    }
    void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                               TAlignment& Alignment) override {
        G.DoCalcTitleAttributes(FieldName, AFont, ABrush, Alignment);
    }

private:
    TqzDBGrid& G;
};

class TqzDBGrid::TImpl {
public:
    explicit TImpl(TqzDBGrid& Grid) : ExportHost(Grid), Selection(Grid) {}
    std::unique_ptr<TqzIniAttributes> IniAttributes;
    TExportHost ExportHost;
    std::unique_ptr<TqzExportOptions> ExportOptions;
    TqzMemoAttributes MemoAttributes{mSizeable, mWordWrap};
    TqzMemoOpenEvent OnMemoOpen;
    TqzMemoCloseEvent OnMemoClose;
    TqzMultiSelectEvent OnMultiSelectRecord, OnMultiSelectAllRecords;
    TqzExportFieldEvent OnExportField;
    TqzExportSYLKFormatEvent OnExportSYLKFormat;
    TqzCreateDateTimePickerEvent OnCreateDateTimePicker;
    TqzDBDateTimePicker* Picker = nullptr;
    bool LoadAllRTF = false;
    int FixedCols = 0;
    bool FirstWindow = true;
    bool IsLoaded = false;
    bool ControlsReady = false;
    bool Applying = false;
    bool Destroying = false;
    TqzGridSelection Selection;
    TWinControl* CurrentControl = nullptr;
    // The field of the cell CurrentControl was placed over.
    std::string CurrentField;
    bool DisableThemes = false;
    std::array<Variant, 11> Flags{Variant(false), Variant(false), Variant(0),    Variant(false),
                                  Variant(false), Variant(false), Variant(0),    Variant(0),
                                  Variant(false), Variant(true),  Variant(false)};
    std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
};

TqzDBGrid::TqzDBGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner), FImpl(std::make_unique<TImpl>(*this)) {
    FImpl->IniAttributes = std::make_unique<TqzIniAttributes>(this);
    FImpl->ExportOptions = std::make_unique<TqzExportOptions>(FImpl->ExportHost);
}

TqzDBGrid::~TqzDBGrid() {
    FImpl->Destroying = true;
    *FImpl->Alive = false;
    if (FImpl->IniAttributes->Enabled()) {
        try {
            SaveLayout();
        } catch (const Exception&) {
            // A layout that cannot be written is not worth a failed destruction.
        }
        FImpl->IniAttributes->SetEnabled(false);
    }
    FImpl->Selection.Clear();
}

void TqzDBGrid::Publish(TPublisher<TqzDBGrid>& p) {
    using Self = TqzDBGrid;
    using Base = TqzCustomDBGrid;
    // What the base grid declares for publishing (Options, DataSource,
    // Selected and the other lists are registered by the base itself).
    p.Property("KeyOptions", &Base::KeyOptions, &Base::SetKeyOptions);
    p.Property("MultiSelectOptions", &Base::MultiSelectOptions, &Base::SetMultiSelectOptions);
    p.Property("EditControlOptions", &Base::EditControlOptions, &Base::SetEditControlOptions);
    p.Property("ReadOnly", &Base::ReadOnly, &Base::SetReadOnly);
    p.Property("DefaultDrawing", &Base::DefaultDrawing, &Base::SetDefaultDrawing);
    p.Property("TitleButtons", &Base::TitleButtons, &Base::SetTitleButtons);
    p.Property("TitleAlignment", &Base::TitleAlignment, &Base::SetTitleAlignment);
    p.Property("TitleLines", &Base::TitleLines, &Base::SetTitleLines);
    p.Property("TitleFont", &Base::TitleFont, &Base::SetTitleFont);
    p.Property("TitleColor", &Base::TitleColor, &Base::SetTitleColor).SetTypeName("TColor");
    p.Property("TitleImageList", &Base::TitleImageList, &Base::SetTitleImageList);
    p.Property("FooterColor", &Base::FooterColor, &Base::SetFooterColor).SetTypeName("TColor");
    p.Property("FooterCellColor", &Base::FooterCellColor, &Base::SetFooterCellColor).SetTypeName("TColor");
    p.Property("FooterHeight", &Base::FooterHeight, &Base::SetFooterHeight);
    p.Property("RowHeightPercent", &Base::RowHeightPercent, &Base::SetRowHeightPercent);
    p.Property("IndicatorColor", &Base::IndicatorColor, &Base::SetIndicatorColor);
    p.Property("IndicatorIconColor", &Base::IndicatorIconColor, &Base::SetIndicatorIconColor)
        .SetTypeName("TColor");
    p.Property("IndicatorButton", &Base::IndicatorButton, &Base::SetIndicatorButton);
    p.Property("LineStyle", &Base::LineStyle, &Base::SetLineStyle);
    p.Property(
        "LineColors", [](Self& g) { return g.LineColors(); },
        [](Self& g, TqzGridLineColors* v) { g.LineColors()->Assign(v); });
    p.Property("PadColumnStyle", &Base::PadColumnStyle, &Base::SetPadColumnStyle);
    p.Property("DragVertOffset", &Base::DragVertOffset, &Base::SetDragVertOffset);
    p.Property("ShowVertScrollBar", &Base::ShowVertScrollBar, &Base::SetShowVertScrollBar);
    p.Property("ShowHorzScrollBar", &Base::ShowHorzScrollBar, &Base::SetShowHorzScrollBar);
    p.Property("HideAllLines", &Base::HideAllLines, &Base::SetHideAllLines);
    p.Property("DisableThemesInTitle", &Base::DisableThemesInTitle, &Base::SetDisableThemesInTitle);
    p.Property("GroupFieldName", &Base::GroupFieldName, &Base::SetGroupFieldName);
    p.Property("ImageList", &Base::ImageList, &Base::SetImageList);
    p.Property(
        "DittoAttributes", [](Self& g) { return g.DittoAttributes(); },
        [](Self& g, TqzDittoAttributes* v) { g.DittoAttributes()->Assign(v); });
    p.Property("PaintOptions", &Base::PaintOptions, &Base::SetPaintOptions);
    p.Property("OnCalcTitleAttributes", &Base::OnCalcTitleAttributes, &Base::SetOnCalcTitleAttributes);
    p.Property("OnDrawTitleCell", &Base::OnDrawTitleCell, &Base::SetOnDrawTitleCell);
    p.Property("OnDrawGroupHeaderCell", &Base::OnDrawGroupHeaderCell, &Base::SetOnDrawGroupHeaderCell);
    p.Property("OnCalcTitleImage", &Base::OnCalcTitleImage, &Base::SetOnCalcTitleImage);
    p.Property("OnDrawDataCell", &Base::OnDrawDataCell, &Base::SetOnDrawDataCell);
    p.Property("OnBeforeDrawCell", &Base::OnBeforeDrawCell, &Base::SetOnBeforeDrawCell);
    p.Property("OnAfterDrawCell", &Base::OnAfterDrawCell, &Base::SetOnAfterDrawCell);
    p.Property("OnDrawFooterCell", &Base::OnDrawFooterCell, &Base::SetOnDrawFooterCell);
    p.Property("OnTitleButtonClick", &Base::OnTitleButtonClick, &Base::SetOnTitleButtonClick);
    p.Property("OnURLOpen", &Base::OnURLOpen, &Base::SetOnURLOpen);
    p.Property("OnColumnMoved", &Base::OnColumnMoved, &Base::SetOnColumnMoved);
    p.Property("OnColWidthChanged", &Base::OnColWidthChanged, &Base::SetOnColWidthChanged);
    p.Property("OnTopRowChanged", &Base::OnTopRowChanged, &Base::SetOnTopRowChanged);
    p.Property("OnRowChanged", &Base::OnRowChanged, &Base::SetOnRowChanged);
    p.Property("OnCellChanged", &Base::OnCellChanged, &Base::SetOnCellChanged);
    p.Property("OnColEnter", &Base::OnColEnter, &Base::SetOnColEnter);
    p.Property("OnColExit", &Base::OnColExit, &Base::SetOnColExit);
    p.Property("OnUpdateFooter", &Base::OnUpdateFooter, &Base::SetOnUpdateFooter);
    p.Property("OnBeforePaint", &Base::OnBeforePaint, &Base::SetOnBeforePaint);
    p.Property("OnLeftColChanged", &Base::OnLeftColChanged, &Base::SetOnLeftColChanged);
    p.Property("OnFieldChanged", &Base::OnFieldChanged, &Base::SetOnFieldChanged);
    p.Property("OnCheckValue", &Base::OnCheckValue, &Base::SetOnCheckValue);
    p.Property("OnCreateHintWindow", &Base::OnCreateHintWindow, &Base::SetOnCreateHintWindow);
    p.Property("OnDitto", &Base::OnDitto, &Base::SetOnDitto);
    // The published grid's own.
    p.Property("MemoAttributes", &Self::MemoAttributes, &Self::SetMemoAttributes);
    p.Property("IniAttributes", &Self::IniAttributes, &Self::SetIniAttributes);
    p.Property("ExportOptions", &Self::ExportOptions, &Self::SetExportOptions);
    p.Property("LoadAllRTF", &Self::LoadAllRTF, &Self::SetLoadAllRTF);
    p.Property("FixedCols", &Self::FixedCols, &Self::SetFixedCols);
    p.Property("DisableThemes", &Self::DisableThemes, &Self::SetDisableThemes);
    p.Property("OnMemoOpen", &Self::OnMemoOpen, &Self::SetOnMemoOpen);
    p.Property("OnMemoClose", &Self::OnMemoClose, &Self::SetOnMemoClose);
    p.Property("OnMultiSelectRecord", &Self::OnMultiSelectRecord, &Self::SetOnMultiSelectRecord);
    p.Property("OnMultiSelectAllRecords", &Self::OnMultiSelectAllRecords, &Self::SetOnMultiSelectAllRecords);
    p.Property("OnExportField", &Self::OnExportField, &Self::SetOnExportField);
    p.Property("OnExportSYLKFormat", &Self::OnExportSYLKFormat, &Self::SetOnExportSYLKFormat);
    p.Property("OnCreateDateTimePicker", &Self::OnCreateDateTimePicker, &Self::SetOnCreateDateTimePicker);
}

// ---- Properties -------------------------------------------------------------------------------

TqzMemoAttributes TqzDBGrid::MemoAttributes() const { return FImpl->MemoAttributes; }
void TqzDBGrid::SetMemoAttributes(TqzMemoAttributes Value) {
    FImpl->MemoAttributes = Value;
    ApplyDataSource();
    Invalidate();
}
TqzIniAttributes* TqzDBGrid::IniAttributes() const { return FImpl->IniAttributes.get(); }
void TqzDBGrid::SetIniAttributes(TqzIniAttributes* Value) { FImpl->IniAttributes->Assign(Value); }
TqzExportOptions* TqzDBGrid::ExportOptions() const { return FImpl->ExportOptions.get(); }
void TqzDBGrid::SetExportOptions(TqzExportOptions* Value) { FImpl->ExportOptions->Assign(Value); }
bool TqzDBGrid::LoadAllRTF() const { return FImpl->LoadAllRTF; }
void TqzDBGrid::SetLoadAllRTF(bool Value) { FImpl->LoadAllRTF = Value; }
bool TqzDBGrid::DisableThemes() const { return FImpl->DisableThemes; }
void TqzDBGrid::SetDisableThemes(bool Value) { FImpl->DisableThemes = Value; }
int TqzDBGrid::FixedCols() const { return FImpl->FixedCols; }

void TqzDBGrid::SetFixedCols(int Value) {
    if (ComponentState().Contains(csDesigning)) {
        if (Value < 0 || (DataSetActive() && IndicatorOffset() + Value >= ColCount())) {
            MessageDlg("Invalid value for FixedCols", mtWarning, {mbOK}, 0);
            return;
        }
    }
    FImpl->FixedCols = Value;
    LayoutChanged();
}

const Variant& TqzDBGrid::BehaviourFlag(int Index) const {
    static const Variant none;
    return Index >= 0 && Index < 11 ? FImpl->Flags[static_cast<size_t>(Index)] : none;
}
void TqzDBGrid::SetBehaviourFlag(int Index, const Variant& Value) {
    if (Index >= 0 && Index < 11) FImpl->Flags[static_cast<size_t>(Index)] = Value;
}

TqzMemoOpenEvent TqzDBGrid::OnMemoOpen() const { return FImpl->OnMemoOpen; }
void TqzDBGrid::SetOnMemoOpen(TqzMemoOpenEvent Value) { FImpl->OnMemoOpen = Value; }
TqzMemoCloseEvent TqzDBGrid::OnMemoClose() const { return FImpl->OnMemoClose; }
void TqzDBGrid::SetOnMemoClose(TqzMemoCloseEvent Value) { FImpl->OnMemoClose = Value; }
TqzMultiSelectEvent TqzDBGrid::OnMultiSelectRecord() const { return FImpl->OnMultiSelectRecord; }
void TqzDBGrid::SetOnMultiSelectRecord(TqzMultiSelectEvent Value) { FImpl->OnMultiSelectRecord = Value; }
TqzMultiSelectEvent TqzDBGrid::OnMultiSelectAllRecords() const { return FImpl->OnMultiSelectAllRecords; }
void TqzDBGrid::SetOnMultiSelectAllRecords(TqzMultiSelectEvent Value) {
    FImpl->OnMultiSelectAllRecords = Value;
}
TqzExportFieldEvent TqzDBGrid::OnExportField() const { return FImpl->OnExportField; }
void TqzDBGrid::SetOnExportField(TqzExportFieldEvent Value) { FImpl->OnExportField = Value; }
TqzExportSYLKFormatEvent TqzDBGrid::OnExportSYLKFormat() const { return FImpl->OnExportSYLKFormat; }
void TqzDBGrid::SetOnExportSYLKFormat(TqzExportSYLKFormatEvent Value) { FImpl->OnExportSYLKFormat = Value; }
TqzCreateDateTimePickerEvent TqzDBGrid::OnCreateDateTimePicker() const {
    return FImpl->OnCreateDateTimePicker;
}
void TqzDBGrid::SetOnCreateDateTimePicker(TqzCreateDateTimePickerEvent Value) {
    FImpl->OnCreateDateTimePicker = Value;
}

std::shared_ptr<bool> TqzDBGrid::AliveToken() const { return FImpl->Alive; }
bool TqzDBGrid::Destroying() const { return FImpl->Destroying; }

void TqzDBGrid::DoExportField(TField* Field, bool& Accept) { FImpl->OnExportField(this, Field, Accept); }
void TqzDBGrid::DoExportSYLKFormat(TField* Field, std::string& Format) {
    FImpl->OnExportSYLKFormat(this, Field, Format);
}

// ---- Selection --------------------------------------------------------------------------------

TqzGridSelection* TqzDBGrid::Selection() const { return &FImpl->Selection; }
bool TqzDBGrid::IsRecordSelected() { return FImpl->Selection.CurrentSelected(); }
void TqzDBGrid::SelectRecordHook() { FImpl->Selection.SelectCurrent(); }
void TqzDBGrid::UnselectRecordHook() { FImpl->Selection.UnselectCurrent(); }
void TqzDBGrid::UnselectAll() { FImpl->Selection.UnselectAll(); }
void TqzDBGrid::SelectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    FImpl->Selection.SelectRange(Bookmark1, Bookmark2);
}
void TqzDBGrid::UnselectRange(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    FImpl->Selection.UnselectRange(Bookmark1, Bookmark2);
}
void TqzDBGrid::FieldListHook() { FImpl->Selection.RefreshRowFlags(); }

bool TqzDBGrid::DoMultiSelectRecord(bool Selecting) {
    bool accept = true;
    FImpl->OnMultiSelectRecord(this, Selecting, accept);
    return accept;
}

bool TqzDBGrid::DoMultiSelectAllRecords(bool Selecting) {
    bool accept = true;
    FImpl->OnMultiSelectAllRecords(this, Selecting, accept);
    return accept;
}

// ---- Set-up and the data source ---------------------------------------------------------------

void TqzDBGrid::Loaded() {
    if (TCustomForm* form = GetParentForm(this)) FImpl->IniAttributes->SetFormName(form->Name());
    TqzCustomDBGrid::Loaded();
    FImpl->IsLoaded = true;
    if (!FImpl->ControlsReady) SetupCustomControls();
}

void TqzDBGrid::CreateWnd() {
    TqzCustomDBGrid::CreateWnd();
    if (!FImpl->FirstWindow) return;
    FImpl->FirstWindow = false;
    if (FImpl->IniAttributes->FormName().empty())
        if (TCustomForm* form = GetParentForm(this)) FImpl->IniAttributes->SetFormName(form->Name());
    if (FImpl->IniAttributes->Enabled()) LoadLayout();
}

void TqzDBGrid::LinkActive(bool Value) {
    if (FImpl->Destroying && FImpl->IniAttributes->Enabled()) SaveLayout();
    if (FImpl->Picker) FImpl->Picker->SetDataField("");
    TqzCustomDBGrid::LinkActive(Value);
    if (Value) ApplyDataSource();
}

void TqzDBGrid::ApplyDataSource() {
    if (FImpl->Applying || !Selected()) return;
    TDataSet* ds = DataLink() ? DataLink()->DataSet() : nullptr;
    if (!ds) return;
    FImpl->Applying = true;
    ds->DisableControls();
    try {
        if (IsProportionalColResize()) LayoutChanged();
        FImpl->ControlsReady = false;
        SetupCustomControls();
        FImpl->CurrentControl = nullptr;
        LoadControlTypes();
        UpdateDateTimePicker();
    } catch (...) {
        ds->EnableControls();
        FImpl->Applying = false;
        throw;
    }
    ds->EnableControls();
    FImpl->Applying = false;
}

void TqzDBGrid::ControlInfo(TField* Field, std::string& Type, std::string& Parameters) {
    Type.clear();
    Parameters.clear();
    if (Field) GetControlInfo(Field->FieldName(), Type, Parameters);
}

void TqzDBGrid::GetControlInfo(const std::string& FieldName, std::string& AControlType,
                               std::string& Parameters) {
    TqzCustomDBGrid::GetControlInfo(FieldName, AControlType, Parameters);
    if (EditControlOptions().Contains(ecoDisableCustomControls) && IsNamedControlType(AControlType)) {
        AControlType.clear();
        Parameters.clear();
    }
}

void TqzDBGrid::SetupCustomControls() {
    if (EditControlOptions().Contains(ecoDisableCustomControls)) return;
    if (ComponentState().Contains(csLoading)) return;
    TDataSet* ds = DataLink() ? DataLink()->DataSet() : nullptr;
    TObject* source = this;
    if (ControlInfoInDataset() && ds && qzGetControlType(ds)) source = ds;
    TStrings* list = qzGetControlType(source);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i) {
        int pos = 1;
        const std::string& line = list->Strings(i);
        const std::string field = qzStrGetToken(line, ";", pos);
        const std::string type = qzStrGetToken(line, ";", pos);
        if (!IsNamedControlType(type)) continue;
        const std::string name = qzStrGetToken(line, ";", pos);
        TWinControl* control = FindControlByName(name);
        if (!control || control == this) continue;
        control->SetVisible(false);
        control->SetParent(this);
        BindCellControl(control, DataSource(), field);
        control->Font()->Assign(Font());
        if (!control->ClassNameIs("TqzDataInspector")) qzSetBorderStyle(control, false);
    }
    FImpl->ControlsReady = true;
}

// ---- Fixed columns ------------------------------------------------------------------------------

void TqzDBGrid::UpdateFixedCols() {
    const int sum = IndicatorOffset() + FImpl->FixedCols;
    if (FImpl->FixedCols < 0 || !DataSetActive() || sum >= ColCount()) return;
    if (sum != TCustomGrid::FixedCols()) {
        TCustomGrid::SetFixedCols(sum);
        if (Options().Contains(dgFixedEditable) && Col() == sum) SetCol(IndicatorOffset());
    }
}

void TqzDBGrid::SetColumnAttributes() {
    UpdateFixedCols();
    TqzCustomDBGrid::SetColumnAttributes();
    // The fixed columns are no tab stops.
    const int sum = std::min(TCustomGrid::FixedCols(), ColCount());
    for (int c = 0; c < sum; ++c) SetTabStops(c, false);
}

// ---- In-cell controls --------------------------------------------------------------------------

TWinControl* TqzDBGrid::CurrentCellControl() const { return FImpl->CurrentControl; }

void TqzDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomDBGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && FImpl && AComponent == FImpl->CurrentControl) {
        FImpl->CurrentControl = nullptr;
        FImpl->CurrentField.clear();
    }
}

bool TqzDBGrid::IsCustomControlCell(int ACol, int ARow) const {
    (void)ARow;
    TField* field = GetColField(ACol - IndicatorOffset());
    if (!field) return false;
    std::string type, params;
    const_cast<TqzDBGrid*>(this)->GetControlInfo(field->FieldName(), type, params);
    if (type == "Bitmap" || type == "ImageIndex" || type == "CheckBox") return true;
    if (IsNamedControlType(type)) {
        int pos = 1;
        return const_cast<TqzDBGrid*>(this)->FindControlByName(qzStrGetToken(params, ";", pos)) != nullptr;
    }
    return IsPickerCell(ACol);
}

bool TqzDBGrid::IsPickerCell(int ACol) const {
    if (EditControlOptions().Contains(ecoDisableDateTimePicker)) return false;
    TField* field = GetColField(ACol - IndicatorOffset());
    if (!field || !IsDateTimeField(field)) return false;
    std::string type, params;
    const_cast<TqzDBGrid*>(this)->GetControlInfo(field->FieldName(), type, params);
    // A cell with a control of its own keeps it.
    if (type == "Bitmap" || type == "ImageIndex" || type == "CheckBox") return false;
    if (!IsNamedControlType(type)) return true;
    int pos = 1;
    return const_cast<TqzDBGrid*>(this)->FindControlByName(qzStrGetToken(params, ";", pos)) == nullptr;
}

TWinControl* TqzDBGrid::CellControl(int ACol, int ARow) {
    TWinControl* control = nullptr;
    if (GetCustomControlForCell(ACol, ARow, control) && control) return control;
    TqzDBDateTimePicker* picker = FImpl->Picker;
    if (!picker || !IsPickerCell(ACol)) return nullptr;
    TField* field = GetColField(ACol - IndicatorOffset());
    return field && SameText(picker->DataField(), field->FieldName()) ? picker : nullptr;
}

TqzDBDateTimePicker* TqzDBGrid::DateTimePicker() const { return FImpl->Picker; }

void TqzDBGrid::CreateDateTimePicker() {
    // Owned by the grid, so it takes its height from its font.
    FImpl->Picker = new TqzDBDateTimePicker(this);
}

void TqzDBGrid::DoCreateDateTimePicker() { FImpl->OnCreateDateTimePicker(this, FImpl->Picker); }

void TqzDBGrid::UpdateDateTimePicker() {
    if (ComponentState().Contains(csDesigning) || Options().Contains(dgRowSelect)) return;
    if (!DataSetActive() || Col() < IndicatorOffset() || !IsPickerCell(Col())) return;
    TField* field = GetColField(Col() - IndicatorOffset());
    if (!field) return;
    if (!FImpl->Picker) {
        CreateDateTimePicker();
        DoCreateDateTimePicker();
    }
    TqzDBDateTimePicker* picker = FImpl->Picker;
    TqzColumn* column = Columns(SelectedIndex());
    picker->SetReadOnly(field->ReadOnly() || (column && column->ReadOnly()) || ReadOnly());
    if (picker == FImpl->CurrentControl) {
        HideCustomControl();
        FImpl->CurrentControl = nullptr;
    }
    picker->SetVisible(false);
    picker->SetParent(this);
    picker->SetDataSource(DataSource());
    if (!SameText(picker->DataField(), field->FieldName())) {
        picker->SetDataField(field->FieldName());
        // Another cell's value is edited from its first part again.
        picker->SetDisplayFormat(picker->DisplayFormat());
    }
    picker->SetBorderStyle(bsNone);
    picker->HandleNeeded();
}

bool TqzDBGrid::CanEditShow() {
    if (IsCustomControlCell(Col(), Row())) return false;
    if (IsMemoCell(Col(), Row())) return false;
    return TqzCustomDBGrid::CanEditShow();
}

bool TqzDBGrid::IsMemoCell(int ACol, int ARow) const {
    (void)ARow;
    TField* field = GetColField(ACol - IndicatorOffset());
    return field && IsMemoField(field);
}

void TqzDBGrid::HideCustomControl() {
    TWinControl* control = FImpl->CurrentControl;
    if (!control) return;
    const bool hadFocus = control->Focused() || control->ContainsControl(ActiveOfForm(control));
    control->SetVisible(false);
    control->SetBounds(ClientWidth() + 10, control->Top(), control->Width(), control->Height());
    qzSetOrdPropByName(control, "Modified", 0);
    if (hadFocus && CanFocus()) SetFocus();
}

void TqzDBGrid::PlaceControl(TWinControl* Control, const TRect& ARect) {
    TRect r = ARect;
    r.Left += 1;
    r.Top += 1;
    int height = r.Bottom - r.Top;
    if (!Options().Contains(dgWordWrap)) height = std::min(height, std::max(Control->Height(), 1));
    int width = std::max(r.Right - r.Left - 1, 1);
    // A narrow date cell's picker reaches into the next cells, within the grid.
    if (Control == FImpl->Picker)
        width = std::max(width, std::min(PickerWidth(FImpl->Picker), ClientWidth() - r.Left));
    // Mirrored in a right-to-left grid, reaching to the left.
    const TRect shown = GridToClientRect(Bounds(r.Left, r.Top, width, std::max(height - 1, 1)));
    Control->SetBounds(shown.Left, shown.Top, shown.Width(), shown.Height());
    Control->SetVisible(true);
    Control->FreeNotification(this);
    FImpl->CurrentControl = Control;
    TField* field = GetColField(Col() - IndicatorOffset());
    FImpl->CurrentField = field ? field->FieldName() : std::string();
}

void TqzDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TqzCustomDBGrid::DrawCell(ACol, ARow, ARect, AState);
    if (ACol != Col() || ARow != Row() || ACol < IndicatorOffset() || ARow < TitleOffset()) return;
    if (!qzCanUseCustomControls()) return;
    TWinControl* control = CellControl(ACol, ARow);
    if (!control || control->Parent() != this) return;
    TCustomForm* form = GetParentForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    if (active != this && active != control && !control->ContainsControl(active)) return;
    if (control->Visible() && FImpl->CurrentControl == control) return;
    PlaceControl(control, ARect);
}

void TqzDBGrid::BeforeCellMove() {
    TWinControl* control = FImpl->CurrentControl;
    if (!control || !control->Visible()) return;
    TWinControl* focused = ActiveOfForm(this);
    if (focused == this || focused == control || control->ContainsControl(focused)) {
        HideCustomControl();
        FImpl->CurrentControl = nullptr;
    }
}

void TqzDBGrid::ColExit() {
    TCustomForm* form = GetParentForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    if (FImpl->CurrentControl && (active == this || active == FImpl->CurrentControl)) {
        HideCustomControl();
        FImpl->CurrentControl = nullptr;
    }
    TqzCustomDBGrid::ColExit();
}

void TqzDBGrid::ColEnter() {
    UpdateDateTimePicker();
    TqzCustomDBGrid::ColEnter();
}

void TqzDBGrid::FieldChangedNotice(TField* Field) {
    TqzCustomDBGrid::FieldChangedNotice(Field);
    // Set while a record is edited through the grid's link.
    FImpl->Flags[0] = Variant(true);
}

void TqzDBGrid::TopLeftChanged() {
    TqzCustomDBGrid::TopLeftChanged();
    TWinControl* control = FImpl->CurrentControl;
    if (!control || !control->Visible()) return;
    const TRect r = CellRect(Col(), Row());
    const TRect placed = GridToClientRect(Bounds(r.Left + 1, r.Top + 1, control->Width(), control->Height()));
    if (IsRectEmpty(r) || control->Left() != placed.Left || control->Top() != placed.Top) {
        HideCustomControl();
        FImpl->CurrentControl = nullptr;
        Invalidate();
    }
}

void TqzDBGrid::BiDiModeChanged() {
    TqzCustomDBGrid::BiDiModeChanged();
    TWinControl* control = FImpl->CurrentControl;
    if (!control || !control->Visible() || control->Parent() != this) return;
    // An open drop-down closes taking nothing: its window stays where the
    // old direction put it.
    if (auto* combo = dynamic_cast<TqzDBCustomCombo*>(control); combo && combo->IsDroppedDown())
        combo->CloseUp(false);
    PlaceControl(control, CellRect(Col(), Row()));
}

void TqzDBGrid::Scroll(int Distance) {
    TWinControl* control = FImpl->CurrentControl;
    if (control && control->Visible() && control->Focused() && CanFocus()) SetFocus();
    TqzCustomDBGrid::Scroll(Distance);
}

void TqzDBGrid::UpdateDataLink() {
    TqzCustomDBGrid::UpdateDataLink();
    TWinControl* control = FImpl->CurrentControl;
    if (control && control->Visible()) SendMessage(control, CM_EXIT, 0, 0);
}

void TqzDBGrid::Paint() {
    FImpl->Selection.RefreshRowFlags();
    TWinControl* control = FImpl->CurrentControl;
    if (control && control->Visible()) {
        // The field of the cell it was placed over, whatever the control
        // says of itself: drawing would place it there again.
        bool shown = false;
        for (int i = 0; TField* f = GetColField(i); ++i)
            if (SameText(f->FieldName(), FImpl->CurrentField)) shown = !UseTFields() || f->Visible();
        if (!shown) {
            HideCustomControl();
            FImpl->CurrentControl = nullptr;
        }
    }
    TqzCustomDBGrid::Paint();
}

// ---- Check boxes and memo cells ----------------------------------------------------------------

bool TqzDBGrid::CheckBoxCell(int ACol, std::string& On, std::string& Off) {
    TField* field = GetColField(ACol - IndicatorOffset());
    if (!field) return false;
    std::string type, params;
    GetControlInfo(field->FieldName(), type, params);
    return type == "CheckBox" && GetCheckBoxValues(field->FieldName(), On, Off);
}

bool TqzDBGrid::CanToggle(TField* Field) {
    TDataSet* ds = DataLink()->DataSet();
    if (!ds || !CanEditGrid() || Field->ReadOnly() || !ds->CanModify()) return false;
    if (TqzColumn* column = Columns(SelectedIndex()); column && column->ReadOnly()) return false;
    if (ds->IsEmpty() && ds->State() == dsBrowse && !KeyOptions().Contains(dgAllowInsert)) return false;
    return true;
}

void TqzDBGrid::ToggleCheckBox() {
    TField* field = SelectedField();
    std::string on, off;
    if (!field || !CheckBoxCell(Col(), on, off)) return;
    if (LowerCase(field->FieldName()) == "selected" && field->Calculated()) {
        if (IsRecordSelected())
            UnselectRecordHook();
        else
            SelectRecordHook();
        InvalidateRow(Row());
        return;
    }
    if (!CanToggle(field)) return;
    if (!DataLink()->Edit()) return;
    field->SetText(SameText(field->DisplayText(), on) ? off : on);
    InvalidateCell(Col(), Row());
    Update();
}

bool TqzDBGrid::OpenMemoCell() {
    if (FImpl->MemoAttributes.Contains(mDisableDialog)) return false;
    TField* field = SelectedField();
    TDataSet* ds = DataLink() ? DataLink()->DataSet() : nullptr;
    if (!field || !ds || !IsMemoField(field)) return false;
    auto dialog = std::make_unique<TqzMemoDialog>(this);
    dialog->SetDataSource(DataSource());
    dialog->SetDataField(field->FieldName());
    TqzMemoAttributes attributes = FImpl->MemoAttributes;
    // A dataset that cannot be changed opens the window view-only as well.
    if (!Options().Contains(dgEditing) || ReadOnly() || field->ReadOnly() || !ds->CanModify())
        attributes = attributes + mViewOnly;
    dialog->SetMemoAttributes(attributes);
    dialog->SetCaption(StringReplace(field->DisplayLabel(), "~", " ", rfReplaceAll));
    dialog->SetFont(Font());
    dialog->SetDlgLeft(-1);
    FImpl->OnMemoOpen(this, dialog.get());
    const bool ok = dialog->Execute();
    FImpl->OnMemoClose(this, !ok);
    dialog.reset();
    InvalidateCell(Col(), Row());
    Update();
    return true;
}

// ---- Cell text ----------------------------------------------------------------------------------

std::string TqzDBGrid::CellText(TField* Field) {
    if (!Field) return {};
    std::string type, params;
    GetControlInfo(Field->FieldName(), type, params);
    TDataSet* ds = Field->DataSet();
    if (Field->IsBlob() && type == "RichEdit") {
        const std::string data = Field->AsString();
        std::string text = qzLooksLikeRichText(data) ? qzRtfToPlainText(data) : data;
        if (!FImpl->LoadAllRTF) {
            // A preview: the first two paragraphs.
            size_t at = text.find('\n');
            if (at != std::string::npos) at = text.find('\n', at + 1);
            if (at != std::string::npos) text.erase(at);
        }
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
        return text;
    }
    if (IsMemoField(Field)) {
        if (ds && ds->IsEmpty() && ds->State() != dsInsert) return {};
        return FImpl->MemoAttributes.Contains(mGridShow) ? Field->AsString() : "(Memo)";
    }
    if (type == "URL-Link") {
        std::string display, address;
        SplitURLText(Field->DisplayText(), display, address);
        return display;
    }
    if (IsNamedControlType(type)) {
        int pos = 1;
        TWinControl* control = FindControlByName(qzStrGetToken(params, ";", pos));
        // A lookup combo's own text is the current record's.
        if (auto* lookup = dynamic_cast<TqzDBCustomLookupCombo*>(control); lookup && lookup->Field() == Field)
            return lookup->RowDisplayText();
        if (auto* edit = dynamic_cast<TqzDBCustomEdit*>(control)) {
            std::string text = Field->DisplayText();
            if (edit->DisplayTextFromValue(text)) return text;
        }
    }
    return Field->DisplayText();
}

// ---- Keys and mouse ----------------------------------------------------------------------------

void TqzDBGrid::PlaceCurrentControl() {
    TWinControl* control = CellControl(Col(), Row());
    if (!control || control->Parent() != this || !qzCanUseCustomControls()) return;
    if (control->Visible() && FImpl->CurrentControl == control) return;
    const TRect r = CellRect(Col(), Row());
    if (!IsRectEmpty(r)) PlaceControl(control, r);
}

void TqzDBGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    // A key typed before the cell was drawn still finds its control in place.
    if (Key == VK_F2 || qzIsTextEditKey(Key) || (Key == VK_DOWN && Shift.Contains(ssAlt)))
        PlaceCurrentControl();
    TWinControl* control = FImpl->CurrentControl;
    const bool controlShown = control && control->Visible();
    if (Key == VK_DOWN && Shift.Contains(ssAlt) && controlShown) {
        control->SetFocus();
        SendMessage(control, WM_KEYDOWN, VK_DOWN, 0);
        Key = 0;
        return;
    }
    TField* field = SelectedField();
    // F2 on a RichEdit cell goes to its control (the base grid would take it).
    if (Key == VK_F2 && controlShown && field) {
        std::string type, params;
        GetControlInfo(field->FieldName(), type, params);
        if (type == "RichEdit") {
            PostMessage(control, WM_KEYDOWN, VK_F2, 0);
            Key = 0;
            return;
        }
    }
    // F2 on a memo cell opens the window rather than the text editor; a cell
    // with a control of its own (a RichEdit) hands the key to the control.
    if (Key == VK_F2 && Shift.Empty() && field && IsMemoCell(Col(), Row()) &&
        !IsCustomControlCell(Col(), Row())) {
        OpenMemoCell();
        Key = 0;
        return;
    }
    TqzCustomDBGrid::KeyDown(Key, Shift);
    if (Key == 0 || !DataSetActive()) return;
    if (Key == VK_SPACE && Options().Contains(dgRowSelect) && Options().Contains(dgMultiSelect)) {
        if (IsRecordSelected())
            UnselectRecordHook();
        else
            SelectRecordHook();
        Key = 0;
        return;
    }
    std::string on, off;
    if (Key == VK_SPACE && Shift.Empty() && CheckBoxCell(Col(), on, off)) {
        ToggleCheckBox();
        Key = 0;
        return;
    }
    std::string type, params;
    if (field) GetControlInfo(field->FieldName(), type, params);
    if (controlShown && (Key == VK_F2 || qzIsTextEditKey(Key))) {
        control->SetFocus();
        if (Key != VK_F2) SendMessage(control, WM_KEYDOWN, Key, 0);
        Key = 0;
        return;
    }
    if (Key == VK_DELETE && Shift.Empty() && field && !IsMemoCell(Col(), Row()) &&
        !IsCustomControlCell(Col(), Row()) && CanEditGrid() && !EditorMode()) {
        ShowEditor();
        if (InplaceEditor() && InplaceEditor()->Visible())
            PostMessage(InplaceEditor(), WM_KEYDOWN, VK_DELETE, 0);
        Key = 0;
    }
}

void TqzDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridCoord cell = MouseCoord(X, Y);
    const bool dbl = Shift.Contains(ssDouble);
    const bool dataCell = cell.X >= IndicatorOffset() && cell.Y >= TitleOffset();
    const TBookmark anchor = FImpl->Selection.Anchor();
    const bool range = dataCell && Button == mbLeft && !dbl && Options().Contains(dgMultiSelect) &&
                       Shift.Contains(ssShift) && !anchor.empty();
    TqzCustomDBGrid::MouseDown(Button, Shift, X, Y);
    if (!dataCell || !DataSetActive() || Button != mbLeft) return;
    if (range) {
        TDataSet* ds = DataLink()->DataSet();
        SelectRange(anchor, ds->Bookmark());
        // The anchor stays where the range started.
        FImpl->Selection.SetAnchor(anchor);
        return;
    }
    if (cell.X != Col() || cell.Y != Row()) return;
    // The click that opened a rich edit over its cell: a quick second one in
    // the control is a double click.
    if (!dbl && !EditControlOptions().Contains(ecoDisableCustomControls))
        qzNoteRichEditGridClick(CellControl(cell.X, cell.Y));
    std::string on, off;
    if (CheckBoxCell(cell.X, on, off)) {
        const TRect r = CellRect(cell.X, cell.Y);
        const TRect box =
            Bounds(r.Left + (r.Width() - 10) / 2 - 2, r.Top + (r.Height() - 10) / 2 - 2, 14, 14);
        const int gx = GridX(X);
        const bool inBox = gx >= box.Left && gx < box.Right && Y >= box.Top && Y < box.Bottom;
        const bool single = EditControlOptions().Contains(ecoCheckboxSingleClick);
        if (inBox && (single ? !dbl : dbl)) ToggleCheckBox();
        return;
    }
    if (!dbl) {
        // A hidden control of the current cell is placed again by drawing.
        if (FImpl->CurrentControl && !FImpl->CurrentControl->Visible()) InvalidateCell(cell.X, cell.Y);
        return;
    }
    TField* field = SelectedField();
    std::string type, params;
    if (field) GetControlInfo(field->FieldName(), type, params);
    if (type == "RichEdit" && FImpl->CurrentControl) {
        PostMessage(FImpl->CurrentControl, WM_KEYDOWN, VK_F2, 0);
    } else if (IsMemoCell(cell.X, cell.Y)) {
        OpenMemoCell();
    }
}

void TqzDBGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_CHAR) {
        if (Message.WParam >= 32 && Message.WParam != 127) PlaceCurrentControl();
        TWinControl* control = FImpl->CurrentControl;
        const auto ch = static_cast<char32_t>(Message.WParam);
        if (control && control->Visible() && ch >= 32 && ch != 127) {
            control->SetFocus();
            PostMessage(control, WM_CHAR, Message.WParam, Message.LParam);
            Message.Result = 0;
            return;
        }
    }
    TqzCustomDBGrid::Dispatch(Message);
}

// ---- Layout -------------------------------------------------------------------------------------

void TqzDBGrid::LoadLayout() { FImpl->IniAttributes->Load(); }
void TqzDBGrid::SaveLayout() { FImpl->IniAttributes->Save(); }
