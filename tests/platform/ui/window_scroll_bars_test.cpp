// The window scroll bars any windowed control has: range, page and
// position, showing and hiding with the room they take, and the user's
// requests as WM_HSCROLL / WM_VSCROLL.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/testing.h"
#include "support/environment.h"
#include "support/ui/ui_probes.h"

namespace {

// A self-painted control that logs the scroll messages it gets.
class TScrollingProbe : public TProbe {
public:
    using TProbe::TProbe;
    std::vector<std::pair<unsigned, int>> Requests;  // message, SB_ code

    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_VSCROLL || Message.Msg == WM_HSCROLL) {
            Requests.emplace_back(Message.Msg, Message.WParamLo());
            return;
        }
        TProbe::Dispatch(Message);
    }
};

class WindowScrollBarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = new TScrollingProbe(f.Form, f.Form);
        probe->SetBounds(10, 10, 200, 150);
    }
    QScrollBar* Bar(Qt::Orientation O) const {
        for (QScrollBar* b : probe->Widget()->findChildren<QScrollBar*>())
            if (b->orientation() == O) return b;
        return nullptr;
    }
    static TScrollInfo Range(int Min, int Max, unsigned Page, int Pos) {
        TScrollInfo si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = Min;
        si.nMax = Max;
        si.nPage = Page;
        si.nPos = Pos;
        return si;
    }
    TShownForm f;
    TScrollingProbe* probe = nullptr;
    const int thickness = GetSystemMetrics(SM_CXVSCROLL);
};

TEST_F(WindowScrollBarsTest, ARangeThatScrollsShowsTheBarAndTakesItsRoom) {
    EXPECT_FALSE(probe->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(probe->ClientWidth(), 200);
    // Set before the window exists: the bar comes with the window.
    EXPECT_TRUE(probe->SetScrollInfo(SB_VERT, Range(0, 99, 10, 5)));
    EXPECT_TRUE(probe->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(probe->ClientWidth(), 200 - thickness);
    EXPECT_EQ(probe->ClientHeight(), 150);
    EXPECT_EQ(probe->NonClientMargins().Right, thickness);
    EXPECT_EQ(probe->GetScrollPos(SB_VERT), 5);
    f.Show();
    QScrollBar* v = Bar(Qt::Vertical);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->geometry(), QRect(200 - thickness, 0, thickness, 150));
    EXPECT_EQ(v->value(), 5);

    // A position past the end is cut to the last page.
    TScrollInfo pos;
    pos.fMask = SIF_POS;
    pos.nPos = 500;
    EXPECT_FALSE(probe->SetScrollInfo(SB_VERT, pos));
    TScrollInfo si;
    probe->GetScrollInfo(SB_VERT, si);
    EXPECT_EQ(si.nPos, 90);
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, 10u);

    // A range that fits hides the bar and gives the room back.
    EXPECT_TRUE(probe->SetScrollInfo(SB_VERT, Range(0, 9, 10, 0)));
    EXPECT_FALSE(probe->ScrollBarVisible(SB_VERT));
    EXPECT_EQ(probe->ClientWidth(), 200);
    EXPECT_FALSE(v->isVisible());
    // ... unless asked to keep it, disabled.
    TScrollInfo keep = Range(0, 9, 10, 0);
    keep.fMask |= SIF_DISABLENOSCROLL;
    probe->SetScrollInfo(SB_VERT, keep);
    EXPECT_TRUE(probe->ScrollBarVisible(SB_VERT));
    EXPECT_FALSE(probe->ScrollBarEnabled(SB_VERT));
    EXPECT_FALSE(v->isEnabled());
}

TEST_F(WindowScrollBarsTest, BothBarsShareTheCornerAndFollowTheSize) {
    f.Show();
    probe->SetScrollInfo(SB_VERT, Range(0, 99, 10, 0));
    probe->SetScrollInfo(SB_HORZ, Range(0, 499, 100, 0));
    EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 200 - thickness, 150 - thickness));
    QScrollBar* h = Bar(Qt::Horizontal);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->geometry(), QRect(0, 150 - thickness, 200 - thickness, thickness));
    probe->SetBounds(10, 10, 260, 120);
    EXPECT_EQ(h->geometry(), QRect(0, 120 - thickness, 260 - thickness, thickness));
    EXPECT_EQ(Bar(Qt::Vertical)->geometry(), QRect(260 - thickness, 0, thickness, 120 - thickness));
    probe->ShowScrollBar(SB_BOTH, false);
    EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 260, 120));
    // Other margins of the window stay outside the bars.
    probe->ShowScrollBar(SB_VERT, true);
    probe->SetNonClientMargins(Rect(0, 20, 0, 0));
    EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 260 - thickness, 100));
    EXPECT_EQ(Bar(Qt::Vertical)->geometry(), QRect(260 - thickness, 20, thickness, 100));
}

TEST_F(WindowScrollBarsTest, TheUsersRequestsComeAsMessagesAndTheBarWaitsForTheControl) {
    probe->SetScrollInfo(SB_VERT, Range(0, 99, 10, 20));
    f.Show();
    QScrollBar* v = Bar(Qt::Vertical);
    ASSERT_NE(v, nullptr);
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    v->triggerAction(QAbstractSlider::SliderPageStepSub);
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    ASSERT_EQ(probe->Requests.size(), 3u);
    EXPECT_EQ(probe->Requests[0], std::make_pair(WM_VSCROLL, SB_LINEDOWN));
    EXPECT_EQ(probe->Requests[1], std::make_pair(WM_VSCROLL, SB_PAGEUP));
    EXPECT_EQ(probe->Requests[2], std::make_pair(WM_VSCROLL, SB_TOP));
    // The control did not move it: it stays where it was.
    EXPECT_EQ(probe->GetScrollPos(SB_VERT), 20);
    EXPECT_EQ(v->value(), 20);
    // A window made anew keeps the bars' state.
    probe->RecreateWnd();
    ASSERT_NE(Bar(Qt::Vertical), nullptr);
    EXPECT_EQ(Bar(Qt::Vertical)->value(), 20);
    EXPECT_EQ(probe->ClientWidth(), 200 - thickness);
}

