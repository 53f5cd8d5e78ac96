// The grid's title cells: their attributes and images, the themed
// background with its hot and pressed states, and hot-title tracking.
#include <algorithm>

#include "platform/db/fields.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridtitle.h"
#include "suite/grid/qzpaintoptions.h"

TqzGridTitles::TqzGridTitles(TqzGridTitleHost& Host) : H(Host) {}

bool TqzGridTitles::Themed() const { return !H.DisableThemesInTitle() && H.UseThemes(); }

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
        H.FillFixedCellBackground(C, R, ACol, 0);
}

void TqzGridTitles::DrawImage(TCanvas* C, const TRect& R, TRect& TextRect,
                              const TqzTitleImageAttributes& Image) {
    if (!H.TitleImageList() || Image.ImageIndex < 0 || Image.ImageIndex >= H.TitleImageList()->Count())
        return;
    const int w = H.TitleImageList()->Width(), h = H.TitleImageList()->Height();
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
    H.TitleImageList()->Draw(C, x, y, Image.ImageIndex);
}

void TqzGridTitles::Draw(TCanvas* C, const TRect& R, int DataCol) {
    C->Font()->Assign(H.TitleFont());
    C->Brush()->SetColor(H.TitleColor());
    const int gridCol = DataCol + H.IndicatorOffset();
    if (DataCol < 0) {
        H.FillFixedCellBackground(C, R, gridCol, 0);
        return;
    }
    TField* field = H.GetColField(DataCol);
    std::string title;
    if (field) {
        if (H.UseTFields()) {
            title = field->DisplayLabel();
        } else {
            qzGetSelectedLinePart(H.Selected(), field->FieldName(), 2, title);
            if (title.empty()) title = field->DisplayLabel();
        }
    }
    TAlignment align = H.TitleAlignment();
    const TColor brushBefore = C->Brush()->Color();
    H.DoCalcTitleAttributes(field ? field->FieldName() : std::string(), C->Font(), C->Brush(), align);
    const bool brushSet = C->Brush()->Color() != brushBefore;
    TqzTitleImageAttributes image;
    if (H.TitleImageList() && field) H.DoCalcTitleImage(field, image);
    TRect titleRect = R;
    TqzColumn* column = H.Columns(DataCol);
    const std::string group = column ? column->GroupName() : std::string();
    if (!group.empty()) titleRect.Top = H.GroupHeaderRect(gridCol).Bottom;
    DrawBackground(C, R, gridCol, false, brushSet);
    bool defaultDrawing = true;
    H.DoDrawTitleCell(C, field, R, defaultDrawing);
    if (!group.empty()) {
        // The group's header spans its columns above their titles.
        const TRect span = H.GroupHeaderRect(gridCol);
        {
            TCanvasClip clip(C, Rect(R.Left, R.Top, R.Right, span.Bottom));
            H.WriteCellText(C, span, 2, 2, taCenter, TqzGridTitleHost::wctTitle | TqzGridTitleHost::wctNoFill,
                            group);
        }
        const TColor brush = C->Brush()->Color();
        C->Brush()->SetColor(H.LineColors()->FixedColor());
        C->FillRect(Rect(R.Left, span.Bottom - 1, R.Right, span.Bottom));
        C->Brush()->SetColor(brush);
    }
    if (!defaultDrawing) return;
    int flags = TqzGridTitleHost::wctTitle | TqzGridTitleHost::wctNoFill;
    if (H.OnDrawTitleCell()) flags |= TqzGridTitleHost::wctEllipsis;
    if (!H.UseTFields()) flags |= TqzGridTitleHost::wctPrefix;
    // The text moves one pixel right while its title button is held.
    const int shift = FPressedCol == gridCol && !FPressedGroup ? 1 : 0;
    DrawImage(C, TRect(titleRect), titleRect, image);
    H.WriteCellText(C, titleRect, 2 + shift, 2, align, flags, title);
}

bool TqzGridTitles::TrackHot(TShiftState Shift, int X, int Y) {
    // Only themed titles show a hot state, and not while a button is held.
    if (!H.UseThemes() || Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle))
        return false;
    const TGridCoord cell = H.MouseCoord(X, Y);
    int col = -1;
    bool header = false;
    if (cell.Y >= 0 && cell.Y < H.TitleOffset() && cell.X >= H.IndicatorOffset()) {
        col = cell.X;
        const TRect span = H.GroupHeaderRect(col);
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
