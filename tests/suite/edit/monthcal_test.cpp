// The month calendar on a form with real clicks and keys: limits, bold days,
// the month and year menus, and the platform's month view hit tests.
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/ui/menus.h"
#include "suite/edit/qzmonthcal.h"
#include "support/suite/edit_fixture.h"

namespace {

class MonthCalTest : public EditTest {
protected:
    TqzMonthCalendar* MakeCal() {
        auto* c = new TqzMonthCalendar(&Form);
        c->SetParent(&Form);
        c->SetBounds(10, 10, 200, 180);
        ShowAndFocus(c);
        return c;
    }
    // The centre of a day's cell, found by hit-testing the client area.
    TPoint DayPoint(TqzMonthCalendar* C, int Y, int M, int D) {
        for (int y = 0; y < C->ClientHeight(); y += 2)
            for (int x = 0; x < C->ClientWidth(); x += 2) {
                const TMonthHitTest h = C->HitTest({x, y});
                if (h.Hit == MCHT_CALENDARDATE && h.Year == Y && h.Month == M && h.Day == D)
                    return {x + 3, y + 3};
            }
        ADD_FAILURE() << "day not shown";
        return {0, 0};
    }
    TPoint FindHit(TqzMonthCalendar* C, unsigned Hit) {
        for (int y = 0; y < C->ClientHeight(); ++y)
            for (int x = 0; x < C->ClientWidth(); ++x)
                if (C->HitTest({x, y}).Hit == Hit) return {x + 1, y + 1};
        ADD_FAILURE() << "hit code not found";
        return {0, 0};
    }
};

TEST_F(MonthCalTest, DateZeroLeavesTheDateAndTimeAsTheyAre) {
    TqzMonthCalendar* c = MakeCal();
    const TDateTime before = c->Date();
    c->SetDate(0);
    EXPECT_EQ(c->Date(), before);
    c->SetMinDate(EncodeDate(2026, 1, 1));
    EXPECT_NO_THROW(c->SetDate(0));
    EXPECT_EQ(c->Date(), before);
}

TEST_F(MonthCalTest, BoundsAreWholeDaysSoTheirOwnDayStaysReachable) {
    TqzMonthCalendar* c = MakeCal();
    c->SetMaxDate(EncodeDate(2026, 3, 20) + EncodeTime(8, 0, 0, 0));
    c->SetMinDate(EncodeDate(2026, 3, 5) + EncodeTime(18, 0, 0, 0));
    EXPECT_NO_THROW(c->SetDate(EncodeDate(2026, 3, 20)));
    EXPECT_NO_THROW(c->SetDate(EncodeDate(2026, 3, 5)));
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 5));
    // A click on the bound's own day selects it and raises nothing.
    const TPoint p = DayPoint(c, 2026, 3, 20);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 20));
    EXPECT_EQ(Dialogs.Count(), 0);
    try {
        c->SetDate(EncodeDate(2026, 3, 21));
        FAIL();
    } catch (const EDateTimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Date exceeds maximum of 03/20/2026");
    }
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 20));
    EXPECT_THROW(c->SetMinDate(EncodeDate(2026, 4, 1)), EDateTimeError);
}

TEST_F(MonthCalTest, ClicksAndKeysStayWithinTheLimits) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    c->SetMinDate(EncodeDate(2026, 3, 10));
    c->SetMaxDate(EncodeDate(2026, 3, 25));
    int changes = 0;
    struct TCount {
        int* N;
        void Changed(TObject*) { ++*N; }
    } counter{&changes};
    c->SetOnChange(TNotifyEvent(&counter, &TCount::Changed));
    // A day below the range selects the minimum.
    TPoint p = DayPoint(c, 2026, 3, 3);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 10));
    p = DayPoint(c, 2026, 3, 28);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 25));
    SendKey(c, VK_DOWN);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 25));
    SendKey(c, VK_LEFT);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 24));
    SendKey(c, VK_PRIOR);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 10));
    SendKey(c, VK_NEXT);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 3, 25));
    EXPECT_GE(changes, 4);
    EXPECT_EQ(Dialogs.Count(), 0);
}

// Without limits the keys stop at the calendar's own last day; Page Down in
// its last month brought up an error box.
TEST_F(MonthCalTest, KeysStopAtTheLastDayOfTheCalendar) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(9999, 12, 15));
    SendKey(c, VK_NEXT);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(9999, 12, 15));
    c->SetDate(EncodeDate(9999, 11, 30));
    SendKey(c, VK_NEXT);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(9999, 12, 30));
    SendKey(c, VK_DOWN);
    SendKey(c, VK_RIGHT);
    SendKey(c, VK_RIGHT);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(9999, 12, 31));
    SendKey(c, VK_PRIOR);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(9999, 11, 30));
    EXPECT_EQ(Dialogs.Count(), 0);
}

