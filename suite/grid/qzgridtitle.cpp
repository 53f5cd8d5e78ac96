// The grid's title cells: their attributes and images, the themed
// background with its hot and pressed states, and hot-title tracking.
#include <algorithm>

#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzgridtitle.h"

bool TqzGridTitles::Themed() const { return !G.DisableThemesInTitle() && qzUseThemes(&G); }

void TqzGridTitles::DrawBackground(TCanvas* C, const TRect& R, int ACol, bool GroupHeader, bool BrushSet) {
    if (Themed() && !BrushSet) {
        TThemedButtonState state = tbsNormal;
        if (FPressedCol == ACol && FPressedGroup == GroupHeader)
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
    if (!G.TitleImageList() || Image.ImageIndex < 0 || Image.ImageIndex >= G.TitleImageList()->Count())
        return;
    const int w = G.TitleImageList()->Width(), h = G.TitleImageList()->Height();
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
    G.TitleImageList()->Draw(C, x, y, Image.ImageIndex);
}

void TqzGridTitles::Draw(TCanvas* C, const TRect& R, int DataCol) {
    C->Font()->Assign(G.TitleFont());
    C->Brush()->SetColor(G.TitleColor());
    const int gridCol = DataCol + G.IndicatorOffset();
    if (DataCol < 0) {
        G.FillFixedCellBackground(C, R, gridCol, 0);
        return;
    }
    TField* field = G.GetColField(DataCol);
    std::string title;
    if (field) {
        if (G.UseTFields()) {
            title = field->DisplayLabel();
        } else {
            qzGetSelectedLinePart(G.Selected(), field->FieldName(), 2, title);
            if (title.empty()) title = field->DisplayLabel();
        }
    }
    TAlignment align = G.TitleAlignment();
    const TColor brushBefore = C->Brush()->Color();
    G.DoCalcTitleAttributes(field ? field->FieldName() : std::string(), C->Font(), C->Brush(), align);
    const bool brushSet = C->Brush()->Color() != brushBefore;
    TqzTitleImageAttributes image;
    if (G.TitleImageList() && field) G.DoCalcTitleImage(field, image);
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
        C->Brush()->SetColor(G.LineColors()->FixedColor());
        C->FillRect(Rect(R.Left, span.Bottom - 1, R.Right, span.Bottom));
        C->Brush()->SetColor(brush);
    }
    if (!defaultDrawing) return;
    int flags = TqzCustomDBGrid::wctTitle | TqzCustomDBGrid::wctNoFill;
    if (G.OnDrawTitleCell()) flags |= TqzCustomDBGrid::wctEllipsis;
    if (!G.UseTFields()) flags |= TqzCustomDBGrid::wctPrefix;
    // The text moves one pixel right while its title button is held.
    const int shift = FPressedCol == gridCol && !FPressedGroup ? 1 : 0;
    DrawImage(C, TRect(titleRect), titleRect, image);
    G.WriteCellText(C, titleRect, 2 + shift, 2, align, flags, title);
}

bool TqzGridTitles::TrackHot(TShiftState Shift, int X, int Y) {
    // Only themed titles show a hot state, and not while a button is held.
    if (!qzUseThemes(&G) || Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle))
        return false;
    const TGridCoord cell = G.MouseCoord(X, Y);
    int col = -1;
    bool header = false;
    if (cell.Y >= 0 && cell.Y < G.TitleOffset() && cell.X >= G.IndicatorOffset()) {
        col = cell.X;
        const TRect span = G.GroupHeaderRect(col);
        header = !IsRectEmpty(span) && Y < span.Bottom;
    }
    if (col == FHotCol && header == FHotGroup) return false;
    FHotCol = col;
    FHotGroup = header;
    return true;
}

bool TqzGridTitles::ClearHot() {
    if (FHotCol < 0) return false;
    FHotCol = -1;
    FHotGroup = false;
    return true;
}
