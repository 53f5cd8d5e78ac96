// Texts of the main window fit the widths laid out for them: cells, titles
// with their sort marker, and the date editor beside its button (pictures
// written to the test run's folder as main_form_look_<name>.png).
#include "support/app/program_harness.h"
#include "support/environment.h"

#include <algorithm>

#include "engine-controls/ostra_dbgrid_columns.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/grids.h"

namespace {

class MainFormLook : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        TfrmToDo::ResetTitleSort();
        AddTasks("Ttask.d", {{"Renew the passport", "4", true}, {"Write the report", "2", false}});
        Open();
        Form->Show();
        ProcessEvents();
    }
    void ShowTab(TTabSheet* Tab) {
        Form->PageControl1()->SetActivePage(Tab);
        Form->PageControl1Change(Form);
        ProcessEvents();
    }
    // The grid's picture; cell rectangles map into it by the frame margins.
    void Render(TOstraDBGrid* Grid, const std::string& Name) {
        RenderControl(Grid, &Picture);
        Origin = {Grid->NonClientMargins().Left, Grid->NonClientMargins().Top};
        Picture.SaveToFile(TestRunPath("main_form_look_" + Name + ".png"));
    }
    TRect Cell(TOstraDBGrid* Grid, int DataCol, int Row) {
        TRect r = Grid->CellRect(Grid->DataToRawColumn(DataCol), Row);
        OffsetRect(r, Origin.X, Origin.Y);
        return r;
    }
    TColor At(int X, int Y) { return Picture.Canvas()->Pixels(X, Y); }
    static bool Dark(TColor C) { return GetRValue(C) + GetGValue(C) + GetBValue(C) < 3 * 160; }
    // The first and last columns of R holding a pixel unlike Background (-1 when none).
    std::pair<int, int> InkSpan(const TRect& R, TColor Background) {
        int first = -1, last = -1;
        for (int x = R.Left; x < R.Right; ++x)
            for (int y = R.Top; y < R.Bottom; ++y)
                if (At(x, y) != Background) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    TBitmap Picture;
    TPoint Origin;
};

TEST_F(MainFormLook, CellTextsAndTitlesFitTheirColumns) {
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* g = Form->OstraDBGrid1();
    Render(g, "cells");
    // "Completed" in the 57-pixel Priority column: whole, with the cell's last column clear.
    // The rows go by priority: "2" (Medium), then "4" (Completed).
    const TRect completed = Cell(g, 2, 2);
    const TColor back = At(completed.Right - 1, completed.Top + 1);
    const auto [first, last] = InkSpan(completed, back);
    ASSERT_GE(first, 0) << "no text";
    EXPECT_LT(last, completed.Right - 1);
    g->Canvas()->SetFont(g->Font());
    EXPECT_GE(last - first + 4, g->Canvas()->TextWidth("Completed"));  // less the side bearings

    // "Name/Status" whole in its 68-pixel title, inside the title's edges.
    ShowTab(Form->TabSheet4());
    TOstraDBGrid* catchAll = Form->OstraDBGrid3();
    Render(catchAll, "titles");
    TRect title = Cell(catchAll, 1, 0);
    TOstraColumnTitle* caption = catchAll->Columns()->GetColumn(1)->Title();
    ASSERT_EQ(caption->Caption(), "Name/Status");
    InflateRect(title, -2, -2);
    const auto [left, right] = InkSpan(title, ColorToRGB(clBtnFace));
    ASSERT_GE(left, 0);
    catchAll->Canvas()->SetFont(caption->Font());
    EXPECT_GE(right - left + 4, catchAll->Canvas()->TextWidth("Name/Status"));
}

