// The month calendar panel on the offscreen platform, driven by real clicks
// and keys.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine-controls/ostra_calendar.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/buttons.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

// Weekday columns as the locale setting numbers them.
constexpr int kMonday = 0;
constexpr int kSaturday = 5;
constexpr int kSunday = 6;

class CalendarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        // Wednesday 15 May 2024, mid-day.
        SetClockForTesting(EncodeDate(2024, 5, 15) + 0.5);
        SetLocaleFirstDayOfWeek(kSunday);
        FForm.reset(CreateForm<TForm>(nullptr));
        FForm->SetBounds(40, 40, 260, 240);
        FForm->Show();
    }
    void TearDown() override {
        FForm.reset();
        SetLocaleFirstDayOfWeek(-1);
        ResetClock();
        ResetFormatSettings();
    }

    TOstraCalendar* NewCalendar() {
        auto* c = new TOstraCalendar(FForm.get());
        c->SetParent(FForm.get());
        c->SetBounds(10, 10, 158, 160);
        c->SetOnSelectDate(TNotifyEvent([this](TObject*) { ++FSelected; }));
        c->SetOnChangeDate(TNotifyEvent([this](TObject*) { ++FChanged; }));
        ProcessEvents();
        return c;
    }

    static void Click(TControl* Control) { SendClick(Control, Control->Width() / 2, Control->Height() / 2); }

    // The captions of the 42 day buttons, "" for the empty ones.
    static std::vector<std::string> Captions(TOstraCalendar* c) {
        std::vector<std::string> out;
        for (int i = 1; i <= 42; ++i) out.push_back(c->DayButton(i)->Caption());
        return out;
    }
    // Index (1 .. 42) of the button showing Day, 0 when none does.
    static int IndexOfDay(TOstraCalendar* c, int Day) {
        for (int i = 1; i <= 42; ++i)
            if (c->DayButton(i)->Caption() == std::to_string(Day)) return i;
        return 0;
    }
    static int PressedDay(TOstraCalendar* c) {
        int found = 0;
        for (int i = 1; i <= 42; ++i)
            if (c->DayButton(i)->Down()) {
                EXPECT_EQ(0, found) << "two day buttons pressed";
                found = std::stoi(c->DayButton(i)->Caption());
            }
        return found;
    }
    // Checks that the month's days fill the buttons from First on, in order,
    // and that exactly those buttons are enabled.
    static void ExpectMonthLayout(TOstraCalendar* c, int First, int Days) {
        for (int i = 1; i <= 42; ++i) {
            const int n = i - First + 1;
            TSpeedButton* b = c->DayButton(i);
            if (n >= 1 && n <= Days) {
                EXPECT_EQ(std::to_string(n), b->Caption()) << "button " << i;
                EXPECT_TRUE(b->Enabled()) << "button " << i;
            } else {
                EXPECT_EQ("", b->Caption()) << "button " << i;
                EXPECT_FALSE(b->Enabled()) << "button " << i;
            }
        }
    }

    std::unique_ptr<TForm> FForm;
    int FSelected = 0;
    int FChanged = 0;
};

}  // namespace

// ---- Construction and layout ---------------------------------------------------------------

TEST_F(CalendarTest, StartsOnTodayWithFixedSizeAndTitleTexts) {
    TOstraCalendar* c = NewCalendar();
    EXPECT_EQ(EncodeDate(2024, 5, 15), c->Date());
    EXPECT_EQ(15, c->Day());
    EXPECT_EQ(5, c->Month());
    EXPECT_EQ(2024, c->Year());
    EXPECT_FALSE(c->DateSelected());
    EXPECT_EQ("05/15/2024", c->Text());
    EXPECT_EQ("May", c->MonthLabel()->Caption());
    EXPECT_EQ("2024", c->YearLabel()->Caption());
    EXPECT_EQ("Today is 05/15/2024", c->TodayLabel()->Caption());
    EXPECT_EQ(15, PressedDay(c));

    // Any size asked for keeps the panel at 158 x 160 where it was placed.
    c->SetBounds(30, 20, 400, 50);
    EXPECT_EQ(30, c->Left());
    EXPECT_EQ(20, c->Top());
    EXPECT_EQ(158, c->Width());
    EXPECT_EQ(160, c->Height());
    c->SetWidth(10);
    c->SetAlign(alClient);
    EXPECT_EQ(158, c->Width());
    EXPECT_EQ(160, c->Height());
}

