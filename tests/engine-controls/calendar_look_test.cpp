// The calendar's title shows every month's whole name in its label (the
// December picture is written to the test run's folder as
// ostra_calendar_december.png).
#include <gtest/gtest.h>
#include "support/environment.h"

#include <memory>
#include <string>

#include "engine-controls/ostra_calendar.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

TEST(CalendarLook, EveryMonthNameFitsBetweenTheLabelsEnds) {
    ResetFormatSettings();
    SetClockForTesting(EncodeDate(2026, 12, 7) + 0.5);
    std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
    form->SetBounds(40, 40, 260, 240);
    form->Show();
    auto* c = new TOstraCalendar(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 10, 158, 160);
    ProcessEvents();
    TLabel* label = c->MonthLabel();
    const TRect area = label->BoundsRect();
    for (int month = 1; month <= 12; ++month) {
        c->SetMonth(static_cast<uint16_t>(month));
        ProcessEvents();
        SCOPED_TRACE(label->Caption());
        EXPECT_EQ(label->BoundsRect(), area) << "the label keeps its place";
        EXPECT_EQ(c->Width(), 158);
        EXPECT_EQ(c->Height(), 160);
        TBitmap picture;
        RenderControl(c, &picture);
        if (month == 12) picture.SaveToFile(TestRunPath("ostra_calendar_december.png"));
        // White text on the title bar: none in the label's end columns, some between.
        auto whiteIn = [&](int X) {
            for (int y = area.Top; y < area.Bottom; ++y)
                if (picture.Canvas()->Pixels(X, y) == clWhite) return true;
            return false;
        };
        EXPECT_FALSE(whiteIn(area.Left));
        EXPECT_FALSE(whiteIn(area.Right - 1));
        int first = -1, last = -1;
        for (int x = area.Left; x < area.Right; ++x)
            if (whiteIn(x)) {
                if (first < 0) first = x;
                last = x;
            }
        ASSERT_GE(first, 0);
        TBitmap probe;
        probe.Canvas()->SetFont(label->Font());
        const int width = probe.Canvas()->TextWidth(label->Caption());
        EXPECT_LE(width, area.Width());
        EXPECT_GE(last - first + 4, width) << "the whole name is drawn";
        // Long names may be smaller, never below legibility.
        EXPECT_GE(-label->Font()->Height(), 9);
        // The month is drawn in the year's size: one font, letters as tall as digits.
        EXPECT_EQ(label->Font()->Height(), c->YearLabel()->Font()->Height());
        auto inkTop = [&](const TRect& R) {
            for (int y = R.Top; y < R.Bottom; ++y)
                for (int x = R.Left; x < R.Right; ++x)
                    if (picture.Canvas()->Pixels(x, y) == clWhite) return y;
            return -1;
        };
        const int yearTop = inkTop(c->YearLabel()->BoundsRect());
        ASSERT_GE(yearTop, 0);
        EXPECT_NEAR(inkTop(area), yearTop, 1);
    }
    form.reset();
    ResetClock();
}

}  // namespace
