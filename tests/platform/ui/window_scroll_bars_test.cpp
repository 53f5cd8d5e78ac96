// The window scroll bars any windowed control has: range, page and
// position, showing and hiding with the room they take, and the user's
// requests as WM_HSCROLL / WM_VSCROLL.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/ui/drawing.h"
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

}  // namespace
