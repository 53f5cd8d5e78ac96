// The main window as the user sees it: every tab rendered to a picture
// (written beside the test program as main_form_<n>.png for a look).
#include "main_form_test_fixture.h"

#include "platform/ui/bitmaps.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"

namespace {

using MainFormView = MainFormTest;

// The pixel at a point of Control, in the rendering of the whole form (the
// menu bar above the client area).
TColor PixelOf(TBitmap& Picture, TCustomForm* Form, TControl* Control, int X, int Y) {
    const TPoint p = Form->ScreenToClient(Control->ClientToScreen(TPoint{X, Y}));
    const int menuBar = Picture.Height() - Form->ClientHeight();
    return Picture.Canvas()->Pixels(p.X, p.Y + menuBar);
}

bool HasInk(TBitmap& Picture, TCustomForm* Form, TControl* Control) {
    const TColor background = PixelOf(Picture, Form, Control, 1, Control->Height() - 2);
    for (int y = 2; y < Control->Height() - 2; y += 2)
        for (int x = 2; x < Control->Width() - 2; x += 2)
            if (PixelOf(Picture, Form, Control, x, y) != background) return true;
    return false;
}

TEST_F(MainFormView, RendersEveryTabWithItsTable) {
    AddTasks("Ttask.d", {{"Call the plumber about the kitchen sink", "0", true},
                         {"Write the quarterly report", "1", false},
                         {"Renew the passport", "4", true}});
    AddTasks("Ttask2.d", {{"Read the new book chapter", "2", true}});
    Open();
    Form->Show();
    ProcessEvents();
    const std::vector<TControl*> shown{Form->OstraDBGrid7(), Form->OstraDBGrid1(), Form->OstraDBGrid2(),
                                       Form->OstraDBGrid5(), Form->OstraDBGrid3(), Form->OstraDBGrid4(),
                                       Form->OstraDBGrid6()};
    for (int i = 0; i < Form->PageControl1()->PageCount(); ++i) {
        SCOPED_TRACE(Form->PageControl1()->Pages(i)->Caption());
        Form->PageControl1()->SetActivePageIndex(i);
        Form->PageControl1Change(Form);
        ProcessEvents();
        TBitmap picture;
        RenderControl(Form, &picture);
        ASSERT_EQ(picture.Width(), Form->Width() - Form->FrameMargins().Left - Form->FrameMargins().Right)
            << "the client area";
        EXPECT_TRUE(RenderControlToPng(
            Form, IncludeTrailingPathDelimiter(OldDir) + "main_form_" + std::to_string(i) + ".png"));
        // The tab's grid shows, with its title row and rows drawn.
        EXPECT_TRUE(shown[i]->Showing());
        EXPECT_TRUE(HasInk(picture, Form, shown[i]));
        // The quote of the day along the bottom, on every tab.
        EXPECT_TRUE(HasInk(picture, Form, Form->Panel7()));
        EXPECT_EQ(PixelOf(picture, Form, Form->StatusBar1(), 20, 10), clCream);
    }
}

TEST_F(MainFormView, TodaySplitsItsRoomBetweenTheTwoGroups) {
    Open();
    Form->Show();
    ProcessEvents();
    const int before = Form->Panel2()->Height();
    EXPECT_NEAR(Form->Panel2()->Height(), Form->Panel3()->Height(), 2);
    Form->SetClientHeight(Form->ClientHeight() + 200);
    ProcessEvents();
    EXPECT_NEAR(Form->Panel2()->Height(), before + 100, 2);
    EXPECT_NEAR(Form->Panel2()->Height(), Form->Panel3()->Height(), 2);
}

}  // namespace