TEST_F(CalendarTest, ChildrenSitWhereTheLayoutPutsThem) {
    TOstraCalendar* c = NewCalendar();
    // Buttons and texts share the title bar from left to right without overlapping.
    const std::vector<TControl*> title = {c->PrevYearButton(), c->PrevMonthButton(), c->MonthLabel(),
                                          c->YearLabel(),      c->NextMonthButton(), c->NextYearButton()};
    for (size_t i = 0; i < title.size(); ++i) {
        EXPECT_LE(title[i]->Top() + title[i]->Height(), 24) << i;
        if (i + 1 < title.size()) {
            EXPECT_LE(title[i]->Left() + title[i]->Width(), title[i + 1]->Left()) << i;
        }
    }
    EXPECT_LE(c->NextYearButton()->Left() + c->NextYearButton()->Width(), c->ClientWidth() - 2);
    // Six rows of seven buttons, 22 x 16 each, under the day names.
    for (int i = 1; i <= 42; ++i) {
        TSpeedButton* b = c->DayButton(i);
        EXPECT_EQ(
            Rect((i - 1) % 7 * 22 + 2, (i - 1) / 7 * 16 + 41, (i - 1) % 7 * 22 + 24, (i - 1) / 7 * 16 + 57),
            b->BoundsRect())
            << i;
    }
    // Each day name is centred over its column of buttons.
    for (int col = 1; col <= 7; ++col) {
        TLabel* name = c->DayNameLabel(col);
        TSpeedButton* b = c->DayButton(col);
        EXPECT_EQ(b->Left() * 2 + b->Width(), name->Left() * 2 + name->Width()) << col;
        EXPECT_EQ(25, name->Top());
        EXPECT_LE(name->Top() + name->Height(), 38);
        // Narrow enough to leave a gap to the next name.
        TBitmap probe;
        probe.Canvas()->SetFont(name->Font());
        EXPECT_LT(probe.Canvas()->TextWidth(name->Caption()), 22) << name->Caption();
    }
    // Title bar on top, today line at the bottom, inside the bevels.
    EXPECT_EQ(c->Height() - 2, c->TodayLabel()->Top() + c->TodayLabel()->Height());
    // The last row of days ends above the today line.
    EXPECT_LE(c->DayButton(42)->Top() + c->DayButton(42)->Height(), c->TodayLabel()->Top());
}

TEST_F(CalendarTest, HintsShowForTheNavigationAndLines) {
    TOstraCalendar* c = NewCalendar();
    EXPECT_TRUE(c->ShowHint());
    const struct {
        TControl* Control;
        const char* Hint;
    } expected[] = {{c->PrevYearButton(), "Previous year"},     {c->PrevMonthButton(), "Previous month"},
                    {c->NextMonthButton(), "Next month"},       {c->NextYearButton(), "Next year"},
                    {c->MonthLabel(), "Click to change month"}, {c->TodayLabel(), "Click to select today"}};
    for (const auto& e : expected) {
        EXPECT_TRUE(e.Control->ShowHint()) << e.Hint;
        // The mouse over the control makes its hint the application's.
        SendMouseMove(e.Control, e.Control->Width() / 2, e.Control->Height() / 2);
        EXPECT_EQ(e.Hint, Application->Hint());
    }
}

// ---- Week layout -------------------------------------------------------------------------

TEST_F(CalendarTest, WeekStartsOnSundayOrMondayAndMarksTheWeekendRed) {
    const struct {
        int FirstDay;  // of the locale: any but Sunday gives Monday first
        bool MondayFirst;
        const char* Names[7];
        int FirstRed, SecondRed;  // columns
        int FirstColumnOfMay;     // 1 May 2024 is a Wednesday
    } cases[] = {{kSunday, false, {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}, 1, 7, 4},
                 {kMonday, true, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}, 6, 7, 3},
                 {kSaturday, true, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}, 6, 7, 3}};
    for (const auto& w : cases) {
        SCOPED_TRACE(w.Names[0]);
        SetLocaleFirstDayOfWeek(w.FirstDay);
        TOstraCalendar* c = NewCalendar();
        EXPECT_EQ(w.MondayFirst, c->MondayFirst());
        for (int col = 1; col <= 7; ++col) {
            EXPECT_EQ(w.Names[col - 1], c->DayNameLabel(col)->Caption());
            const bool red = col == w.FirstRed || col == w.SecondRed;
            EXPECT_EQ(red, c->DayNameLabel(col)->Font()->Color() == clRed) << col;
            for (int row = 0; row < 6; ++row)
                EXPECT_EQ(red, c->DayButton(row * 7 + col)->Font()->Color() == clRed) << row << "/" << col;
        }
        ExpectMonthLayout(c, w.FirstColumnOfMay, 31);
        delete c;
    }
}

