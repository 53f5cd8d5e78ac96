// The grid's title cells: their attributes and images, the themed
// background with its hot and pressed states, and hot-title tracking.
#include <algorithm>

#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

void TqzCustomDBGrid::SetTitleImageList(TImageList* Value) {
    if (Value == FImpl->TitleImageList) return;
    if (FImpl->TitleImageList) FImpl->TitleImageList->RemoveFreeNotification(this);
    FImpl->TitleImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                            TAlignment& Alignment) {
    const TColor before = ABrush->Color();
    FImpl->OnCalcTitleAttributes(this, FieldName, AFont, ABrush, Alignment);
    FImpl->TitleBrushChanged = ABrush->Color() != before;
}

void TqzCustomDBGrid::DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect,
                                      bool& DefaultDrawing) {
    FImpl->OnDrawTitleCell(this, ACanvas, Field, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) {
    FImpl->OnCalcTitleImage(this, Field, Attributes);
}

bool TqzCustomDBGrid::TitlesThemed() { return !FImpl->DisableThemesInTitle && qzUseThemes(this); }

void TqzCustomDBGrid::DrawTitleBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader,
                                          bool BrushSet) {
    if (TitlesThemed() && !BrushSet) {
        TThemedButtonState state = tbsNormal;
        if (FImpl->TitleButtonCol == ACol && FImpl->TitlePressedGroup == GroupHeader)
            state = tbsPressed;
        else if (FImpl->HotTitleCol == ACol && FImpl->HotTitleGroup == GroupHeader)
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
    if (!FImpl->TitleImageList || Image.ImageIndex < 0 || Image.ImageIndex >= FImpl->TitleImageList->Count())
        return;
    const int w = FImpl->TitleImageList->Width(), h = FImpl->TitleImageList->Height();
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
    FImpl->TitleImageList->Draw(C, x, y, Image.ImageIndex);
}

void TqzCustomDBGrid::DrawTitleCell(TCanvas* C, const TRect& R, int DataCol) {
    C->Font()->Assign(FImpl->TitleFont.get());
    C->Brush()->SetColor(FImpl->TitleColor);
    const int gridCol = DataCol + FImpl->IndicatorOffset;
    if (DataCol < 0) {
        FillFixedCellBackground(C, R, gridCol, 0);
        return;
    }
    TField* field = GetColField(DataCol);
    std::string title;
    if (field) {
        if (FImpl->UseTFields) {
            title = field->DisplayLabel();
        } else {
            qzGetSelectedLinePart(FImpl->Selected.get(), field->FieldName(), 2, title);
            if (title.empty()) title = field->DisplayLabel();
        }
    }
    TAlignment align = FImpl->TitleAlignment;
    DoCalcTitleAttributes(field ? field->FieldName() : std::string(), C->Font(), C->Brush(), align);
    const bool brushSet = FImpl->TitleBrushChanged;
    TqzTitleImageAttributes image;
    if (FImpl->TitleImageList && field) DoCalcTitleImage(field, image);
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
        C->Brush()->SetColor(FImpl->LineColors->FixedColor());
        C->FillRect(Rect(R.Left, span.Bottom - 1, R.Right, span.Bottom));
        C->Brush()->SetColor(brush);
    }
    if (!defaultDrawing) return;
    int flags = wctTitle | wctNoFill;
    if (FImpl->OnDrawTitleCell) flags |= wctEllipsis;
    if (!FImpl->UseTFields) flags |= wctPrefix;
    // The text moves one pixel right while its title button is held.
    const int shift = FImpl->TitleButtonCol == gridCol && !FImpl->TitlePressedGroup ? 1 : 0;
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
    if (cell.Y >= 0 && cell.Y < FImpl->TitleOffset && cell.X >= FImpl->IndicatorOffset) {
        col = cell.X;
        const TRect span = GroupHeaderRect(col);
        header = !IsRectEmpty(span) && Y < span.Bottom;
    }
    if (col == FImpl->HotTitleCol && header == FImpl->HotTitleGroup) return;
    FImpl->HotTitleCol = col;
    FImpl->HotTitleGroup = header;
    if (FImpl->TitleOffset > 0) InvalidateRow(0);
}

void TqzCustomDBGrid::ClearHotTitle() {
    if (FImpl->HotTitleCol < 0) return;
    FImpl->HotTitleCol = -1;
    FImpl->HotTitleGroup = false;
    if (FImpl->TitleOffset > 0) InvalidateRow(0);
}
