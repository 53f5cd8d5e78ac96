// The grid's model: construction, options and the column layout.
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridhook.h"
#include "suite/grid/qzgridimages.h"

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/imagelist.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"

namespace {

// The pieces of a title, cut at each "~".
std::vector<std::string> TitlePieces(const std::string& Title) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t tilde = Title.find('~', start);
        pieces.push_back(Title.substr(start, tilde == std::string::npos ? std::string::npos : tilde - start));
        if (tilde == std::string::npos) break;
        start = tilde + 1;
    }
    return pieces;
}

// The parts of a line split at tabs.
std::vector<std::string> TabParts(const std::string& Line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = Line.find('\t', start);
        parts.push_back(Line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

}  // namespace

// ---- Field-list lines ------------------------------------------------------------------

void qzGetSelectedLinePart(TStrings* List, const std::string& FieldName, int Part, std::string& Value) {
    Value.clear();
    int index = -1;
    if (!List || Part < 0 || Part >= 5 || !qzFindTabbedLine(List, FieldName, index)) return;
    if (Part == 0) {
        Value = FieldName;
        return;
    }
    const std::vector<std::string> parts = TabParts(List->Strings(index));
    if (Part < static_cast<int>(parts.size())) Value = parts[static_cast<size_t>(Part)];
    if (Part == 3 && Value.empty()) Value = "F";
}

void qzSetSelectedLinePart(TStrings* List, const std::string& FieldName, const std::string& Value,
                           int LineIndex, int Part) {
    if (!List) return;
    if (LineIndex < 0 && !qzFindTabbedLine(List, FieldName, LineIndex)) return;
    if (LineIndex >= List->Count()) return;
    std::vector<std::string> parts = TabParts(List->Strings(LineIndex));
    parts.resize(5);
    if (Part >= 1 && Part <= 4) parts[static_cast<size_t>(Part)] = Value;
    if (parts[3].empty()) parts[3] = "F";
    std::string line = FieldName + "\t" + parts[1] + "\t" + parts[2] + "\t" + parts[3];
    if (!parts[4].empty()) line += "\t" + parts[4];
    List->SetStrings(LineIndex, line);
}

int qzSelectedWidthChars(const std::string& Part) {
    // Wider than any screen counts as damaged too: pixels are characters
    // times the character width.
    constexpr int MaxChars = 4096;
    int value = 0;
    if (!TryStrToInt(Part, value) || value < 0 || value > MaxChars) return -1;
    return value;
}

// ---- Line colours ------------------------------------------------------------------------

void TqzGridLineColors::Assign(TPersistent* Source) {
    if (auto* c = dynamic_cast<TqzGridLineColors*>(Source)) {
        FDataColor = c->FDataColor;
        FHighlightColor = c->FHighlightColor;
        FShadowColor = c->FShadowColor;
        FFixedColor = c->FFixedColor;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzGridLineColors::Publish(TPublisher<TqzGridLineColors>& p) {
    using Self = TqzGridLineColors;
    p.Property("DataColor", &Self::DataColor, &Self::SetDataColor).SetTypeName("TColor");
    p.Property("HighlightColor", &Self::HighlightColor, &Self::SetHighlightColor).SetTypeName("TColor");
    p.Property("ShadowColor", &Self::ShadowColor, &Self::SetShadowColor).SetTypeName("TColor");
    p.Property("FixedColor", &Self::FixedColor, &Self::SetFixedColor).SetTypeName("TColor");
}

void TqzDittoAttributes::Assign(TPersistent* Source) {
    if (auto* d = dynamic_cast<TqzDittoAttributes*>(Source)) {
        FShortCutDittoField = d->FShortCutDittoField;
        FShortCutDittoRecord = d->FShortCutDittoRecord;
        FDittoDirection = d->FDittoDirection;
        FOptions = d->FOptions;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzDittoAttributes::Publish(TPublisher<TqzDittoAttributes>& p) {
    using Self = TqzDittoAttributes;
    p.Property("ShortCutDittoField", &Self::ShortCutDittoField, &Self::SetShortCutDittoField)
        .SetTypeName("TShortCut");
    p.Property("ShortCutDittoRecord", &Self::ShortCutDittoRecord, &Self::SetShortCutDittoRecord)
        .SetTypeName("TShortCut");
    p.Property("DittoDirection", &Self::DittoDirection, &Self::SetDittoDirection);
    p.Property("Options", &Self::Options, &Self::SetOptions);
}

void TqzCustomDBGrid::Publish(TPublisher<TqzCustomDBGrid>& p) {
    using Self = TqzCustomDBGrid;
    p.Property("Options", &Self::Options, &Self::SetOptions);
    p.Property("EditCalculated", &Self::EditCalculated, &Self::SetEditCalculated);
    p.Property("UseTFields", &Self::UseTFields, &Self::SetUseTFields);
    p.Property("DataSource", &Self::DataSource, &Self::SetDataSource);
    p.Property("Selected", &Self::Selected, &Self::SetSelected);
    p.Property("ControlType", &Self::ControlType, &Self::SetControlType);
    p.Property("PictureMasks", &Self::PictureMasks, &Self::SetPictureMasks);
    p.Property("RegexMasks", &Self::RegexMasks, &Self::SetRegexMasks);
    p.Property("ControlInfoInDataset", &Self::ControlInfoInDataset, &Self::SetControlInfoInDataset);
    p.Property("PictureMaskFromDataSet", &Self::PictureMaskFromDataSet, &Self::SetPictureMaskFromDataSet);
    p.Property("OnCalcCellColors", &Self::OnCalcCellColors, &Self::SetOnCalcCellColors);
}

// ---- Construction ---------------------------------------------------------------------------

TqzCustomDBGrid::TqzCustomDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner), FImpl(std::make_unique<TImpl>(*this)) {
    FImpl->IndicatorOffset = 1;
    FImpl->TitleOffset = 1;
    FColumnMoveNotices = true;
    FImpl->DataLink = std::make_unique<TqzGridDataLink>(this);
    FImpl->TitleFont = std::make_unique<TFont>();
    FImpl->TitleFont->SetOnChange(TNotifyEvent(this, &TqzCustomDBGrid::TitleFontChanged));
    FImpl->Selected = std::make_unique<TStringList>();
    FImpl->ControlType = std::make_unique<TStringList>();
    FImpl->PictureMasks = std::make_unique<TStringList>();
    FImpl->RegexMasks = std::make_unique<TStringList>();
    FImpl->DefaultColumn = std::make_unique<TqzColumn>(this, std::string());
    FImpl->PaintBitmap = std::make_unique<TBitmap>();
    FImpl->PaintOptions = std::make_unique<TqzGridPaintOptions>(this, FImpl->PaintBitmap.get());
    FImpl->LineColors = std::make_unique<TqzGridLineColors>();
    qzAcquireGridImages();
    qzGridCreated();
    SetColor(clWindow);
    SetParentColor(false);
    SetScrollBars(ssHorizontal);
    SetColCount(2);
    SetRowCount(2);
    SetColWidths(0, 11);
    ApplyPlatformOptions();
    FImpl->UseTFields = true;
    FImpl->ShowVertScrollBar = true;
}

TqzCustomDBGrid::~TqzCustomDBGrid() {
    // Unbinding below tells no one.
    FImpl->Destroying = true;
    HideCellHint();
    if (FImpl->IndicatorButton) FImpl->IndicatorButton->RemoveFreeNotification(this);
    FImpl->DataLink->SetDataSource(nullptr);
    ClearColumns();
    FImpl->DataLink.reset();
    qzReleaseGridImages();
    qzGridDestroyed();
}

TDataSource* TqzCustomDBGrid::DataSource() const { return FImpl->DataLink->DataSource(); }

void TqzCustomDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    if (DataSource()) DataSource()->RemoveFreeNotification(this);
    FImpl->DataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(FImpl->DataLink->Active());
}

bool TqzCustomDBGrid::DataSetActive() const {
    return FImpl->DataLink->Active() && FImpl->DataLink->DataSet() && FImpl->DataLink->DataSet()->Active();
}

void TqzCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    FImpl->Hints.Forget(AComponent);
    if (AComponent == DataSource()) {
        FImpl->DataLink->SetDataSource(nullptr);
        if (!ComponentState().Contains(csDestroying)) LinkActive(false);
    }
    if (AComponent == FImpl->IndicatorButton) FImpl->IndicatorButton = nullptr;
    if (AComponent == FImpl->TitleImageList) FImpl->TitleImageList = nullptr;
    if (AComponent == FImpl->ImageList) FImpl->ImageList = nullptr;
}

void TqzCustomDBGrid::Loaded() {
    TCustomGrid::Loaded();
    LayoutChanged();
    FImpl->PaintOptions->PrepareBackground(true);
}

void TqzCustomDBGrid::CreateWnd() {
    TCustomGrid::CreateWnd();
    LayoutChanged();
    UpdateScrollBar();
    CheckRowChanged();
}

void TqzCustomDBGrid::CMFontChanged(TMessage& Message) {
    TCustomGrid::CMFontChanged(Message);
    LayoutChanged();
}

void TqzCustomDBGrid::CMParentFontChanged(TMessage& Message) {
    TCustomGrid::CMParentFontChanged(Message);
    if (!ParentFont() || !Parent()) return;
    // The title font follows the parent's font while the grid's does.
    FImpl->FontFromParent = true;
    try {
        FImpl->TitleFont->Assign(Parent()->Font());
    } catch (...) {
        FImpl->FontFromParent = false;
        throw;
    }
    FImpl->FontFromParent = false;
    LayoutChanged();
}

void TqzCustomDBGrid::TitleFontChanged(TObject*) {
    if (!FImpl->FontFromParent) SetParentFont(false);
    if (FImpl->Options.Contains(dgTitles)) LayoutChanged();
}

void TqzCustomDBGrid::ClearColumns() { FImpl->Columns.clear(); }

TCanvas* TqzCustomDBGrid::MeasureCanvas() {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    return c;
}

int TqzCustomDBGrid::ZeroWidth() { return std::max(1, MeasureCanvas()->TextWidth("0")); }

// ---- Options ----------------------------------------------------------------------------

bool TqzCustomDBGrid::RowLinesReserved() const {
    return !(!FImpl->Options.Contains(dgRowLines) && FImpl->Options.Contains(dgRowLinesDisableFixed));
}

void TqzCustomDBGrid::ApplyPlatformOptions() {
    TGridOptions o;
    if (FImpl->Options.Contains(dgColLines)) o += {goFixedVertLine, goVertLine};
    if (FImpl->Options.Contains(dgRowLines)) o += {goFixedHorzLine, goHorzLine};
    if (!FImpl->Options.Contains(dgRowLinesDisableFixed)) o += goFixedHorzLine;
    if (FImpl->Options.Contains(dgColumnResize)) o += {goColSizing, goColMoving};
    if (FImpl->Options.Contains(dgRowResize)) o += goRowSizing;
    if (FImpl->Options.Contains(dgTabs)) o += goTabs;
    if (FImpl->Options.Contains(dgRowSelect)) o += goRowSelect;
    if (FImpl->Options.Contains(dgEditing) && !FImpl->Options.Contains(dgRowSelect)) o += goEditing;
    if (FImpl->Options.Contains(dgAlwaysShowEditor)) o += goAlwaysShowEditor;
    TCustomGrid::SetOptions(o);
}

void TqzCustomDBGrid::SetOptions(TqzDBGridOptions Value) {
    if (Value == FImpl->Options) return;
    const TqzDBGridOptions old = FImpl->Options;
    FImpl->Options = Value;
    ApplyPlatformOptions();
    auto changed = [&](TqzDBGridOption o) { return old.Contains(o) != Value.Contains(o); };
    if (changed(dgWordWrap)) Invalidate();
    if (changed(dgIndicator)) FImpl->PropWidths.clear();
    for (TqzDBGridOption o :
         {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect,
          dgAlwaysShowSelection, dgPerfectRowFit, dgShowFooter, dgProportionalColResize})
        if (changed(o)) {
            LayoutChanged();
            break;
        }
}

bool TqzCustomDBGrid::IsProportionalColResize() const {
    return !FImpl->UseTFields && FImpl->Options.Contains(dgProportionalColResize);
}

bool TqzCustomDBGrid::CanEditGrid() const { return FImpl->Options.Contains(dgEditing) && !FImpl->ReadOnly; }

// ---- Columns ---------------------------------------------------------------------------------

TField* TqzCustomDBGrid::GetColField(int DataCol) const {
    if (DataCol < 0 || !FImpl->DataLink->Active() || DataCol >= FImpl->DataLink->FieldCount()) return nullptr;
    return FImpl->DataLink->Fields(DataCol);
}

TField* TqzCustomDBGrid::SelectedField() const { return GetColField(SelectedIndex()); }

std::string TqzCustomDBGrid::GetFieldValue(int DataCol) const {
    TField* f = GetColField(DataCol);
    return f ? f->DisplayText() : std::string();
}

std::string TqzCustomDBGrid::LineFieldName(int Index) const {
    if (Index < 0 || Index >= FImpl->Selected->Count()) return {};
    const std::string& line = FImpl->Selected->Strings(Index);
    return line.substr(0, line.find('\t'));
}

void TqzCustomDBGrid::GetFieldListPart(TStrings* List, const std::string& FieldName, int Part,
                                       std::string& Text) const {
    qzGetSelectedLinePart(List, FieldName, Part, Text);
}

void TqzCustomDBGrid::SetFieldListPart(TStrings* List, const std::string& FieldName, const std::string& Text,
                                       int LineIndex, int Part) const {
    qzSetSelectedLinePart(List, FieldName, Text, LineIndex, Part);
}

bool TqzCustomDBGrid::FieldTakesTyping(TField* Field) const {
    if (!Field || Field->ReadOnly() || (Field->Calculated() && !FImpl->EditCalculated)) return false;
    std::string ro;
    if (!FImpl->UseTFields) qzGetSelectedLinePart(FImpl->Selected.get(), Field->FieldName(), 3, ro);
    return ro != "T";
}

void TqzCustomDBGrid::DefineFieldMap() {
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    if (FImpl->UseTFields) {
        if (dataSet)
            for (int i = 0; i < dataSet->Fields()->Count(); ++i) {
                TField* f = (*dataSet->Fields())[i];
                if (f->Visible()) FImpl->DataLink->AddMapping(f->FieldName());
            }
    } else {
        for (int i = 0; i < FImpl->Selected->Count();) {
            const std::string name = LineFieldName(i);
            if (FImpl->DataLink->Active() && dataSet && !dataSet->FindField(name)) {
                FImpl->Selected->Delete(i);
                continue;
            }
            FImpl->DataLink->AddMapping(name);
            ++i;
        }
    }
    // New column objects keep the settings of the old ones of the same field.
    std::vector<std::unique_ptr<TqzColumn>> columns;
    for (int i = 0; i < FImpl->DataLink->FieldCount(); ++i) {
        TField* f = FImpl->DataLink->Fields(i);
        auto column = std::make_unique<TqzColumn>(this, f ? f->FieldName() : std::string());
        for (const auto& old : FImpl->Columns)
            if (old && SameText(old->FieldName(), column->FieldName())) {
                column->FFooterValue = old->FFooterValue;
                column->FSecond = old->FSecond;
                break;
            }
        columns.push_back(std::move(column));
    }
    FImpl->Columns = std::move(columns);
}

void TqzCustomDBGrid::RecalcRowHeights() {
    TCanvas* c = MeasureCanvas();
    const int lines = RowLinesReserved() ? 1 : 0;
    const int unscaled = c->TextHeight("W") + 2 + lines;
    const int h = std::max(1, unscaled * FImpl->RowHeightPercent / 100);
    if (h != DefaultRowHeight()) SetDefaultRowHeight(h);
    int titleHeight = h;
    if (FImpl->Options.Contains(dgTitles)) {
        c->Font()->Assign(FImpl->TitleFont.get());
        if (Parent() && Parent()->InheritsFrom("TCustomGrid"))
            titleHeight = unscaled * FImpl->TitleLines + FImpl->TitleLines - 1;
        else
            titleHeight = c->TextHeight("W") * FImpl->TitleLines + 4;
        if (!RowLinesReserved()) titleHeight += 1;
        c->Font()->Assign(Font());
    }
    FImpl->IndicatorButtonOffset = 2;
    if (FImpl->Options.Contains(dgIndicator) && FImpl->IndicatorButton) {
        const int b = FImpl->IndicatorButton->Height() + (RowLinesReserved() ? -1 : 1);
        if (titleHeight < b) titleHeight = b;
        FImpl->IndicatorButtonOffset = (titleHeight - FImpl->IndicatorButton->Height()) / 2 + 2;
    }
    if (FImpl->TitleOffset > 0 && RowCount() > 0) SetRowHeights(0, titleHeight);
}

void TqzCustomDBGrid::SetColumnAttributes() {
    const int count = FImpl->UseTFields ? FImpl->DataLink->FieldCount() : FImpl->Selected->Count();
    LoadControlTypes();
    TDataSet* dataSet = FImpl->DataLink->DataSet();
    TCanvas* c = MeasureCanvas();
    const int w0 = std::max(1, c->TextWidth("0"));
    const bool proportional = IsProportionalColResize();
    const bool buildRefs = proportional && FImpl->PropWidths.empty();
    if (buildRefs) FImpl->PropWidths.assign(static_cast<size_t>(count), 0);
    for (int i = 0; i < count && i + FImpl->IndicatorOffset < ColCount(); ++i) {
        TField* field = nullptr;
        std::string widthPart, titlePart;
        int parts = 0;
        if (FImpl->UseTFields) {
            field = FImpl->DataLink->Fields(i);
        } else {
            const std::string& line = FImpl->Selected->Strings(i);
            const std::vector<std::string> p = TabParts(line);
            parts = static_cast<int>(p.size());
            field = dataSet ? dataSet->FindField(p[0]) : nullptr;
            if (parts > 1) widthPart = p[1];
            if (parts > 2) titlePart = p[2];
        }
        // A missing, damaged or negative width falls back to the field's own.
        int width = 64;
        const int chars = FImpl->UseTFields ? -1 : qzSelectedWidthChars(widthPart);
        if (chars >= 0)
            width = chars * w0 + 4;
        else if (field)  // a field's width may come from a damaged layout too
            width = std::clamp(field->DisplayWidth(), 0, 4096) * w0 + 4;
        if (FImpl->Options.Contains(dgTitles) && !FImpl->Options.Contains(dgNoLimitColSize) &&
            !proportional) {
            std::string title;
            if (FImpl->UseTFields)
                title = field ? field->DisplayLabel() : std::string();
            else if (parts >= 3)
                title = titlePart;
            else if (field)
                title = field->DisplayLabel();
            c->Font()->Assign(FImpl->TitleFont.get());
            int titleWidth = 0;
            for (const std::string& piece : TitlePieces(title))
                titleWidth = std::max(titleWidth, c->TextWidth(piece));
            c->Font()->Assign(Font());
            if (!title.empty()) width = std::max(width, titleWidth + 4);
        }
        if (buildRefs)
            FImpl->PropWidths[static_cast<size_t>(i)] = width;
        else
            SetColWidths(i + FImpl->IndicatorOffset, width);
        if (buildRefs) SetColWidths(i + FImpl->IndicatorOffset, width);
        SetTabStops(i + FImpl->IndicatorOffset, FieldTakesTyping(field));
    }
    if (proportional) ResizeColumnsProportionally();
    FImpl->ClientWidth = ClientWidth();
}

void TqzCustomDBGrid::LayoutChanged() {
    if (ComponentState().Contains(csLoading) || FImpl->InLayout || FImpl->LayoutLock > 0 || FImpl->Destroying)
        return;
    FImpl->ClientWidth = ClientWidth();
    FooterAreaHeight();
    FImpl->InLayout = true;
    try {
        FImpl->TitleOffset = 0;
        if (FImpl->ShowHorzScrollBar && IsProportionalColResize()) SetShowHorzScrollBar(true);
        FImpl->TitleOffset = FImpl->Options.Contains(dgTitles) ? 1 : 0;
        FImpl->IndicatorOffset = FImpl->Options.Contains(dgIndicator) ? 1 : 0;
        FImpl->DataLink->ClearMapping();
        if (FImpl->DataLink->Active()) DefineFieldMap();
        int count = FImpl->DataLink->FieldCount();
        if (!FImpl->UseTFields && count == 0) count = FImpl->Selected->Count();
        // One empty column at least.
        SetColCount(FImpl->IndicatorOffset + std::max(1, count));
        SetFixedCols(FImpl->IndicatorOffset);
        if (RowCount() <= FImpl->TitleOffset) SetRowCount(FImpl->TitleOffset + 1);
        SetFixedRows(FImpl->TitleOffset);
        RecalcRowHeights();
        if (FImpl->Options.Contains(dgIndicator)) {
            SetColWidths(0, FImpl->IndicatorButtonWidth);
            if (Col() == 0 && ColCount() > 1) SetCol(1);
        }
        BeforeCellMove();
        const int visibleBefore = VisibleDataRows();
        UpdateRowCount();
        if (FImpl->DataLink->Active() && FImpl->DataLink->DataSet() &&
            FImpl->DataLink->DataSet()->Fields()->Count() > 0)
            SetColumnAttributes();
        if (VisibleDataRows() != visibleBefore) UpdateRowCount();
        UpdateFooterIfChanged();
    } catch (...) {
        FImpl->InLayout = false;
        throw;
    }
    FImpl->InLayout = false;
    UpdateScrollBar();
    FImpl->LastLeftCol = LeftCol();
    InvalidateEditor();
    Invalidate();
    FImpl->PaintOptions->SizeChanged();
}

void TqzCustomDBGrid::ResizeColumnsProportionally() {
    if (FImpl->PropWidths.empty() || FImpl->UseTFields) return;
    const int count =
        std::min(static_cast<int>(FImpl->PropWidths.size()), ColCount() - FImpl->IndicatorOffset);
    if (count <= 0) return;
    int space = ClientWidth() - (FImpl->IndicatorOffset > 0 ? ColWidths(0) + 1 : 0) - 2;
    if (FImpl->ShowVertScrollBar && Width() - ClientWidth() < 10) space -= 16 + 1;
    TCanvas* c = MeasureCanvas();
    if (FImpl->Options.Contains(dgTitles)) c->Font()->Assign(FImpl->TitleFont.get());
    const int w0 = std::max(1, c->TextWidth("0"));
    c->Font()->Assign(Font());
    int refTotal = 0;
    for (int i = 0; i < count; ++i) refTotal += FImpl->PropWidths[static_cast<size_t>(i)] + 1;
    ++FImpl->LayoutLock;
    try {
        for (int i = 0; i < count; ++i) {
            const int ref = FImpl->PropWidths[static_cast<size_t>(i)] + 1;
            int width;
            if (i == count - 1) {
                width = space;
            } else {
                width = refTotal > 0 ? static_cast<int>(static_cast<int64_t>(ref) * space / refTotal) - 4 : 0;
                width = std::max(0, width) / w0 * w0 + 4;
            }
            // Never a negative width, however small the grid.
            width = std::max(0, width);
            const int chars = std::max(0, width - 4) / w0;
            SetColWidths(i + FImpl->IndicatorOffset, width);
            if (i < FImpl->Selected->Count())
                qzSetSelectedLinePart(FImpl->Selected.get(), LineFieldName(i), std::to_string(chars), i, 1);
            space -= width + 1;
            refTotal -= ref;
        }
    } catch (...) {
        --FImpl->LayoutLock;
        throw;
    }
    --FImpl->LayoutLock;
}

void TqzCustomDBGrid::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if (!FImpl->DataLink->DataSet() || !HandleAllocated() || ComponentState().Contains(csLoading) ||
        FImpl->InLayout || FImpl->LayoutLock > 0)
        return;
    ++FImpl->LayoutLock;
    try {
        const int w0 = ZeroWidth();
        auto chars = [&](int W) { return std::max(0, (W - 4 + std::max(0, w0 / 2 - 3)) / w0); };
        if (FImpl->UseTFields) {
            for (int i = 0; i < FImpl->DataLink->FieldCount() && i + FImpl->IndicatorOffset < ColCount(); ++i)
                if (TField* f = FImpl->DataLink->Fields(i))
                    f->SetDisplayWidth(chars(ColWidths(i + FImpl->IndicatorOffset)));
        } else {
            for (int i = 0; i < FImpl->Selected->Count() && i + FImpl->IndicatorOffset < ColCount(); ++i) {
                std::vector<std::string> p = TabParts(FImpl->Selected->Strings(i));
                std::string line = p[0] + "\t" +
                                   std::to_string(chars(ColWidths(i + FImpl->IndicatorOffset))) + "\t" +
                                   (p.size() > 2 ? p[2] : std::string());
                if (p.size() > 3) line += "\t" + p[3];
                if (p.size() > 4) line += "\t" + p[4];
                FImpl->Selected->SetStrings(i, line);
            }
        }
        qzNotifyDesignerModified(this);
    } catch (...) {
        --FImpl->LayoutLock;
        throw;
    }
    --FImpl->LayoutLock;
    const int sized = SizingIndex() - FImpl->IndicatorOffset;
    if (sized >= 0 && sized < ColCount() - FImpl->IndicatorOffset) FImpl->OnColWidthChanged(this, sized);
}

void TqzCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    TCustomGrid::ColumnMoved(FromIndex, ToIndex);
    const int from = FromIndex - FImpl->IndicatorOffset, to = ToIndex - FImpl->IndicatorOffset;
    if (!FImpl->UseTFields) {
        if (from >= 0 && to >= 0 && from < FImpl->Selected->Count() && to < FImpl->Selected->Count()) {
            const std::string line = FImpl->Selected->Strings(from);
            FImpl->Selected->Delete(from);
            FImpl->Selected->Insert(to, line);
        }
        LayoutChanged();
    } else {
        TField* a = GetColField(from);
        TField* b = GetColField(to);
        if (a && b) a->SetIndex(b->Index());
    }
    Invalidate();
    FImpl->OnColumnMoved(this, from, to);
}

void TqzCustomDBGrid::InvalidateVisibleColumns() {
    for (int c = FImpl->IndicatorOffset; c < ColCount(); ++c) InvalidateCol(c);
}

void TqzCustomDBGrid::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    FImpl->OnDrawDataCell(this, Rect, Field, State);
}