TEST_F(CalendarTest, MonthStartingInTheLastColumnFitsInSixWeeks) {
    TOstraCalendar* sundayFirst = NewCalendar();
    // March 2025 starts on a Saturday: the 31st lands in the sixth row.
    sundayFirst->SetDate(EncodeDate(2025, 3, 10));
    ExpectMonthLayout(sundayFirst, 7, 31);
    EXPECT_EQ(37, IndexOfDay(sundayFirst, 31));

    SetLocaleFirstDayOfWeek(kMonday);
    TOstraCalendar* mondayFirst = NewCalendar();
    // December 2024 starts on a Sunday.
    mondayFirst->SetDate(EncodeDate(2024, 12, 24));
    ExpectMonthLayout(mondayFirst, 7, 31);
    EXPECT_EQ(24, PressedDay(mondayFirst));
    // February 2021 starts on a Monday and fills exactly four rows.
    mondayFirst->SetDate(EncodeDate(2021, 2, 1));
    ExpectMonthLayout(mondayFirst, 1, 28);
}

// ---- Setters ----------------------------------------------------------------------------

TEST_F(CalendarTest, DayIsClampedWhenTheMonthChanges) {
    TOstraCalendar* c = NewCalendar();
    c->SetDate(EncodeDate(2024, 1, 10));
    c->SetDay(31);
    c->SetMonth(2);  // a leap year's February
    EXPECT_EQ(29, c->Day());
    EXPECT_EQ(EncodeDate(2024, 2, 29), c->Date());
    EXPECT_EQ(29, PressedDay(c));
    c->SetYear(2023);
    EXPECT_EQ(28, c->Day());
    EXPECT_EQ(EncodeDate(2023, 2, 28), c->Date());

    c->SetDay(0);
    EXPECT_EQ(1, c->Day());
    c->SetDay(45);
    EXPECT_EQ(28, c->Day());
    c->SetMonth(0);
    EXPECT_EQ(1, c->Month());
    c->SetMonth(13);
    EXPECT_EQ(12, c->Month());
    EXPECT_EQ(EncodeDate(2023, 12, 28), c->Date());
}

TEST_F(CalendarTest, YearOutsideTheShownYearsIsIgnoredButStillRebuilds) {
    TOstraCalendar* c = NewCalendar();
    FChanged = 0;
    c->SetYear(1900);
    EXPECT_EQ(2024, c->Year());
    c->SetYear(2100);
    EXPECT_EQ(2024, c->Year());
    EXPECT_EQ(2, FChanged);
    c->SetYear(1901);
    EXPECT_EQ(1901, c->Year());
    EXPECT_EQ(EncodeDate(1901, 5, 15), c->Date());
    c->SetYear(2099);
    EXPECT_EQ(2099, c->Year());
    EXPECT_EQ("2099", c->YearLabel()->Caption());
}

TEST_F(CalendarTest, DateOutsideItsRangeBecomesToday) {
    TOstraCalendar* c = NewCalendar();
    c->SetDate(EncodeDate(1899, 12, 31));
    EXPECT_EQ(EncodeDate(2024, 5, 15), c->Date());
    c->SetDate(EncodeDate(1900, 1, 1));
    EXPECT_EQ(EncodeDate(1900, 1, 1), c->Date());
    EXPECT_EQ(1900, c->Year());
    c->SetDate(EncodeDate(2100, 1, 1));
    EXPECT_EQ(EncodeDate(2100, 1, 1), c->Date());
    c->SetDate(EncodeDate(2100, 1, 2));
    EXPECT_EQ(EncodeDate(2024, 5, 15), c->Date());
    c->SetDate(EncodeDate(2010, 7, 4));
    c->SetDate(std::nan(""));
    EXPECT_EQ(EncodeDate(2024, 5, 15), c->Date());
    // A time of day is dropped by the rebuild.
    c->SetDate(EncodeDate(2010, 7, 4) + 0.75);
    EXPECT_EQ(EncodeDate(2010, 7, 4), c->Date());
}