// The columns of a fresh picture of the probe holding its client colour in
// the middle row: where the client area lies beside the vertical bar.
std::pair<int, int> ClientColumns(TScrollingProbe* Probe, const std::string& Png) {
    TBitmap shot;
    RenderControl(Probe, &shot);
    RenderControlToPng(Probe, TestRunPath(Png));
    int first = shot.Width(), last = -1;
    for (int x = 0; x < shot.Width(); ++x)
        if (shot.Canvas()->Pixels(x, shot.Height() / 3) == ColorToRGB(Probe->Fill)) {
            first = std::min(first, x);
            last = std::max(last, x);
        }
    return {first, last};
}

TEST_F(WindowScrollBarsTest, ARightToLeftWindowKeepsItsVerticalBarAtTheLeft) {
    probe->SetBiDiMode(bdRightToLeft);
    probe->SetScrollInfo(SB_VERT, Range(0, 99, 10, 0));
    probe->SetScrollInfo(SB_HORZ, Range(0, 499, 100, 0));
    f.Show();
    QScrollBar* v = Bar(Qt::Vertical);
    QScrollBar* h = Bar(Qt::Horizontal);
    ASSERT_NE(v, nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(probe->NonClientMargins(), Rect(thickness, 0, 0, thickness));
    EXPECT_EQ(probe->ClientRect(), Rect(0, 0, 200 - thickness, 150 - thickness));
    EXPECT_EQ(v->geometry(), QRect(0, 0, thickness, 150 - thickness));
    EXPECT_EQ(h->geometry(), QRect(thickness, 150 - thickness, 200 - thickness, thickness));
    // The contents run from the right: so does the horizontal bar's start.
    EXPECT_TRUE(h->isRightToLeft());
    EXPECT_EQ(ClientColumns(probe, "scroll_bars_rtl.png"), std::make_pair(thickness, 199));

    // Real clicks: under the thumb of the bar at the left pages down; left
    // of the horizontal thumb (which starts at the right) pages on.
    SendScreenClick(probe->ClientToScreen({-thickness / 2, 150 - 3 * thickness}));
    SendScreenClick(probe->ClientToScreen({2 * thickness, 150 - thickness / 2}));
    ASSERT_EQ(probe->Requests.size(), 2u);
    EXPECT_EQ(probe->Requests[0], std::make_pair(WM_VSCROLL, SB_PAGEDOWN));
    EXPECT_EQ(probe->Requests[1], std::make_pair(WM_HSCROLL, SB_PAGEDOWN));
    // A click in the client area lands there, in client coordinates.
    probe->Log.clear();
    SendScreenClick(probe->ClientToScreen({5, 7}));
    EXPECT_NE(std::find(probe->Log.begin(), probe->Log.end(), "MouseDown 0 5,7"), probe->Log.end());
}

TEST_F(WindowScrollBarsTest, TheBarsChangeSidesWithTheDirectionWhileShown) {
    probe->SetScrollInfo(SB_VERT, Range(0, 99, 10, 0));
    f.Show();
    QScrollBar* v = Bar(Qt::Vertical);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(ClientColumns(probe, "scroll_bars_ltr.png"), std::make_pair(0, 199 - thickness));
    struct Case {
        TBiDiMode Mode;
        bool Left;
    } cases[] = {{bdRightToLeft, true},
                 {bdLeftToRight, false},
                 {bdRightToLeftNoAlign, true},
                 {bdRightToLeftReadingOnly, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Mode));
        f.Form->SetBiDiMode(c.Mode);  // the probe takes its parent's mode
        ASSERT_EQ(probe->BiDiMode(), c.Mode);
        EXPECT_EQ(v->geometry().left(), c.Left ? 0 : 200 - thickness);
        EXPECT_EQ(probe->NonClientMargins().Left, c.Left ? thickness : 0);
        EXPECT_EQ(probe->ClientWidth(), 200 - thickness);
        const auto cols = ClientColumns(probe, "scroll_bars_mode.png");
        EXPECT_EQ(cols.first, c.Left ? thickness : 0);
        EXPECT_EQ(cols.second, c.Left ? 199 : 199 - thickness);
    }
    // Only contents that mirror start the horizontal bar at the right.
    probe->SetScrollInfo(SB_HORZ, Range(0, 499, 100, 0));
    ASSERT_NE(Bar(Qt::Horizontal), nullptr);
    f.Form->SetBiDiMode(bdRightToLeftNoAlign);
    EXPECT_FALSE(Bar(Qt::Horizontal)->isRightToLeft());
    f.Form->SetBiDiMode(bdRightToLeft);
    EXPECT_TRUE(Bar(Qt::Horizontal)->isRightToLeft());
    // A window made anew keeps the side.
    probe->RecreateWnd();
    ASSERT_NE(Bar(Qt::Vertical), nullptr);
    EXPECT_EQ(Bar(Qt::Vertical)->geometry().left(), 0);
    EXPECT_EQ(probe->NonClientMargins().Left, thickness);
}

}  // namespace
