// Sorting by a click on a column title, and the colours of the rows.
#include "support/app/program_harness.h"
#include "support/environment.h"

#include "platform/ui/bitmaps.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stddialogs.h"
#include "platform/ui/testing.h"

namespace {

class MainFormSort : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        TfrmToDo::ResetTitleSort();
        AddTasks("Ttask.d", {{"Urgent call", "0", true},
                             {"High report", "1", false},
                             {"Done passport", "4", true},
                             {"Medium errand", "2", false},
                             {"Low reading", "3", true}});
        Open();
        Form->Show();
        ProcessEvents();
        Form->PageControl1()->SetActivePage(Form->TabSheet1());
        Form->PageControl1Change(Form);
        ProcessEvents();
    }
    TOstraDBGrid* G() { return Form->OstraDBGrid1(); }
    // Clicks the title of the grid's column Index (0 = Flag ... 5 = Date).
    void ClickTitle(TOstraDBGrid* Grid, int Index, TShiftState Shift = {}) {
        const TRect r = Grid->CellRect(Grid->DataToRawColumn(Index), 0);
        SendClick(Grid, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, mbLeft, Shift);
    }
    std::string Status() { return Form->StatusBar1()->SimpleText(); }
};

TEST_F(MainFormSort, ClicksTurnTheDirectionOverAndMarkTheColumn) {
    ClickTitle(G(), 3);  // Action
    TOstraTable* t = Form->dTask_();
    EXPECT_EQ(t->IndexFieldNames(), "Action");
    EXPECT_EQ(t->SortOptions(), TOstraSortOptions{osoDescendSort});
    EXPECT_EQ(Status(), "Sort Order - Action");
    EXPECT_EQ(G()->Columns()->GetColumn(3)->SortMarker(), 1);
    t->First();
    EXPECT_EQ(t->FieldByName("Action")->AsString(), "Urgent call");
    ClickTitle(G(), 3);
    EXPECT_EQ(t->SortOptions(), TOstraSortOptions{});
    EXPECT_EQ(G()->Columns()->GetColumn(3)->SortMarker(), 2);
    t->First();
    EXPECT_EQ(t->FieldByName("Action")->AsString(), "Done passport");
    // Another column takes the marker.
    ClickTitle(G(), 2);
    EXPECT_EQ(G()->Columns()->GetColumn(3)->SortMarker(), 0);
    EXPECT_EQ(G()->Columns()->GetColumn(2)->SortMarker(), 1);
}

TEST_F(MainFormSort, ShiftAddsAFieldAndRemovesExactlyThatField) {
    ClickTitle(G(), 2);                        // Priority, descending
    ClickTitle(G(), 3, TShiftState{ssShift});  // Action added, ascending
    TOstraTable* t = Form->dTask_();
    EXPECT_EQ(t->IndexFieldNames(), "Priority; Action");
    EXPECT_EQ(t->SortOptions(), TOstraSortOptions{});
    EXPECT_EQ(Status(), "Sort Order - Priority; Action");
    // The same column with Shift while the direction turns descending: stays.
    ClickTitle(G(), 3, TShiftState{ssShift});
    EXPECT_EQ(t->IndexFieldNames(), "Priority; Action");
    EXPECT_EQ(t->SortOptions(), TOstraSortOptions{osoDescendSort});
    // Once more (ascending): "Action" leaves the list, whatever its length.
    ClickTitle(G(), 3, TShiftState{ssShift});
    EXPECT_EQ(t->IndexFieldNames(), "Priority");
    EXPECT_EQ(Status(), "Sort Order - Priority");
    // A long name too ("Category" is eight letters).
    ClickTitle(G(), 4, TShiftState{ssShift});
    EXPECT_EQ(t->IndexFieldNames(), "Priority; Category");
    ClickTitle(G(), 4, TShiftState{ssShift});
    ClickTitle(G(), 4, TShiftState{ssShift});
    EXPECT_EQ(t->IndexFieldNames(), "Priority");
}

