// The grid painted as a whole: the footer, the redraw lock, the wheel,
// group headers and the lines left out.
#include "platform/ui/timer.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzWhole = QzGridTest;

TEST_F(QzWhole, FooterHeightFromFontAndCells) {
    Open(30);
    Show();
    const int rowsBefore = Grid->VisibleDataRows();
    const int w = Grid->Canvas()->TextHeight("W");
    Grid->SetOptions(Grid->Options() + dgShowFooter);
    EXPECT_EQ(Host().FooterRect().Height(), w + 6);
    Grid->SetOptions(Grid->Options() + dgFooter3DCells);
    EXPECT_EQ(Host().FooterRect().Height(), w + 8);
    Grid->SetFooterHeight(30);
    EXPECT_EQ(Host().FooterRect().Height(), 32);
    ProcessEvents();
    // The data area gives way to the footer.
    EXPECT_LT(Grid->VisibleDataRows(), rowsBefore);
    Grid->SetFooterColor(RGB(0, 128, 128));
    Grid->SetFooterCellColor(RGB(250, 230, 200));
    Grid->Columns(1)->SetFooterValue("Total");
    int calls = 0;
    struct Handler {
        int* Calls;
        void On(TObject*, TCanvas*, const TRect&, TField* F, std::string& Text, bool&) {
            ++*Calls;
            if (F && F->FieldName() == "Amount") Text = "45.0";
        }
    } h{&calls};
    Grid->SetOnDrawFooterCell(TqzDrawFooterCellEvent(&h, &Handler::On));
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_footer.png"));
    EXPECT_EQ(calls, 5);
    const TRect footer = Host().FooterRect();
    EXPECT_EQ(footer.Height(), 32);
    // The footer is teal where no cell is; "Name" and "Amount" have cells,
    // "Id" has no text and so no cell.
    const TRect id = Grid->CellRect(1, 1), name = Grid->CellRect(2, 1), amount = Grid->CellRect(3, 1);
    const int mid = footer.Top + footer.Height() / 2;
    EXPECT_EQ(shot.Canvas()->Pixels(id.Left + id.Width() / 2, mid), RGB(0, 128, 128));
    int cellPixels = 0, dark = 0;
    for (int x = name.Left + 3; x < amount.Right - 8; ++x)
        for (int y = footer.Top + 4; y < footer.Bottom - 4; ++y) {
            const TColor c = shot.Canvas()->Pixels(x, y);
            if (c == RGB(250, 230, 200)) ++cellPixels;
            if ((ColorToRGB(c) & 0xFF) < 90 && ((ColorToRGB(c) >> 16) & 0xFF) < 90) ++dark;
        }
    EXPECT_GT(cellPixels, 200);
    EXPECT_GT(dark, 10);
}

TEST_F(QzWhole, NestedPaintLocksRedrawOnce) {
    Open(3);
    Show();
    Grid->BeginPaintLock();
    Grid->BeginPaintLock();
    EXPECT_EQ(Grid->PaintLockCount(), 2);
    Grid->EndPaintLock(true);
    EXPECT_EQ(Grid->PaintLockCount(), 1);
    Grid->EndPaintLock(true);
    Grid->EndPaintLock(true);  // not below 0
    EXPECT_EQ(Grid->PaintLockCount(), 0);
}

TEST_F(QzWhole, WheelMovesTheDataset) {
    Open(10);
    Show();
    const TRect r = Grid->CellRect(2, 2);
    SendMouseWheel(Grid, -120, r.Left + 2, r.Top + 2);
    EXPECT_EQ(Id(), 2);
    SendMouseWheel(Grid, -120, r.Left + 2, r.Top + 2);
    EXPECT_EQ(Id(), 3);
    SendMouseWheel(Grid, 120, r.Left + 2, r.Top + 2);
    EXPECT_EQ(Id(), 2);
}

}  // namespace

