// The grid's model: construction, options and the column layout.
#include "suite/grid/qzdbigrd.h"
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
    int value = 0;
    if (!TryStrToInt(Part, value) || value < 0) return -1;
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
    p.Property("ControlInfoInDataSet", &Self::ControlInfoInDataset, &Self::SetControlInfoInDataset);
    p.Property("PictureMaskFromDataSet", &Self::PictureMaskFromDataSet, &Self::SetPictureMaskFromDataSet);
    p.Property("OnCalcCellColors", &Self::OnCalcCellColors, &Self::SetOnCalcCellColors);
}

// ---- Construction ---------------------------------------------------------------------------

TqzCustomDBGrid::TqzCustomDBGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    FIndicatorOffset = 1;
    FTitleOffset = 1;
    FColumnMoveNotices = true;
    FDataLink = std::make_unique<TqzGridDataLink>(this);
    FTitleFont = std::make_unique<TFont>();
    FTitleFont->SetOnChange(TNotifyEvent(this, &TqzCustomDBGrid::TitleFontChanged));
    FSelected = std::make_unique<TStringList>();
    FControlType = std::make_unique<TStringList>();
    FPictureMasks = std::make_unique<TStringList>();
    FRegexMasks = std::make_unique<TStringList>();
    FDefaultColumn = std::make_unique<TqzColumn>(this, std::string());
    FPaintBitmap = std::make_unique<TBitmap>();
    FPaintOptions = std::make_unique<TqzGridPaintOptions>(this, FPaintBitmap.get());
    FLineColors = std::make_unique<TqzGridLineColors>();
    qzAcquireGridImages();
    qzGridCreated();
    SetColor(clWindow);
    SetParentColor(false);
    SetScrollBars(ssHorizontal);
    SetColCount(2);
    SetRowCount(2);
    SetColWidths(0, 11);
    ApplyPlatformOptions();
    FUseTFields = true;
    FShowVertScrollBar = true;
}

TqzCustomDBGrid::~TqzCustomDBGrid() {
    // Unbinding below tells no one.
    FDestroying = true;
    HideCellHint();
    if (FIndicatorButton) FIndicatorButton->RemoveFreeNotification(this);
    FDataLink->SetDataSource(nullptr);
    ClearColumns();
    FDataLink.reset();
    qzReleaseGridImages();
    qzGridDestroyed();
}

TDataSource* TqzCustomDBGrid::DataSource() const { return FDataLink->DataSource(); }

void TqzCustomDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    if (DataSource()) DataSource()->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    LinkActive(FDataLink->Active());
}

bool TqzCustomDBGrid::DataSetActive() const {
    return FDataLink->Active() && FDataLink->DataSet() && FDataLink->DataSet()->Active();
}

void TqzCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == DataSource()) {
        FDataLink->SetDataSource(nullptr);
        if (!ComponentState().Contains(csDestroying)) LinkActive(false);
    }
    if (AComponent == FIndicatorButton) FIndicatorButton = nullptr;
    if (AComponent == FTitleImageList) FTitleImageList = nullptr;
    if (AComponent == FImageList) FImageList = nullptr;
}

void TqzCustomDBGrid::Loaded() {
    TCustomGrid::Loaded();
    LayoutChanged();
    FPaintOptions->PrepareBackground(true);
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
    FFontFromParent = true;
    try {
        FTitleFont->Assign(Parent()->Font());
    } catch (...) {
        FFontFromParent = false;
        throw;
    }
    FFontFromParent = false;
    LayoutChanged();
}