TEST_F(MainFormSort, LastFieldIsSharedByAllGrids) {
    Form->PageControl1()->SetActivePage(Form->TabSheet4());
    Form->PageControl1Change(Form);
    ProcessEvents();
    ClickTitle(Form->OstraDBGrid3(), 3);  // Action of the Catch All list, descending
    EXPECT_EQ(Form->dList_()->IndexFieldNames(), "Action");
    Form->PageControl1()->SetActivePage(Form->TabSheet1());
    Form->PageControl1Change(Form);
    ProcessEvents();
    Form->dTask_()->SetIndexFieldNames("Priority; Action");
    // Same field name as the last click: counts as the same column.
    ClickTitle(G(), 3, TShiftState{ssShift});
    EXPECT_EQ(Form->dTask_()->IndexFieldNames(), "Priority");
}

// The pixel at a point of the grid, in a rendering of the grid alone.
TColor Pixel(TBitmap& Picture, int X, int Y) { return Picture.Canvas()->Pixels(X, Y); }

TEST_F(MainFormSort, RowsAreColouredByPriorityAndAlternately) {
    TOstraTable* t = Form->dTask_();
    // Priority order: 0, 1, 2, 3, 4.
    t->First();
    ASSERT_EQ(t->FieldByName("Priority")->AsString(), "0");
    std::vector<TColor> fonts, backs;
    for (int recNo = 1; recNo <= 5; ++recNo) {
        t->SetRecNo(recNo);
        TFont font;
        font.SetColor(clBlack);
        TColor back = clWhite;
        G()->OnDrawCellAttr()(G(), G()->Columns()->GetColumn(3), &font, back, TGridDrawState{});
        fonts.push_back(font.Color());
        backs.push_back(back);
    }
    EXPECT_EQ(fonts, (std::vector<TColor>{0x0000FF, clBlack, clBlack, clBlack, 0x808080}));
    const TColor alt = 0xF8FFC6;
    EXPECT_EQ(backs, (std::vector<TColor>{clWhite, alt, clWhite, alt, clWhite}));

    // Rendered: the urgent row's text is red, the completed one grey, row 2 tinted.
    TBitmap picture;
    RenderControl(G(), &picture);
    EXPECT_TRUE(RenderControlToPng(G(), TestRunPath("main_form_priorities.png")));
    auto rowHas = [&](int Row, TColor Colour) {
        const TRect r = G()->CellRect(G()->DataToRawColumn(3), Row);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (Pixel(picture, x, y) == Colour) return true;
        return false;
    };
    EXPECT_TRUE(rowHas(1, 0x0000FF));
    EXPECT_FALSE(rowHas(2, 0x0000FF));
    EXPECT_TRUE(rowHas(2, alt));
    EXPECT_TRUE(rowHas(5, 0x808080));
}

TEST_F(MainFormSort, ProjectsGetNoAlternateRowsAndOptionsChangesTheColour) {
    TFont font;
    TColor back = clWhite;
    Form->dGoals_()->First();
    Form->dGoals_()->Next();
    if (Form->dGoals_()->RecNo() == 2) {
        Form->OstraDBGrid6()->OnDrawCellAttr()(Form->OstraDBGrid6(), nullptr, &font, back, TGridDrawState{});
        EXPECT_EQ(back, clWhite);
    }
    TTestStdDialogs colours;
    colours.AnswerColor(false);
    Form->Option1()->Click();
    EXPECT_EQ(Form->AltRowColour(), static_cast<TColor>(0xF8FFC6));
    colours.AnswerColor(true, 0x00C0FF);
    Form->Option1()->Click();
    EXPECT_EQ(colours.LastColorShown(), static_cast<TColor>(0xF8FFC6));
    EXPECT_EQ(Form->AltRowColour(), static_cast<TColor>(0x00C0FF));
    Form->dTask_()->SetRecNo(2);
    back = clWhite;
    G()->OnDrawCellAttr()(G(), nullptr, &font, back, TGridDrawState{});
    EXPECT_EQ(back, static_cast<TColor>(0x00C0FF));
}

}  // namespace