namespace {

// A grid whose columns (Layout, the Selected lines) have group titles, with
// title buttons and without column sizing, shown and rendered into Shot;
// Clicked collects the names title presses give.
class QzGroupTitles : public QzGridTest {
protected:
    void ShowGrouped(const char* Layout, int TitleLines, const std::string& Png) {
        Open(3);
        Grid->SetUseTFields(false);
        Grid->Selected()->SetText(Layout);
        Grid->SetTitleLines(TitleLines);
        Grid->SetTitleButtons(true);
        Grid->SetOptions(Grid->Options() - dgColumnResize);
        Grid->SetOnTitleButtonClick(
            TqzTitleButtonClickEvent([this](TObject*, const std::string& n) { Clicked.push_back(n); }));
        Show();
        RenderControl(Grid, &Shot);
        Shot.SaveToFile(TestRunPath(Png));
    }
    std::vector<std::string> Clicked;
    TBitmap Shot;
};

TEST_F(QzGroupTitles, GroupHeadersSpanTheirColumns) {
    ShowGrouped(
        "Id\t4\tId\nName\t10\tName\nAmount\t8\tAmount\tF\tMoney\nCode\t6\tCode\tF\tMoney\nDue\t10\tDue\tF\tDa"
        "tes\n",
        2, "qzgrid_group_headers.png");
    TBitmap& shot = Shot;
    const TRect amount = Host().GroupHeaderRect(3), code = Host().GroupHeaderRect(4),
                due = Host().GroupHeaderRect(5);
    EXPECT_EQ(amount, code);
    EXPECT_EQ(amount.Left, Grid->CellRect(3, 0).Left);
    EXPECT_EQ(amount.Right, Grid->CellRect(4, 0).Right);
    EXPECT_EQ(due.Left, Grid->CellRect(5, 0).Left);
    EXPECT_TRUE(IsRectEmpty(Host().GroupHeaderRect(2)));
    // No grid line cuts the header where the two columns meet.
    const int border = Grid->CellRect(3, 0).Right;
    EXPECT_NE(shot.Canvas()->Pixels(border, amount.Top + amount.Height() / 2), clBlack);
    // Text in the header, and in the title under it.
    auto dark = [&](const TRect& r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if ((ColorToRGB(shot.Canvas()->Pixels(x, y)) & 0xFF) < 80) ++n;
        return n;
    };
    EXPECT_GT(dark(Rect(amount.Left + 1, amount.Top, amount.Right - 1, amount.Bottom - 1)), 5);
    const TRect title = Grid->CellRect(3, 0);
    EXPECT_GT(dark(Rect(title.Left + 1, amount.Bottom, title.Right - 1, title.Bottom)), 5);
    // A press on the header names the group; on the title, the field.
    SendClick(Grid, code.Left + 10, code.Top + 2);
    const TRect codeTitle = Grid->CellRect(4, 0);
    SendClick(Grid, codeTitle.Left + 10, codeTitle.Bottom - 3);
    EXPECT_EQ(Clicked, (std::vector<std::string>{"Money", "Code"}));
}

}  // namespace

namespace {

// With four title lines the group header is still the upper half: both
// lines of a two-line group name show, and a press there names the group.
TEST_F(QzGroupTitles, GroupHeadersTakeTheUpperHalfOfTallTitles) {
    ShowGrouped("Id\t4\tId\nAmount\t8\tAmount\tF\tMo~ney\nCode\t6\tCode\tF\tMo~ney\n", 4,
                "qzgrid_tall_group_headers.png");
    TBitmap& shot = Shot;
    const TRect title = Grid->CellRect(2, 0), header = Host().GroupHeaderRect(2);
    EXPECT_EQ(header.Height(), title.Height() / 2);
    // "ney", the group name's second line, in the header's lower half.
    int ink = 0;
    for (int y = header.Top + header.Height() / 2; y < header.Bottom - 1; ++y)
        for (int x = header.Left + 1; x < header.Right - 1; ++x)
            if ((ColorToRGB(shot.Canvas()->Pixels(x, y)) & 0xFF) < 80) ++ink;
    EXPECT_GT(ink, 5);
    const TRect code = Grid->CellRect(3, 0);
    SendClick(Grid, code.Left + 10, code.Top + code.Height() * 2 / 5);
    SendClick(Grid, code.Left + 10, code.Top + code.Height() * 3 / 4);
    EXPECT_EQ(Clicked, (std::vector<std::string>{"Mo~ney", "Code"}));
}

TEST_F(QzWhole, LinesLeftOutByOptionAndRowFlag) {
    Open(3);
    Show();
    const TRect name0 = Grid->CellRect(2, 1), amount0 = Grid->CellRect(3, 1), name2 = Grid->CellRect(2, 3);
    const TColor white = static_cast<TColor>(ColorToRGB(clWindow));
    auto pixel = [&](int x, int y) {
        TBitmap shot;
        RenderControl(Grid, &shot);
        return shot.Canvas()->Pixels(x, y);
    };
    const int nx = name0.Left + name0.Width() / 2, ax = amount0.Left + amount0.Width() / 2;
    ASSERT_NE(pixel(nx, name0.Bottom), white);
    // A flagged row leaves out the line under it in its column only.
    Grid->ColumnObjects(1)->RowFlags().assign(1, 1);
    Grid->Invalidate();
    EXPECT_EQ(pixel(nx, name0.Bottom), white);
    EXPECT_NE(pixel(ax, amount0.Bottom), white);
    Grid->ColumnObjects(1)->RowFlags().clear();
    // The line under the last data row.
    EXPECT_NE(pixel(nx, name2.Bottom), white);
    Grid->SetOptions(Grid->Options() + dgHideBottomDataLine);
    EXPECT_EQ(pixel(nx, name2.Bottom), white);
    EXPECT_NE(pixel(nx, name0.Bottom), white);
    // No line at all.
    Grid->SetHideAllLines(true);
    Grid->Invalidate();
    EXPECT_EQ(pixel(nx, name0.Bottom), white);
    EXPECT_EQ(pixel(name0.Right, name0.Top + 3), white);
}

}  // namespace