void TqzCustomDBGrid::TitleFontChanged(TObject*) {
    if (!FFontFromParent) SetParentFont(false);
    if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TqzCustomDBGrid::ClearColumns() { FColumns.clear(); }

TCanvas* TqzCustomDBGrid::MeasureCanvas() {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    return c;
}

int TqzCustomDBGrid::ZeroWidth() { return std::max(1, MeasureCanvas()->TextWidth("0")); }

// ---- Options ----------------------------------------------------------------------------

bool TqzCustomDBGrid::RowLinesReserved() const {
    return !(!FOptions.Contains(dgRowLines) && FOptions.Contains(dgRowLinesDisableFixed));
}

void TqzCustomDBGrid::ApplyPlatformOptions() {
    TGridOptions o;
    if (FOptions.Contains(dgColLines)) o += {goFixedVertLine, goVertLine};
    if (FOptions.Contains(dgRowLines)) o += {goFixedHorzLine, goHorzLine};
    if (!FOptions.Contains(dgRowLinesDisableFixed)) o += goFixedHorzLine;
    if (FOptions.Contains(dgColumnResize)) o += {goColSizing, goColMoving};
    if (FOptions.Contains(dgRowResize)) o += goRowSizing;
    if (FOptions.Contains(dgTabs)) o += goTabs;
    if (FOptions.Contains(dgRowSelect)) o += goRowSelect;
    if (FOptions.Contains(dgEditing) && !FOptions.Contains(dgRowSelect)) o += goEditing;
    if (FOptions.Contains(dgAlwaysShowEditor)) o += goAlwaysShowEditor;
    TCustomGrid::SetOptions(o);
}

void TqzCustomDBGrid::SetOptions(TqzDBGridOptions Value) {
    if (Value == FOptions) return;
    const TqzDBGridOptions old = FOptions;
    FOptions = Value;
    ApplyPlatformOptions();
    auto changed = [&](TqzDBGridOption o) { return old.Contains(o) != Value.Contains(o); };
    if (changed(dgWordWrap)) Invalidate();
    if (changed(dgIndicator)) FPropWidths.clear();
    for (TqzDBGridOption o :
         {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect,
          dgAlwaysShowSelection, dgPerfectRowFit, dgShowFooter, dgProportionalColResize})
        if (changed(o)) {
            LayoutChanged();
            break;
        }
}

bool TqzCustomDBGrid::IsProportionalColResize() const {
    return !FUseTFields && FOptions.Contains(dgProportionalColResize);
}

bool TqzCustomDBGrid::CanEditGrid() const { return FOptions.Contains(dgEditing) && !FReadOnly; }

// ---- Columns ---------------------------------------------------------------------------------

TField* TqzCustomDBGrid::GetColField(int DataCol) const {
    if (DataCol < 0 || !FDataLink->Active() || DataCol >= FDataLink->FieldCount()) return nullptr;
    return FDataLink->Fields(DataCol);
}

TField* TqzCustomDBGrid::SelectedField() const { return GetColField(SelectedIndex()); }

std::string TqzCustomDBGrid::GetFieldValue(int DataCol) const {
    TField* f = GetColField(DataCol);
    return f ? f->DisplayText() : std::string();
}

std::string TqzCustomDBGrid::LineFieldName(int Index) const {
    if (Index < 0 || Index >= FSelected->Count()) return {};
    const std::string& line = FSelected->Strings(Index);
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

void TqzCustomDBGrid::DefineFieldMap() {
    TDataSet* dataSet = FDataLink->DataSet();
    if (FUseTFields) {
        if (dataSet)
            for (int i = 0; i < dataSet->Fields()->Count(); ++i) {
                TField* f = (*dataSet->Fields())[i];
                if (f->Visible()) FDataLink->AddMapping(f->FieldName());
            }
    } else {
        for (int i = 0; i < FSelected->Count();) {
            const std::string name = LineFieldName(i);
            if (FDataLink->Active() && dataSet && !dataSet->FindField(name)) {
                FSelected->Delete(i);
                continue;
            }
            FDataLink->AddMapping(name);
            ++i;
        }
    }
    // New column objects keep the settings of the old ones of the same field.
    std::vector<std::unique_ptr<TqzColumn>> columns;
    for (int i = 0; i < FDataLink->FieldCount(); ++i) {
        TField* f = FDataLink->Fields(i);
        auto column = std::make_unique<TqzColumn>(this, f ? f->FieldName() : std::string());
        for (const auto& old : FColumns)
            if (old && SameText(old->FieldName(), column->FieldName())) {
                column->FFooterValue = old->FFooterValue;
                column->FSecond = old->FSecond;
                break;
            }
        columns.push_back(std::move(column));
    }
    FColumns = std::move(columns);
}

void TqzCustomDBGrid::RecalcRowHeights() {
    TCanvas* c = MeasureCanvas();
    const int lines = RowLinesReserved() ? 1 : 0;
    const int unscaled = c->TextHeight("W") + 2 + lines;
    const int h = std::max(1, unscaled * FRowHeightPercent / 100);
    if (h != DefaultRowHeight()) SetDefaultRowHeight(h);
    int titleHeight = h;
    if (FOptions.Contains(dgTitles)) {
        c->Font()->Assign(FTitleFont.get());
        if (Parent() && Parent()->InheritsFrom("TCustomGrid"))
            titleHeight = unscaled * FTitleLines + FTitleLines - 1;
        else
            titleHeight = c->TextHeight("W") * FTitleLines + 4;
        if (!RowLinesReserved()) titleHeight += 1;
        c->Font()->Assign(Font());
    }
    FIndicatorButtonOffset = 2;
    if (FOptions.Contains(dgIndicator) && FIndicatorButton) {
        const int b = FIndicatorButton->Height() + (RowLinesReserved() ? -1 : 1);
        if (titleHeight < b) titleHeight = b;
        FIndicatorButtonOffset = (titleHeight - FIndicatorButton->Height()) / 2 + 2;
    }
    if (FTitleOffset > 0 && RowCount() > 0) SetRowHeights(0, titleHeight);
}

void TqzCustomDBGrid::SetColumnAttributes() {
    const int count = FUseTFields ? FDataLink->FieldCount() : FSelected->Count();
    LoadControlTypes();
    TDataSet* dataSet = FDataLink->DataSet();
    TCanvas* c = MeasureCanvas();
    const int w0 = std::max(1, c->TextWidth("0"));
    const bool proportional = IsProportionalColResize();
    const bool buildRefs = proportional && FPropWidths.empty();
    if (buildRefs) FPropWidths.assign(static_cast<size_t>(count), 0);
    for (int i = 0; i < count && i + FIndicatorOffset < ColCount(); ++i) {
        TField* field = nullptr;
        std::string widthPart, titlePart;
        int parts = 0;
        if (FUseTFields) {
            field = FDataLink->Fields(i);
        } else {
            const std::string& line = FSelected->Strings(i);
            const std::vector<std::string> p = TabParts(line);
            parts = static_cast<int>(p.size());
            field = dataSet ? dataSet->FindField(p[0]) : nullptr;
            if (parts > 1) widthPart = p[1];
            if (parts > 2) titlePart = p[2];
        }
        // A missing, damaged or negative width falls back to the field's own.
        int width = 64;
        const int chars = FUseTFields ? -1 : qzSelectedWidthChars(widthPart);
        if (chars >= 0)
            width = chars * w0 + 4;
        else if (field)
            width = field->DisplayWidth() * w0 + 4;
        if (FOptions.Contains(dgTitles) && !FOptions.Contains(dgNoLimitColSize) && !proportional) {
            std::string title;
            if (FUseTFields)
                title = field ? field->DisplayLabel() : std::string();
            else if (parts >= 3)
                title = titlePart;
            else if (field)
                title = field->DisplayLabel();
            c->Font()->Assign(FTitleFont.get());
            int titleWidth = 0;
            for (const std::string& piece : TitlePieces(title))
                titleWidth = std::max(titleWidth, c->TextWidth(piece));
            c->Font()->Assign(Font());
            if (!title.empty()) width = std::max(width, titleWidth + 4);
        }
        if (buildRefs)
            FPropWidths[static_cast<size_t>(i)] = width;
        else
            SetColWidths(i + FIndicatorOffset, width);
        if (buildRefs) SetColWidths(i + FIndicatorOffset, width);
        bool tabStop = field != nullptr;
        if (field) {
            std::string ro;
            if (!FUseTFields) qzGetSelectedLinePart(FSelected.get(), field->FieldName(), 3, ro);
            if (field->ReadOnly() || ro == "T" || (field->Calculated() && !FEditCalculated)) tabStop = false;
        }
        SetTabStops(i + FIndicatorOffset, tabStop);
    }
    if (proportional) ResizeColumnsProportionally();
    FClientWidth = ClientWidth();
}

void TqzCustomDBGrid::LayoutChanged() {
    if (ComponentState().Contains(csLoading) || FInLayout || FLayoutLock > 0 || FDestroying) return;
    FClientWidth = ClientWidth();
    FooterAreaHeight();
    FInLayout = true;
    try {
        FTitleOffset = 0;
        if (FShowHorzScrollBar && IsProportionalColResize()) SetShowHorzScrollBar(true);
        FTitleOffset = FOptions.Contains(dgTitles) ? 1 : 0;
        FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
        FDataLink->ClearMapping();
        if (FDataLink->Active()) DefineFieldMap();
        int count = FDataLink->FieldCount();
        if (!FUseTFields && count == 0) count = FSelected->Count();
        // One empty column at least.
        SetColCount(FIndicatorOffset + std::max(1, count));
        SetFixedCols(FIndicatorOffset);
        if (RowCount() <= FTitleOffset) SetRowCount(FTitleOffset + 1);
        SetFixedRows(FTitleOffset);
        RecalcRowHeights();
        if (FOptions.Contains(dgIndicator)) {
            SetColWidths(0, FIndicatorButtonWidth);
            if (Col() == 0 && ColCount() > 1) SetCol(1);
        }
        BeforeCellMove();
        const int visibleBefore = VisibleDataRows();
        UpdateRowCount();
        if (FDataLink->Active() && FDataLink->DataSet() && FDataLink->DataSet()->Fields()->Count() > 0)
            SetColumnAttributes();
        if (VisibleDataRows() != visibleBefore) UpdateRowCount();
        UpdateFooterIfChanged();
    } catch (...) {
        FInLayout = false;
        throw;
    }
    FInLayout = false;
    UpdateScrollBar();
    FLastLeftCol = LeftCol();
    InvalidateEditor();
    Invalidate();
    FPaintOptions->SizeChanged();
}

void TqzCustomDBGrid::ResizeColumnsProportionally() {
    if (FPropWidths.empty() || FUseTFields) return;
    const int count = std::min(static_cast<int>(FPropWidths.size()), ColCount() - FIndicatorOffset);
    if (count <= 0) return;
    int space = ClientWidth() - (FIndicatorOffset > 0 ? ColWidths(0) + 1 : 0) - 2;
    if (FShowVertScrollBar && Width() - ClientWidth() < 10) space -= 16 + 1;
    TCanvas* c = MeasureCanvas();
    if (FOptions.Contains(dgTitles)) c->Font()->Assign(FTitleFont.get());
    const int w0 = std::max(1, c->TextWidth("0"));
    c->Font()->Assign(Font());
    int refTotal = 0;
    for (int i = 0; i < count; ++i) refTotal += FPropWidths[static_cast<size_t>(i)] + 1;
    ++FLayoutLock;
    try {
        for (int i = 0; i < count; ++i) {
            const int ref = FPropWidths[static_cast<size_t>(i)] + 1;
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
            SetColWidths(i + FIndicatorOffset, width);
            if (i < FSelected->Count())
                qzSetSelectedLinePart(FSelected.get(), LineFieldName(i), std::to_string(chars), i, 1);
            space -= width + 1;
            refTotal -= ref;
        }
    } catch (...) {
        --FLayoutLock;
        throw;
    }
    --FLayoutLock;
}

void TqzCustomDBGrid::ColWidthsChanged() {
    TCustomGrid::ColWidthsChanged();
    if (!FDataLink->DataSet() || !HandleAllocated() || ComponentState().Contains(csLoading) || FInLayout ||
        FLayoutLock > 0)
        return;
    ++FLayoutLock;
    try {
        const int w0 = ZeroWidth();
        auto chars = [&](int W) { return std::max(0, (W - 4 + std::max(0, w0 / 2 - 3)) / w0); };
        if (FUseTFields) {
            for (int i = 0; i < FDataLink->FieldCount() && i + FIndicatorOffset < ColCount(); ++i)
                if (TField* f = FDataLink->Fields(i))
                    f->SetDisplayWidth(chars(ColWidths(i + FIndicatorOffset)));
        } else {
            for (int i = 0; i < FSelected->Count() && i + FIndicatorOffset < ColCount(); ++i) {
                std::vector<std::string> p = TabParts(FSelected->Strings(i));
                std::string line = p[0] + "\t" + std::to_string(chars(ColWidths(i + FIndicatorOffset))) +
                                   "\t" + (p.size() > 2 ? p[2] : std::string());
                if (p.size() > 3) line += "\t" + p[3];
                if (p.size() > 4) line += "\t" + p[4];
                FSelected->SetStrings(i, line);
            }
        }
        qzNotifyDesignerModified(this);
    } catch (...) {
        --FLayoutLock;
        throw;
    }
    --FLayoutLock;
    const int sized = SizingIndex() - FIndicatorOffset;
    if (sized >= 0 && sized < ColCount() - FIndicatorOffset) FOnColWidthChanged(this, sized);
}

void TqzCustomDBGrid::ColumnMoved(int FromIndex, int ToIndex) {
    TCustomGrid::ColumnMoved(FromIndex, ToIndex);
    const int from = FromIndex - FIndicatorOffset, to = ToIndex - FIndicatorOffset;
    if (!FUseTFields) {
        if (from >= 0 && to >= 0 && from < FSelected->Count() && to < FSelected->Count()) {
            const std::string line = FSelected->Strings(from);
            FSelected->Delete(from);
            FSelected->Insert(to, line);
        }
        LayoutChanged();
    } else {
        TField* a = GetColField(from);
        TField* b = GetColField(to);
        if (a && b) a->SetIndex(b->Index());
    }
    Invalidate();
    FOnColumnMoved(this, from, to);
}

void TqzCustomDBGrid::InvalidateVisibleColumns() {
    for (int c = FIndicatorOffset; c < ColCount(); ++c) InvalidateCol(c);
}

void TqzCustomDBGrid::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    FOnDrawDataCell(this, Rect, Field, State);
}