TEST_F(MainFormLook, TheSortMarkerKeepsClearOfThePriorityTitle) {
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* g = Form->OstraDBGrid1();
    TOstraColumn* priority = g->Columns()->GetColumn(2);
    ASSERT_EQ(priority->Title()->Caption(), "Priority");
    const TRect r = g->CellRect(g->DataToRawColumn(2), 0);
    SendClick(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    ProcessEvents();
    ASSERT_NE(priority->SortMarker(), 0);
    Render(g, "sorted");
    TBitmap marked;
    marked.Assign(&Picture);
    const uint8_t marker = priority->SortMarker();
    priority->SetSortMarker(0);
    g->Invalidate();
    ProcessEvents();
    RenderControl(g, &Picture);
    priority->SetSortMarker(marker);
    // The caption's ink and the marker's (what the marker changed) do not meet.
    const TRect cell = Cell(g, 2, 0);
    int captionRight = -1, markerLeft = -1;
    for (int x = cell.Left + 2; x < cell.Right - 2; ++x)
        for (int y = cell.Top + 2; y < cell.Bottom - 2; ++y) {
            if (Dark(At(x, y))) captionRight = x;
            if (marked.Canvas()->Pixels(x, y) != At(x, y) && markerLeft < 0) markerLeft = x;
        }
    ASSERT_GE(captionRight, 0);
    ASSERT_GE(markerLeft, 0) << "no marker drawn";
    EXPECT_LT(captionRight, markerLeft);
}

TEST_F(MainFormLook, TheDateEditorShowsItsWholeDateBesideItsButton) {
    ShowTab(Form->TabSheet1());
    TOstraDBGrid* g = Form->OstraDBGrid1();
    g->SetFocus();
    const TRect r = g->CellRect(g->DataToRawColumn(5), 1);
    SendClick(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    g->SetEditorMode(true);
    ProcessEvents();
    TInplaceEdit* editor = g->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->Visible());
    Render(g, "date_editor");
    const std::string date = Form->dTask_()->FieldByName("Date")->AsString();
    ASSERT_FALSE(date.empty());
    // The button takes the editor's right end; the date's ink ends before it.
    TRect box = editor->BoundsRect();
    OffsetRect(box, Origin.X, Origin.Y);
    const int buttonLeft = box.Right - (GetSystemMetrics(SM_CXVSCROLL) - 4);
    int inkLeft = -1, inkRight = -1;
    for (int x = box.Left + 1; x < buttonLeft; ++x)
        for (int y = box.Top + 2; y < box.Bottom - 2; ++y)
            if (Dark(At(x, y))) {
                if (inkLeft < 0) inkLeft = x;
                inkRight = x;
                break;
            }
    ASSERT_GE(inkLeft, 0);
    EXPECT_LT(inkRight, buttonLeft - 1);
    g->Canvas()->SetFont(g->Font());
    EXPECT_GE(inkRight - inkLeft + 4, g->Canvas()->TextWidth(date));
}

// The Projects tab's check boxes on a project that is neither flagged nor
// complete: enabled boxes with a white face.
class MainFormProjectLook : public ProgramTest {
protected:
    void PrepareData() override {
        ProgramTest::PrepareData();
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "Goals.d");
        t.Open();
        t.Append();
        t.FieldByName("Target")->SetAsString("Learn to sail");
        t.FieldByName("Flag")->SetAsBoolean(false);
        t.FieldByName("Completed")->SetAsBoolean(false);
        t.FieldByName("Date")->SetAsDateTime(EncodeDate(2026, 12, 31));
        t.Post();
        t.Save();
        t.Close();
    }
};

TEST_F(MainFormProjectLook, UntickedCheckBoxesHaveAWhiteFace) {
    Open();
    Form->Show();
    ProcessEvents();
    Form->PageControl1()->SetActivePage(Form->TabSheet6());
    Form->PageControl1Change(Form);
    ProcessEvents();
    EXPECT_TRUE(RenderControlToPng(Form, TestRunPath("main_form_look_projects.png")));
    for (TDBCheckBox* box : {Form->DBCheckBox1(), Form->DBCheckBox2()}) {
        SCOPED_TRACE(box->Caption());
        ASSERT_EQ(box->State(), cbUnchecked);
        EXPECT_TRUE(box->Enabled());
        TBitmap picture;
        RenderControl(box, &picture);
        int white = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < 16; ++x) white += picture.Canvas()->Pixels(x, y) == clWhite;
        EXPECT_GE(white, 6 * 6);
    }
}

}  // namespace
