// Windows framed by a window manager whose frame is not the one estimated
// when they were placed: once the frame is known, frame and caption lie on
// the screen's work area; a window already wholly on it stays where it is,
// and the window's later moves are the user's.
#include <gtest/gtest.h>

#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form_min_size.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "platform/ui/window_frame.h"

namespace {

void ExpectOnWorkArea(const TRect& Outer) {
    const TRect work = Screen->WorkAreaRect();
    EXPECT_GE(Outer.Left, work.Left);
    EXPECT_GE(Outer.Top, work.Top);
    EXPECT_LE(Outer.Right, work.Right);
    EXPECT_LE(Outer.Bottom, work.Bottom);
}

// A thin frame with a deep lower edge, and one larger than the estimate all
// round.
const TRect kThinFrame{1, 20, 1, 5};
const TRect kWideFrame{8, 30, 8, 8};

// A window as large as the work area, fitted to it with the estimated
// frame: once framed it moves in where the frame fits beside it, and
// shrinks only where it must.
TEST(WindowFrameTest, AFramedFormLiesWhollyOnTheWorkArea) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    for (const TRect& frame : {kThinFrame, kWideFrame}) {
        SCOPED_TRACE(frame.Top);
        TTestWindowFrame manager(frame);
        for (TPosition position : {poDesigned, poScreenCenter}) {
            auto* form = CreateForm<TForm>(Application);
            form->SetPosition(position);
            form->SetBounds(work.Left + 30, work.Top + 20, roomX + 40, roomY + 30);
            form->Show();
            const int clientX = form->ClientWidth(), clientY = form->ClientHeight();
            ProcessEvents();
            const TRect outer = FramedWindowBounds(form);
            ExpectOnWorkArea(outer);
            const int frameX = frame.Left + frame.Right, frameY = frame.Top + frame.Bottom;
            EXPECT_EQ(form->ClientWidth(), std::min(clientX, roomX - frameX));
            EXPECT_EQ(form->ClientHeight(), std::min(clientY, roomY - frameY));
            delete form;
        }
    }
}

// The form tells the frame it was given once it is known: the estimate
// before, and again after its border changes.
TEST(WindowFrameTest, TheFormTellsTheFrameItWasGiven) {
    TTestWindowFrame manager(kThinFrame);
    auto* form = CreateForm<TForm>(Application);
    form->SetBounds(40, 30, 300, 200);
    const TRect estimated = form->FrameMargins();
    EXPECT_EQ(form->WindowFrame(), estimated);
    form->Show();
    ProcessEvents();
    EXPECT_EQ(form->WindowFrame(), kThinFrame);
    form->SetBorderStyle(bsDialog);
    EXPECT_EQ(form->WindowFrame(), form->FrameMargins());
    delete form;
}

// A window whose minimum the screen cannot hold gives way to the real frame
// as it gave way to the estimated one: once framed, frame and caption lie on
// the work area, and the user cannot size it larger than that minimum again.
TEST(WindowFrameTest, AMinimumLargerThanTheScreenGivesWayToTheRealFrame) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    TTestWindowFrame manager(kWideFrame);
    auto* form = CreateForm<TMinSizeForm>(Application);
    form->SetMinimumClientSize(roomX + 100, roomY + 100);
    form->SetBounds(work.Left, work.Top, roomX + 100, roomY + 100);
    form->Show();
    ProcessEvents();
    const TRect outer = FramedWindowBounds(form);
    ExpectOnWorkArea(outer);
    EXPECT_EQ(outer.Right - outer.Left, roomX);
    EXPECT_EQ(outer.Bottom - outer.Top, roomY);
    form->SetBounds(form->Left(), form->Top(), 200, 150);
    ProcessEvents();
    EXPECT_EQ(FramedWindowBounds(form), outer);
    delete form;
}

// A framed window that lies on the work area stays where it was put, and a
// window the user then drags partly off the screen stays where he left it.
TEST(WindowFrameTest, AFormOnTheWorkAreaStaysAndTheUserMovesItFreely) {
    const TRect work = Screen->WorkAreaRect();
    TTestWindowFrame manager(kWideFrame);
    auto* form = CreateForm<TForm>(Application);
    form->SetBounds(work.Left + 100, work.Top + 80, 300, 200);
    form->Show();
    const TRect placed = FramedWindowBounds(form);
    ProcessEvents();
    EXPECT_EQ(FramedWindowBounds(form), placed);
    EXPECT_EQ(form->Left(), work.Left + 100);
    EXPECT_EQ(form->Top(), work.Top + 80);
    MoveWindowOf(form, work.Right - 50 - placed.Left, 0);
    ProcessEvents();
    EXPECT_EQ(FramedWindowBounds(form).Left, work.Right - 50);
    // Shown again, it stays too.
    form->Hide();
    form->Show();
    ProcessEvents();
    EXPECT_EQ(FramedWindowBounds(form).Left, work.Right - 50);
    delete form;
}

// Bounds the program gives a window after showing it are its own: the frame
// that comes later moves nothing, however large they are.
TEST(WindowFrameTest, BoundsGivenAfterShowingAreKept) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    TTestWindowFrame manager(kWideFrame);
    auto* form = CreateForm<TForm>(Application);
    form->Show();
    form->SetBounds(work.Left + 5, work.Top + 5, roomX + 70, roomY + 50);
    ProcessEvents();
    EXPECT_EQ(form->Left(), work.Left + 5);
    EXPECT_EQ(form->Width(), roomX + 70);
    EXPECT_EQ(form->Height(), roomY + 50);
    EXPECT_EQ(form->WindowFrame(), kWideFrame);
    delete form;
}

// A window system that draws no frame leaves the window as it was placed.
TEST(WindowFrameTest, WithoutAFrameTheFormKeepsItsPlace) {
    const TRect work = Screen->WorkAreaRect();
    const int roomX = work.Right - work.Left, roomY = work.Bottom - work.Top;
    TTestWindowFrame none(TRect{0, 0, 0, 0});
    auto* form = CreateForm<TForm>(Application);
    form->SetBounds(work.Left, work.Top, roomX, roomY);
    form->Show();
    const TRect placed = FramedWindowBounds(form);
    ProcessEvents();
    EXPECT_EQ(FramedWindowBounds(form), placed);
    delete form;
}

}  // namespace
