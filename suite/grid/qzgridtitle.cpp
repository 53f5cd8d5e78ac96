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
#include "suite/grid/qzgridtitle.h"

void TqzCustomDBGrid::SetTitleImageList(TImageList* Value) {
    if (Value == FImpl->TitleImageList) return;
    if (FImpl->TitleImageList) FImpl->TitleImageList->RemoveFreeNotification(this);
    FImpl->TitleImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                                            TAlignment& Alignment) {
    FImpl->OnCalcTitleAttributes(this, FieldName, AFont, ABrush, Alignment);
}

void TqzCustomDBGrid::DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect,
                                      bool& DefaultDrawing) {
    FImpl->OnDrawTitleCell(this, ACanvas, Field, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName,
                                            const TRect& ARect, bool& DefaultDrawing) {
    FImpl->OnDrawGroupHeaderCell(this, ACanvas, GroupHeaderName, ARect, DefaultDrawing);
}

void TqzCustomDBGrid::DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) {
    FImpl->OnCalcTitleImage(this, Field, Attributes);
}

bool TqzCustomDBGrid::TitlesThemed() { return !FImpl->DisableThemesInTitle && qzUseThemes(this); }

void TqzGridTitles::DrawBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader, bool BrushSet) {
    if (G.TitlesThemed() && !BrushSet) {
        TThemedButtonState state = tbsNormal;
        if (G.FImpl->TitleButtonCol == ACol && FPressedGroup == GroupHeader)
            state = tbsPressed;
        else if (FHotCol == ACol && FHotGroup == GroupHeader)
            state = tbsHot;
        DrawThemedPushButton(C, R, state);
        return;
    }
    if (BrushSet)
        C->FillRect(R);
    else
        G.FillFixedCellBackground(C, R, ACol, 0);
}

void TqzGridTitles::DrawImage(TCanvas* C, const TRect& R, TRect& TextRect,
                              const TqzTitleImageAttributes& Image) {
    if (!G.FImpl->TitleImageList || Image.ImageIndex < 0 ||
        Image.ImageIndex >= G.FImpl->TitleImageList->Count())
        return;
    const int w = G.FImpl->TitleImageList->Width(), h = G.FImpl->TitleImageList->Height();
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
    G.FImpl->TitleImageList->Draw(C, x, y, Image.ImageIndex);
}

void TqzGridTitles::Draw(TCanvas* C, const TRect& R, int DataCol) {
    C->Font()->Assign(G.FImpl->TitleFont.get());
    C->Brush()->SetColor(G.FImpl->TitleColor);
    const int gridCol = DataCol + G.FImpl->IndicatorOffset;
    if (DataCol < 0) {
        G.FillFixedCellBackground(C, R, gridCol, 0);
        return;
    }
    TField* field = G.GetColField(DataCol);
    std::string title;
    if (field) {
        if (G.FImpl->UseTFields) {
            title = field->DisplayLabel();
        } else {
            qzGetSelectedLinePart(G.FImpl->Selected.get(), field->FieldName(), 2, title);
            if (title.empty()) title = field->DisplayLabel();
        }
    }
    TAlignment align = G.FImpl->TitleAlignment;
    const TColor brushBefore = C->Brush()->Color();
    G.DoCalcTitleAttributes(field ? field->FieldName() : std::string(), C->Font(), C->Brush(), align);
    const bool brushSet = C->Brush()->Color() != brushBefore;
    TqzTitleImageAttributes image;
    if (G.FImpl->TitleImageList && field) G.DoCalcTitleImage(field, image);
    TRect titleRect = R;
    TqzColumn* column = G.Columns(DataCol);
    const std::string group = column ? column->GroupName() : std::string();
    if (!group.empty()) titleRect.Top = G.GroupHeaderRect(gridCol).Bottom;
    DrawBackground(C, R, gridCol, false, brushSet);
    bool defaultDrawing = true;
    G.DoDrawTitleCell(C, field, R, defaultDrawing);
    if (!group.empty()) {
        // The group's header spans its columns above their titles.
        const TRect span = G.GroupHeaderRect(gridCol);
        {
            TCanvasClip clip(C, Rect(R.Left, R.Top, R.Right, span.Bottom));
            G.WriteCellText(C, span, 2, 2, taCenter, TqzCustomDBGrid::wctTitle | TqzCustomDBGrid::wctNoFill,
                            group);
        }
        const TColor brush = C->Brush()->Color();
        C->Brush()->SetColor(G.FImpl->LineColors->FixedColor());
        C->FillRect(Rect(R.Left, span.Bottom - 1, R.Right, span.Bottom));
        C->Brush()->SetColor(brush);
    }
    if (!defaultDrawing) return;
    int flags = TqzCustomDBGrid::wctTitle | TqzCustomDBGrid::wctNoFill;
    if (G.FImpl->OnDrawTitleCell) flags |= TqzCustomDBGrid::wctEllipsis;
    if (!G.FImpl->UseTFields) flags |= TqzCustomDBGrid::wctPrefix;
    // The text moves one pixel right while its title button is held.
    const int shift = G.FImpl->TitleButtonCol == gridCol && !FPressedGroup ? 1 : 0;
    DrawImage(C, TRect(titleRect), titleRect, image);
    G.WriteCellText(C, titleRect, 2 + shift, 2, align, flags, title);
}

void TqzGridTitles::TrackHot(TShiftState Shift, int X, int Y) {
    // Only themed titles show a hot state, and not while a button is held.
    if (!qzUseThemes(&G) || Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle))
        return;
    const TGridCoord cell = G.MouseCoord(X, Y);
    int col = -1;
    bool header = false;
    if (cell.Y >= 0 && cell.Y < G.FImpl->TitleOffset && cell.X >= G.FImpl->IndicatorOffset) {
        col = cell.X;
        const TRect span = G.GroupHeaderRect(col);
        header = !IsRectEmpty(span) && Y < span.Bottom;
    }
    if (col == FHotCol && header == FHotGroup) return;
    FHotCol = col;
    FHotGroup = header;
    if (G.FImpl->TitleOffset > 0) G.InvalidateRow(0);
}

void TqzGridTitles::ClearHot() {
    if (FHotCol < 0) return;
    FHotCol = -1;
    FHotGroup = false;
    if (G.FImpl->TitleOffset > 0) G.InvalidateRow(0);
}
