// The grid's title cells: their attributes and images, the themed
// background with its hot and pressed states, and hot-title tracking.
#include <algorithm>

#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzdbigrd.h"

void TqzCustomDBGrid::SetTitleImageList(TImageList* Value) {
    if (Value == FTitleImageList) return;
    if (FTitleImageList) FTitleImageList->RemoveFreeNotification(this);
    FTitleImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                            TAlignment& Alignment) {
    const TColor before = ABrush->Color();
    FOnCalcTitleAttributes(this, FieldName, AFont, ABrush, Alignment);
    FTitleBrushChanged = ABrush->Color() != before;
}

void TqzCustomDBGrid::DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect,
                                      bool& DefaultDrawing) {
    FOnDrawTitleCell(this, ACanvas, Field, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) {
    FOnCalcTitleImage(this, Field, Attributes);
}

bool TqzCustomDBGrid::TitlesThemed() { return !FDisableThemesInTitle && qzUseThemes(this); }

void TqzCustomDBGrid::DrawTitleBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader,
                                          bool BrushSet) {
    if (TitlesThemed() && !BrushSet) {
        TThemedButtonState state = tbsNormal;
        if (FTitleButtonCol == ACol && FTitlePressedGroup == GroupHeader)
            state = tbsPressed;
        else if (FHotTitleCol == ACol && FHotTitleGroup == GroupHeader)
            state = tbsHot;
        DrawThemedPushButton(C, R, state);
        return;
    }
    if (BrushSet)
        C->FillRect(R);
    else
        FillFixedCellBackground(C, R, ACol, 0);
}

void TqzCustomDBGrid::DrawTitleImage(TCanvas* C, const TRect& R, TRect& TextRect,
                                     const TqzTitleImageAttributes& Image) {
    if (!FTitleImageList || Image.ImageIndex < 0 || Image.ImageIndex >= FTitleImageList->Count()) return;
    const int w = FTitleImageList->Width(), h = FTitleImageList->Height();
    const int y = TextRect.Top + (TextRect.Height() - h) / 2;
    int x;
    switch (Image.Placement) {
    case tipRight:
        x = TextRect.Right - w - 2;
        TextRect.Right = x;
        break;
    case tipCenter: x = TextRect.Left + (TextRect.Width() - w) / 2; break;
    default:
        x = TextRect.Left + 2;
        TextRect.Left = x + w;
        break;
    }
    TCanvasClip clip(C, R);
    FTitleImageList->Draw(C, x, y, Image.ImageIndex);
}

void TqzCustomDBGrid::DrawTitleCell(TCanvas* C, const TRect& R, int DataCol) {
    C->Font()->Assign(FTitleFont.get());
    C->Brush()->SetColor(FTitleColor);
    const int gridCol = DataCol + FIndicatorOffset;
    if (DataCol < 0) {
        FillFixedCellBackground(C, R, gridCol, 0);
        return;
    }
    TField* field = GetColField(DataCol);
    std::string title;
    if (field) {
        if (FUseTFields) {
            title = field->DisplayLabel();
        } else {
            qzGetSelectedLinePart(FSelected.get(), field->FieldName(), 2, title);
            if (title.empty()) title = field->DisplayLabel();
        }
    }
    TAlignment align = FTitleAlignment;
    DoCalcTitleAttributes(field ? field->FieldName() : std::string(), C->Font(), C->Brush(), align);
    const bool brushSet = FTitleBrushChanged;
    TqzTitleImageAttributes image;
    if (FTitleImageList && field) DoCalcTitleImage(field, image);
    TRect titleRect = R;
    TqzColumn* column = Columns(DataCol);
    const std::string group = column ? column->GroupName() : std::string();
    if (!group.empty()) titleRect.Top = GroupHeaderRect(gridCol).Bottom;
    DrawTitleBackground(C, R, gridCol, false, brushSet);
    bool defaultDrawing = true;
    DoDrawTitleCell(C, field, R, defaultDrawing);
    if (!group.empty()) {
        // The group's header spans its columns above their titles.
        const TRect span = GroupHeaderRect(gridCol);
        {
            TCanvasClip clip(C, Rect(R.Left, R.Top, R.Right, span.Bottom));
            WriteCellText(C, span, 2, 2, taCenter, wctTitle | wctNoFill, group);
        }
        const TColor brush = C->Brush()->Color();
        C->Brush()->SetColor(FLineColors->FixedColor());
        C->FillRect(Rect(R.Left, span.Bottom - 1, R.Right, span.Bottom));
        C->Brush()->SetColor(brush);
    }
    if (!defaultDrawing) return;
    int flags = wctTitle | wctNoFill;
    if (FOnDrawTitleCell) flags |= wctEllipsis;
    if (!FUseTFields) flags |= wctPrefix;
    // The text moves one pixel right while its title button is held.
    const int shift = FTitleButtonCol == gridCol && !FTitlePressedGroup ? 1 : 0;
    DrawTitleImage(C, TRect(titleRect), titleRect, image);
    WriteCellText(C, titleRect, 2 + shift, 2, align, flags, title);
}

void TqzCustomDBGrid::TrackHotTitle(TShiftState Shift, int X, int Y) {
    // Only themed titles show a hot state, and not while a button is held.
    if (!qzUseThemes(this) || Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle))
        return;
    const TGridCoord cell = MouseCoord(X, Y);
    int col = -1;
    bool header = false;
    if (cell.Y >= 0 && cell.Y < FTitleOffset && cell.X >= FIndicatorOffset) {
        col = cell.X;
        const TRect span = GroupHeaderRect(col);
        header = !IsRectEmpty(span) && Y < span.Bottom;
    }
    if (col == FHotTitleCol && header == FHotTitleGroup) return;
    FHotTitleCol = col;
    FHotTitleGroup = header;
    if (FTitleOffset > 0) InvalidateRow(0);
}

void TqzCustomDBGrid::ClearHotTitle() {
    if (FHotTitleCol < 0) return;
    FHotTitleCol = -1;
    FHotTitleGroup = false;
    if (FTitleOffset > 0) InvalidateRow(0);
}
