// Title attributes, images and own drawing, hot titles under themes and
// the focus-rectangle rule.
#include "platform/core/streams.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_services.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzinplace.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

bool Dark(TColor c) {
    const int32_t v = ColorToRGB(c);
    return (v & 0xFF) < 80 && ((v >> 8) & 0xFF) < 80 && ((v >> 16) & 0xFF) < 80;
}

using QzTitles = QzGridTest;

TEST_F(QzTitles, AttributesImagesAndOwnDrawing) {
    Open(2);
    auto* images = new TImageList(Form);
    images->SetSize(8, 8);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(RGB(220, 0, 0));
    red.Canvas()->FillRect(Rect(0, 0, 8, 8));
    images->Add(&red, nullptr);
    Grid->SetTitleImageList(images);
    std::vector<std::string> asked;
    Grid->SetOnCalcTitleAttributes(TqzCalcTitleAttributesEvent(
        [&](TObject*, const std::string& Name, TFont*, TBrush* Brush, TAlignment& Align) {
            asked.push_back(Name);
            if (Name == "Name") {
                Brush->SetColor(RGB(255, 255, 0));
                Align = taRightJustify;
            }
        }));
    Grid->SetOnCalcTitleImage(TqzCalcTitleImageEvent([](TObject*, TField* F, TqzTitleImageAttributes& A) {
        if (F->FieldName() == "Name") A.ImageIndex = 0;
        if (F->FieldName() == "Due") A.ImageIndex = 5;  // beyond the list: nothing
    }));
    Grid->SetOnDrawTitleCell(
        TqzDrawTitleCellEvent([](TObject*, TCanvas*, TField* F, const TRect&, bool& Def) {
            if (F->FieldName() == "Amount") Def = false;
        }));
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_title_images.png"));
    EXPECT_NE(std::find(asked.begin(), asked.end(), "Id"), asked.end());
    const TRect name = Grid->CellRect(2, 0), amount = Grid->CellRect(3, 0), id = Grid->CellRect(1, 0);
    auto yellow = [](TColor c) { return c == RGB(255, 255, 0); };
    auto isRed = [](TColor c) { return c == RGB(220, 0, 0); };
    EXPECT_GT(Count(shot, name, yellow), name.Width() * name.Height() / 3);
    EXPECT_EQ(Count(shot, name, isRed), 64);
    // The image sits at the left, the text is right-aligned.
    EXPECT_TRUE(isRed(shot.Canvas()->Pixels(name.Left + 4, name.Top + name.Height() / 2)));
    int rightmostDark = -1;
    for (int x = name.Left; x < name.Right; ++x)
        for (int y = name.Top; y < name.Bottom; ++y)
            if (Dark(shot.Canvas()->Pixels(x, y)) && x < name.Right - 1)
                rightmostDark = std::max(rightmostDark, x);
    EXPECT_GT(rightmostDark, name.Left + name.Width() / 2);
    // The handler took over the Amount title: no text; others keep theirs.
    EXPECT_EQ(Count(shot, Rect(amount.Left + 1, amount.Top + 1, amount.Right - 1, amount.Bottom - 1), Dark),
              0);
    EXPECT_GT(Count(shot, id, Dark), 5);
    EXPECT_EQ(Count(shot, Grid->CellRect(4, 0), isRed), 0);
}

TEST_F(QzTitles, HotTitleFollowsTheMouseOnlyWithThemes) {
    Open(2);
    Show();
    const TRect name = Grid->CellRect(2, 0), amount = Grid->CellRect(3, 0), cell = Grid->CellRect(2, 1);
    auto shoot = [&](TBitmap& Shot) { RenderControl(Grid, &Shot); };
    // Without themes the title under the mouse looks as any other.
    TBitmap away, over;
    SendMouseMove(Grid, cell.Left + 4, cell.Top + 4);
    shoot(away);
    SendMouseMove(Grid, name.Left + 5, name.Top + 4);
    shoot(over);
    EXPECT_EQ(PixelsDiffering(away, over, name), 0);
    SetThemeServicesEnabled(true);
    TBitmap plain, hot;
    SendMouseMove(Grid, cell.Left + 4, cell.Top + 4);
    shoot(plain);
    SendMouseMove(Grid, name.Left + 6, name.Top + 4);
    shoot(hot);
    hot.SaveToFile(TestRunPath("qzgrid_hot_title.png"));
    EXPECT_GT(PixelsDiffering(plain, hot, name), 0);
    EXPECT_EQ(PixelsDiffering(plain, hot, amount), 0);
    // Held buttons leave the hot title alone; a data cell clears it.
    TBitmap held, cleared;
    SendMouseMove(Grid, amount.Left + 4, name.Top + 4, {ssLeft});
    shoot(held);
    EXPECT_EQ(PixelsDiffering(hot, held, name), 0);
    EXPECT_EQ(PixelsDiffering(plain, held, amount), 0);
    SendMouseMove(Grid, cell.Left + 4, cell.Top + 4);
    shoot(cleared);
    EXPECT_EQ(PixelsDiffering(plain, cleared, name), 0);
    SetThemeServicesEnabled(false);
}

TEST_F(QzTitles, FocusRectangleOnlyWhereTheRuleAllows) {
    Open(3);
    Grid->SetOptions(Grid->Options() - dgWordWrap);
    Show();
    Grid->SetFocus();
    ProcessEvents();
    auto edgeColours = [&](TBitmap& S, const TRect& R) {
        std::set<TColor> colours;
        for (int x = R.Left + 1; x < R.Right - 1; ++x) colours.insert(S.Canvas()->Pixels(x, R.Top));
        return colours.size();
    };
    TBitmap shot;
    RenderControl(Grid, &shot);
    const TRect cell = Grid->CellRect(Grid->Col(), Grid->Row());
    EXPECT_GT(edgeColours(shot, cell), 1u);  // the dotted focus rectangle
    for (TqzDBGridOption o : {dgRowSelect, dgAlwaysShowEditor}) {
        Grid->SetOptions(Grid->Options() + o);
        Grid->SetEditorMode(false);
        ProcessEvents();
        RenderControl(Grid, &shot);
        const TRect now = Grid->CellRect(Grid->Col(), Grid->Row());
        EXPECT_EQ(edgeColours(shot, now), 1u) << static_cast<int>(o);
        Grid->SetOptions(Grid->Options() - o);
    }
    shot.SaveToFile(TestRunPath("qzgrid_no_focus_rect.png"));
}

}  // namespace
