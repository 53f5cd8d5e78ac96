// The grid's mouse with real events: title buttons, cell clicks, URL
// cells through the shell service, row sizing and column moves.
#include "platform/ui/shell_open.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzMouse = QzGridTest;

TEST_F(QzMouse, TitleButtonFiresOnlyWhenReleasedOverTheSameTitle) {
    Open(2);
    Grid->SetTitleButtons(true);
    Grid->SetOptions(Grid->Options() - dgColumnResize);  // no column moves
    std::vector<std::string> clicked;
    Grid->SetOnTitleButtonClick(
        TqzTitleButtonClickEvent([&](TObject*, const std::string& n) { clicked.push_back(n); }));
    Show();
    const TRect name = Grid->CellRect(2, 0), amount = Grid->CellRect(3, 0);
    TBitmap before, held, after;
    RenderControl(Grid, &before);
    // The held title is drawn pressed (its text one pixel to the right).
    SendMouseDown(Grid, mbLeft, name.Left + 5, name.Top + 3);
    RenderControl(Grid, &held);
    EXPECT_GT(PixelsDiffering(before, held, name), 0);
    EXPECT_EQ(PixelsDiffering(before, held, amount), 0);
    SendMouseUp(Grid, mbLeft, name.Left + 8, name.Top + 4);
    EXPECT_EQ(clicked, std::vector<std::string>{"Name"});
    RenderControl(Grid, &after);
    EXPECT_EQ(PixelsDiffering(before, after, name), 0);
    SendMouseDown(Grid, mbLeft, name.Left + 5, name.Top + 3);
    SendMouseMove(Grid, amount.Left + 5, amount.Top + 3, {ssLeft});
    SendMouseUp(Grid, mbLeft, amount.Left + 5, amount.Top + 3);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(QzMouse, ClickMovesRecordAndColumn) {
    Open(5);
    Show();
    const TRect r = Grid->CellRect(3, 4);
    SendClick(Grid, r.Left + 3, r.Top + 3);
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(Grid->SelectedField()->FieldName(), "Amount");
}

TEST_F(QzMouse, URLCellsOpenOnlyWebAddresses) {
    Table->FieldDefs()->Add("Url", ftString, 60);
    Table->Open();
    const char* links[] = {"Home#http://example.org/a",
                           "Notes#file:///etc/passwd",
                           "Empty#",
                           "bob@example.com",
                           "run.exe",
                           "www.example.org"};
    for (int i = 0; i < 6; ++i)
        Table->AppendRecord({Variant(i + 1), Variant(), Variant(), Variant(), Variant(), Variant(links[i])});
    Table->First();
    Grid->ControlType()->SetText("Url;URL-Link\n");
    std::vector<std::string> heard;
    Grid->SetOnURLOpen(
        TqzURLOpenEvent([&](TObject*, std::string& Link, TField*, bool&) { heard.push_back(Link); }));
    Show();
    TTestShell shell;
    const int col = Table->FieldByName("Url")->Index() + Grid->IndicatorOffset();
    for (int i = 0; i < 6; ++i) {
        const TRect r = Grid->CellRect(col, i + 1);
        SendClick(Grid, r.Left + 3, r.Top + 3);
        ProcessEvents();
    }
    // The handler hears every field text; the shell gets the address part
    // of web links only.
    EXPECT_EQ(heard, std::vector<std::string>(std::begin(links), std::end(links)));
    EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"http://example.org/a", "MailTo:bob@example.com",
                                                        "http://www.example.org"}));
}

TEST_F(QzMouse, RowSizingRaisesTheRowHeightPercent) {
    Open(5);
    Grid->SetOptions(Grid->Options() + dgRowResize);
    Show();
    const int before = Grid->RowHeights(1);
    const TRect r = Grid->CellRect(0, 1);
    SendMouseMove(Grid, r.Left + 4, r.Bottom);
    SendMouseDown(Grid, mbLeft, r.Left + 4, r.Bottom);
    SendMouseMove(Grid, r.Left + 4, r.Bottom + 12, {ssLeft});
    SendMouseUp(Grid, mbLeft, r.Left + 4, r.Bottom + 12);
    EXPECT_GT(Grid->RowHeightPercent(), 100);
    EXPECT_GT(Grid->DefaultRowHeight(), before);
    // Sizing smaller keeps the set percentage.
    const int percent = Grid->RowHeightPercent();
    const TRect s = Grid->CellRect(0, 1);
    SendMouseMove(Grid, s.Left + 4, s.Bottom);
    SendMouseDown(Grid, mbLeft, s.Left + 4, s.Bottom);
    SendMouseMove(Grid, s.Left + 4, s.Bottom - 8, {ssLeft});
    SendMouseUp(Grid, mbLeft, s.Left + 4, s.Bottom - 8);
    EXPECT_EQ(Grid->RowHeightPercent(), percent);
}

TEST_F(QzMouse, DraggedTitleMovesTheColumn) {
    Open(2);
    std::vector<std::pair<int, int>> moves;
    Grid->SetOnColumnMoved(TqzColumnMovedEvent([&](TObject*, int From, int To) {
        moves.push_back({From, To});
    }));
    Show();
    const TRect id = Grid->CellRect(1, 0), amount = Grid->CellRect(3, 0);
    SendMouseDown(Grid, mbLeft, id.Left + 10, id.Top + 4);
    SendMouseMove(Grid, id.Left + 20, id.Top + 4, {ssLeft});
    SendMouseMove(Grid, amount.Left + 10, amount.Top + 4, {ssLeft});
    // The drop mark shows at the right end of the title the column lands on.
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_column_drag.png"));
    int marks = 0;
    for (int y = amount.Top; y < amount.Bottom; ++y)
        for (int x = amount.Right - 9; x < amount.Right; ++x)
            if (shot.Canvas()->Pixels(x, y) == clBlack) ++marks;
    EXPECT_GT(marks, 10);
    SendMouseUp(Grid, mbLeft, amount.Left + 10, amount.Top + 4);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (std::pair<int, int>{0, 2}));
    EXPECT_EQ(Table->FieldByName("Id")->Index(), 2);
    EXPECT_EQ(Grid->GetColField(0)->FieldName(), "Name");
}

}  // namespace