TEST_F(MonthCalTest, BoldDaysComeFromTheEventAndRender) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    c->SetOptions(c->Options() + mdoWeekNumbers);
    struct TBold {
        std::vector<int> Asked;
        void Calc(TObject*, TDateTime, int Month, int Day, int, bool& Accept) {
            if (Month == 3) Asked.push_back(Day);
            Accept = Day % 7 == 1;
        }
    } bold;
    c->SetOnCalcBoldDay(TCalcBoldDayEvent(&bold, &TBold::Calc));
    c->SetBounds(10, 10, 260, 190);
    ProcessEvents();
    ASSERT_TRUE(RenderControlToPng(c, PngPath("monthcal_bold")));
    EXPECT_EQ(bold.Asked.size() % 31, 0u);
    EXPECT_FALSE(bold.Asked.empty());
}

TEST_F(MonthCalTest, MonthMenuMovesTheDateAndAsecondClickClosesIt) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 31));
    c->SetMaxDate(EncodeDate(2026, 10, 15));
    TTestMenus menus;
    menus.Answer("June");
    const TPoint p = FindHit(c, MCHT_TITLEMONTH);
    SendClick(c, p.X, p.Y);
    ASSERT_EQ(menus.Opened().size(), 1u);
    EXPECT_EQ(menus.Opened()[0].size(), 12u);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 6, 30));
    EXPECT_FALSE(c->MonthMenu()->Items()->Items(10)->Enabled());  // November lies beyond the maximum
}

TEST_F(MonthCalTest, YearMenuEditYearCancelEndsTheBoxWithTheDateUnchanged) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    c->PopupYearOptions()->SetShowEditYear(true);
    // Limits set after the date: the date lies outside them.
    c->SetMaxDate(EncodeDate(2030, 1, 1));
    c->SetMinDate(EncodeDate(2027, 6, 1));
    TTestMenus menus;
    menus.Answer("Edit Year");
    Dialogs.AnswerInput(true, "abc");
    Dialogs.AnswerInput(true, "2040");
    Dialogs.AnswerInput(false);
    const TDateTime before = c->Date();
    const TPoint p = FindHit(c, MCHT_TITLEYEAR);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(Dialogs.InputCount(), 3);
    EXPECT_EQ(c->Date(), before);
}

// Cancels every box; after 20 boxes it gives up by raising, so that a box
// shown for ever ends the test.
class TBoundedInputs : public TTestDialogs {
public:
    bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) override {
        if (InputCount() >= 20) throw EInvalidOperation("the year box never ended");
        return TTestDialogs::InputQuery(Caption, Prompt, Value);
    }
};

TEST_F(MonthCalTest, YearMenuEditYearCancelEndsTheBoxWhenNoYearFits) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    c->PopupYearOptions()->SetShowEditYear(true);
    // No year has a 12 March within these limits: only Cancel ends the box.
    c->SetMaxDate(EncodeDate(2027, 12, 31));
    c->SetMinDate(EncodeDate(2027, 6, 1));
    TTestMenus menus;
    menus.Answer("Edit Year");
    TBoundedInputs inputs;
    const TDateTime before = c->Date();
    const TPoint p = FindHit(c, MCHT_TITLEYEAR);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(inputs.InputCount(), 1);
    EXPECT_EQ(inputs.Count(), 0);
    EXPECT_EQ(c->Date(), before);
}

TEST_F(MonthCalTest, YearMenuTakesATypedYear) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    c->PopupYearOptions()->SetShowEditYear(true);
    TTestMenus menus;
    menus.Answer("Edit Year");
    Dialogs.AnswerInput(true, "2031");
    const TPoint p = FindHit(c, MCHT_TITLEYEAR);
    SendClick(c, p.X, p.Y);
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2031, 3, 12));
    ASSERT_EQ(menus.Opened().size(), 1u);
    EXPECT_EQ(menus.Opened()[0][0], "Edit Year");
    EXPECT_EQ(menus.Opened()[0].size(), 22u);  // the item, a line and twenty years
}

TEST_F(MonthCalTest, MonthViewHitTestsAndScrolling) {
    TqzMonthCalendar* c = MakeCal();
    c->SetDate(EncodeDate(2026, 3, 12));
    EXPECT_EQ(c->HitTest(FindHit(c, MCHT_TITLEBTNPREV)).Hit, MCHT_TITLEBTNPREV);
    const TMonthHitTest day = c->HitTest(DayPoint(c, 2026, 3, 1));
    EXPECT_EQ(day.Day, 1);
    const TPoint names = FindHit(c, MCHT_CALENDARDAY);
    EXPECT_GE(c->HitTest(names).Day, 1);
    EXPECT_EQ(c->HitTest({-5, 3}).Hit, MCHT_NOWHERE);
    const TPoint next = FindHit(c, MCHT_TITLEBTNNEXT);
    SendClick(c, next.X, next.Y);
    TDateTime first = 0, last = 0;
    c->GetVisibleRange(first, last);
    EXPECT_EQ(first, EncodeDate(2026, 4, 1));
    EXPECT_EQ(std::trunc(c->Date()), EncodeDate(2026, 4, 12));
    TRect r;
    ASSERT_TRUE(c->GetMinReqRect(r));
    EXPECT_GE(c->Width(), r.Width());
}

}  // namespace