TEST_F(CalendarTest, TextReadsAndTakesShortDates) {
    TOstraCalendar* c = NewCalendar();
    c->SetText("02/29/2024");
    EXPECT_EQ(EncodeDate(2024, 2, 29), c->Date());
    EXPECT_EQ("02/29/2024", c->Text());
    c->SetText("not a date");
    c->SetText("02/30/2024");
    c->SetText("");
    EXPECT_EQ(EncodeDate(2024, 2, 29), c->Date());
    FormatSettings().ShortDateFormat = "dd.mm.yyyy";
    FormatSettings().DateSeparator = '.';
    c->SetText("03.04.2022");
    EXPECT_EQ(EncodeDate(2022, 4, 3), c->Date());
    EXPECT_EQ("03.04.2022", c->Text());
}

// ---- Navigation -------------------------------------------------------------------------

TEST_F(CalendarTest, MonthButtonsCrossYearBoundaries) {
    TOstraCalendar* c = NewCalendar();
    c->SetDate(EncodeDate(2024, 1, 31));
    Click(c->PrevMonthButton());
    EXPECT_EQ(EncodeDate(2023, 12, 31), c->Date());
    EXPECT_EQ("December", c->MonthLabel()->Caption());
    EXPECT_EQ("2023", c->YearLabel()->Caption());
    Click(c->NextMonthButton());
    Click(c->NextMonthButton());
    // 31 January goes to the 29th of February.
    EXPECT_EQ(EncodeDate(2024, 2, 29), c->Date());
    c->SetMonth(12);
    Click(c->NextMonthButton());
    EXPECT_EQ(EncodeDate(2025, 1, 29), c->Date());
    Click(c->PrevYearButton());
    EXPECT_EQ(EncodeDate(2024, 1, 29), c->Date());
    Click(c->NextYearButton());
    Click(c->NextYearButton());
    EXPECT_EQ(EncodeDate(2026, 1, 29), c->Date());
    // Navigation rebuilds; it selects nothing.
    EXPECT_EQ(0, FSelected);
    EXPECT_FALSE(c->DateSelected());
}

TEST_F(CalendarTest, NavigationStopsAtTheFirstAndLastShownYear) {
    TOstraCalendar* c = NewCalendar();
    c->SetDate(EncodeDate(1901, 1, 15));
    Click(c->PrevMonthButton());
    EXPECT_EQ(EncodeDate(1901, 1, 15), c->Date());
    Click(c->PrevYearButton());
    EXPECT_EQ(EncodeDate(1901, 1, 15), c->Date());
    Click(c->NextMonthButton());
    EXPECT_EQ(EncodeDate(1901, 2, 15), c->Date());

    c->SetDate(EncodeDate(2099, 12, 15));
    Click(c->NextMonthButton());
    EXPECT_EQ(EncodeDate(2099, 12, 15), c->Date());
    Click(c->NextYearButton());
    EXPECT_EQ(EncodeDate(2099, 12, 15), c->Date());
    EXPECT_EQ("December", c->MonthLabel()->Caption());
    Click(c->PrevMonthButton());
    EXPECT_EQ(EncodeDate(2099, 11, 15), c->Date());

    // The edge dates Date accepts lead back into the shown years only.
    c->SetDate(EncodeDate(1900, 1, 1));
    Click(c->PrevMonthButton());
    EXPECT_EQ(EncodeDate(1900, 1, 1), c->Date());
    c->SetDate(EncodeDate(2100, 1, 1));
    Click(c->PrevMonthButton());
    EXPECT_EQ(EncodeDate(2099, 12, 1), c->Date());
}

TEST_F(CalendarTest, MonthMenuListsTheMonthsBelowTheLabel) {
    TOstraCalendar* c = NewCalendar();
    TTestMenus menus;
    menus.Answer("03. March");
    Click(c->MonthLabel());
    ASSERT_EQ(1u, menus.Opened().size());
    const std::vector<std::string> expected = {
        "01. January", "02. February", "03. March",     "04. April",   "05. May",      "06. June",
        "07. July",    "08. August",   "09. September", "10. October", "11. November", "12. December"};
    EXPECT_EQ(expected, menus.Opened()[0]);
    const TPoint origin = c->MonthLabel()->ClientToScreen({0, 0});
    EXPECT_EQ(Point(origin.X, origin.Y + 13), menus.Positions()[0]);
    EXPECT_EQ(3, c->Month());
    EXPECT_EQ(EncodeDate(2024, 3, 15), c->Date());
    for (int i = 1; i <= 12; ++i) {
        TMenuItem* item = c->MonthMenu()->Items()->Items(i - 1);
        EXPECT_EQ("N" + std::to_string(i), item->Name());
        EXPECT_EQ(i, item->Tag());
    }
    // Closing the menu without a choice changes nothing.
    Click(c->MonthLabel());
    EXPECT_EQ(3, c->Month());
    // The label's own pop-up menu is the month menu.
    EXPECT_EQ(c->MonthMenu(), c->MonthLabel()->PopupMenu());
}

// ---- Choosing a date -------------------------------------------------------------------------

TEST_F(CalendarTest, DayClickSelectsThatDay) {
    TOstraCalendar* c = NewCalendar();
    FChanged = 0;
    TSpeedButton* b = c->DayButton(IndexOfDay(c, 20));
    Click(b);
    EXPECT_TRUE(c->DateSelected());
    EXPECT_EQ(1, FSelected);
    EXPECT_EQ(20, c->Day());
    EXPECT_EQ(EncodeDate(2024, 5, 20), c->Date());
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(20, PressedDay(c));
    EXPECT_EQ(0, FChanged);
    // An empty button outside the month is disabled: a click does nothing.
    Click(c->DayButton(1));
    EXPECT_EQ(1, FSelected);
    EXPECT_EQ(20, c->Day());
}

TEST_F(CalendarTest, TodayLineGoesBackToTodayAndSelects) {
    TOstraCalendar* c = NewCalendar();
    c->SetDate(EncodeDate(2031, 8, 3));
    Click(c->TodayLabel());
    EXPECT_EQ(EncodeDate(2024, 5, 15), c->Date());
    EXPECT_EQ("May", c->MonthLabel()->Caption());
    EXPECT_EQ(15, PressedDay(c));
    EXPECT_TRUE(c->DateSelected());
    EXPECT_EQ(1, FSelected);
}

TEST_F(CalendarTest, EnterSelectsAndEscapeCancels) {
    TOstraCalendar* c = NewCalendar();
    SendKey(c, VK_RETURN);
    EXPECT_TRUE(c->DateSelected());
    EXPECT_EQ(1, FSelected);
    SendKey(c, VK_ESCAPE);
    EXPECT_FALSE(c->DateSelected());
    EXPECT_EQ(1, FSelected);
    // Other keys do nothing.
    const TDateTime before = c->Date();
    SendKey(c, VK_RIGHT);
    SendKey(c, 'A');
    SendKey(c, VK_NEXT);
    EXPECT_EQ(before, c->Date());
    EXPECT_EQ(1, FSelected);
}

// ---- Painting ------------------------------------------------------------------------------

TEST_F(CalendarTest, PaintsTitleBarTodayLineAndRedWeekend) {
    TOstraCalendar* c = NewCalendar();
    const std::string file = GetTempDir() + "/ostra_calendar.png";
    ASSERT_TRUE(RenderControlToPng(c, file));
    TBitmap bmp;
    RenderControl(c, &bmp);
    ASSERT_EQ(158, bmp.Width());
    ASSERT_EQ(160, bmp.Height());
    const TColor caption = ColorToRGB(clActiveCaption);
    // Between the year label and ">" and below the today text: caption colour.
    EXPECT_EQ(caption, bmp.Canvas()->Pixels(118, 21));
    EXPECT_EQ(caption, bmp.Canvas()->Pixels(5, 141));
    // The Sunday column's numbers show red pixels, the Monday column's none.
    auto hasRed = [&](int Index) {
        TSpeedButton* b = c->DayButton(Index);
        for (int y = b->Top(); y < b->Top() + b->Height(); ++y)
            for (int x = b->Left(); x < b->Left() + b->Width(); ++x) {
                const TColor p = bmp.Canvas()->Pixels(x, y);
                if (GetRValue(p) > 160 && GetGValue(p) < 90 && GetBValue(p) < 90) return true;
            }
        return false;
    };
    EXPECT_TRUE(hasRed(8));   // Sunday 5 May
    EXPECT_FALSE(hasRed(9));  // Monday 6 May
}
