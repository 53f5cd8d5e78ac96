// Date scanning: dates and times in text, calendar routines and the date part under the caret.
#include "suite/base/date_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"

namespace {

class DateScan : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        FormatSettings().ShortDateFormat = "M/d/yyyy";
        FormatSettings().DateSeparator = '/';
        SetClockForTesting(EncodeDate(2021, 6, 15) + 0.5);
    }
    void TearDown() override {
        ResetFormatSettings();
        ResetClock();
    }

    static void UseFormat(const char* format, char separator) {
        FormatSettings().ShortDateFormat = format;
        FormatSettings().DateSeparator = separator;
    }
    static TDateTime Date(int y, int m, int d) { return EncodeDate(y, m, d); }
    static TDateTime Time(int h, int n, int s) { return EncodeTime(h, n, s, 0); }
    static bool ScanDate(const std::string& text, TDateTime& value, int epoch = 1950) {
        int pos = 1;
        return qzScanDate(text, pos, value, epoch);
    }
    static bool ScanTime(const std::string& text, TDateTime& value) {
        int pos = 1;
        return qzScanTime(text, pos, value);
    }
};

}  // namespace

// A date read in the given order; 0 stands for a text that is refused.
TEST_F(DateScan, DatesInEachOrderAndEpoch) {
    struct Case {
        const char* format;
        char separator;
        const char* text;
        int epoch;
        TDateTime expected;
    };
    const Case cases[] = {
        {"M/d/yyyy", '/', "2/3/04", 1950, Date(2004, 2, 3)},
        {"M/d/yyyy", '/', "2/3", 1950, Date(2021, 2, 3)},  // the current year
        {"M/d/yyyy", '/', "Feb/3/2004", 1950, Date(2004, 2, 3)},
        {"M/d/yyyy", '/', " feb / 3 / 2004 ", 1950, Date(2004, 2, 3)},
        {"M/d/yyyy", '/', "2/30/2004", 1950, 0},
        {"M/d/yyyy", '/', "12345/1/1", 1950, 0},  // a number stops after four digits
        {"M/d/yyyy", '/', "2/", 1950, 0},
        {"M/d/yyyy", '/', "2/3/", 1950, 0},
        {"M/d/yyyy", '/', "Febr/3/2004", 1950, 0},
        {"dd.MM.yyyy", '.', "3.2.04", 1950, Date(2004, 2, 3)},
        {"dd.MM.yyyy", '.', "3.2", 1950, Date(2021, 2, 3)},
        {"yyyy-MM-dd", '-', "04-02-03", 1950, Date(2004, 2, 3)},
        {"yyyy-MM-dd", '-', "2-3", 1950, Date(2021, 2, 3)},  // no year: month first
        // Two-digit years on both sides of the epoch.
        {"M/d/yyyy", '/', "1/1/49", 1950, Date(2049, 1, 1)},
        {"M/d/yyyy", '/', "1/1/50", 1950, Date(1950, 1, 1)},
        {"M/d/yyyy", '/', "1/1/0", 1950, Date(2000, 1, 1)},
        {"M/d/yyyy", '/', "1/1/0000", 1950, Date(2000, 1, 1)},
        {"M/d/yyyy", '/', "1/1/100", 1950, Date(100, 1, 1)},
        {"M/d/yyyy", '/', "1/1/99", 2000, Date(2099, 1, 1)},
        {"M/d/yyyy", '/', "1/1/99", 1990, Date(1999, 1, 1)},
        {"M/d/yyyy", '/', "1/1/89", 1990, Date(2089, 1, 1)},
        // Extreme epochs give no year rather than an overflow.
        {"M/d/yyyy", '/', "1/1/5", 2147483647, 0},
        {"M/d/yyyy", '/', "1/1/5", -2147483647 - 1, 0},
    };
    for (const Case& c : cases) {
        UseFormat(c.format, c.separator);
        TDateTime d = -1;
        const bool read = ScanDate(c.text, d, c.epoch);
        EXPECT_EQ(read, c.expected != 0) << c.format << " " << c.text;
        if (read) {
            EXPECT_EQ(d, c.expected) << c.format << " " << c.text;
        }
    }
}

// A year written with three or four digits is that year, as a date of the
// years 1 to 99 shows: read back, it stays in its century.
TEST_F(DateScan, AYearOfThreeOrFourDigitsIsNotPivoted) {
    TDateTime d = 0;
    UseFormat("M/d/yyyy", '/');
    ASSERT_TRUE(ScanDate(DateToStr(Date(1, 1, 1)), d));
    EXPECT_EQ(d, Date(1, 1, 1)) << DateToStr(Date(1, 1, 1));
    ASSERT_TRUE(ScanDate("12/31/ 0099", d));
    EXPECT_EQ(d, Date(99, 12, 31));
    ASSERT_TRUE(ScanDate("2/29/004", d));
    EXPECT_EQ(d, Date(4, 2, 29));
    ASSERT_TRUE(ScanDate("1/1/01", d));  // two digits: by the epoch
    EXPECT_EQ(d, Date(2001, 1, 1));
    UseFormat("yyyy-MM-dd", '-');
    ASSERT_TRUE(ScanDate("0012-03-04", d));
    EXPECT_EQ(d, Date(12, 3, 4));
    ASSERT_TRUE(ScanDate("12-03-04", d));
    EXPECT_EQ(d, Date(2012, 3, 4));
    UseFormat("dd.MM.yyyy", '.');
    EXPECT_EQ(qzTextToDate("4.3.0012"), Date(12, 3, 4));
}

// A time read with or without designators; -1 stands for a refused text.
TEST_F(DateScan, TimesWithDesignators) {
    const std::pair<const char*, TDateTime> english[] = {
        {"12:30 AM", Time(0, 30, 0)},
        {"12:30 pm", Time(12, 30, 0)},
        {"1:05PM", Time(13, 5, 0)},
        {"13:00 PM", -1},
        {"0:10 AM", -1},
        {"7:05:09", Time(7, 5, 9)},
        {"7:05:", -1},
        {"24:00", -1},
        {"7:60", -1},
    };
    // The locale's own designator counts first; an empty one never matches.
    const std::pair<const char*, TDateTime> own[] = {{"3:00 nm", Time(15, 0, 0)}, {"3:00 am", Time(3, 0, 0)}};
    auto check = [&](const auto& cases) {
        for (const auto& [text, expected] : cases) {
            TDateTime t = -1;
            EXPECT_EQ(ScanTime(text, t), expected >= 0) << text;
            if (expected >= 0) {
                EXPECT_DOUBLE_EQ(t, expected) << text;
            }
        }
    };
    check(english);
    FormatSettings().TimePMString = "nm";
    FormatSettings().TimeAMString = "";
    check(own);
}

// Month names and the afternoon word of any script, without case.
TEST_F(DateScan, MonthNamesAndTimeWordsFoldBeyondLatin) {
    FormatSettings().ShortMonthNames[1] = "Φεβ";
    FormatSettings().TimePMString = "μμ";
    TDateTime value = 0;
    ASSERT_TRUE(ScanDate("φΕΒ/3/2004", value));
    EXPECT_DOUBLE_EQ(Date(2004, 2, 3), value);
    ASSERT_TRUE(ScanTime("3:04 ΜΜ", value));
    EXPECT_DOUBLE_EQ(Time(15, 4, 0), value);
}

TEST_F(DateScan, FailedStepsLeaveThePositionAlone) {
    int pos = 1;
    int value = 0;
    EXPECT_FALSE(qzScanNumberOrMonth("x1", pos, value));
    EXPECT_EQ(pos, 1);
    pos = 1;
    ASSERT_TRUE(qzScanNumberOrMonth("  12345", pos, value));
    EXPECT_EQ(value, 1234);
    EXPECT_EQ(pos, 7);
    pos = 1;
    ASSERT_TRUE(qzScanNumberOrMonth("dec", pos, value));
    EXPECT_EQ(value, 12);
    EXPECT_EQ(pos, 4);
    pos = 3;
    EXPECT_FALSE(qzScanChar("ab", pos, 'a'));
    EXPECT_EQ(pos, 3);
    pos = 1;
    EXPECT_FALSE(qzScanText("a", pos, ""));
    EXPECT_TRUE(qzScanText(" Pm!", pos, "PM"));
    EXPECT_EQ(pos, 4);
    TDateTime d;
    pos = 1;
    EXPECT_FALSE(qzScanDate("2/30/2004", pos, d));
    EXPECT_EQ(pos, 1);
}

TEST_F(DateScan, WholeTextTests) {
    EXPECT_TRUE(qzIsDateText("2/3/2004"));
    EXPECT_FALSE(qzIsDateText("2/3/2004x"));
    TDateTime d = 0;
    EXPECT_TRUE(qzTryTextToDate("2/3/2004x", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    EXPECT_TRUE(qzTryTextToDateEpoch("2/3/04", d, 1900));
    EXPECT_EQ(d, Date(1904, 2, 3));
    EXPECT_EQ(qzTextToDate("nonsense"), 0);
    EXPECT_TRUE(qzIsTimeText("10:15"));
    EXPECT_FALSE(qzIsTimeText("10:15 x"));
    EXPECT_DOUBLE_EQ(qzTextToTime("6:00 PM"), Time(18, 0, 0));
    EXPECT_EQ(qzTextToTime("6:00 PM x"), 0);
    EXPECT_TRUE(qzIsDateTimeText("2/3/2004 10:15"));
    EXPECT_FALSE(qzIsDateTimeText("2/3/2004"));
    EXPECT_DOUBLE_EQ(qzTextToDateTime("2/3/2004 6:00 AM"), Date(2004, 2, 3) + 0.25);
    EXPECT_EQ(qzTextToDateTime("2/3/2004"), 0);
}

TEST_F(DateScan, DateTimeBeforeDayZeroKeepsItsTimeOfDay) {
    const TDateTime v = qzTextToDateTime("12/29/1899 6:00");
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
    EXPECT_EQ(h, 6);
}

TEST_F(DateScan, NumbersInText) {
    EXPECT_FALSE(qzIsIntegerText("-"));
    EXPECT_TRUE(qzIsIntegerText("-5"));
    EXPECT_TRUE(qzIsIntegerText(""));
    EXPECT_FALSE(qzIsIntegerText("5-"));
    EXPECT_FALSE(qzIsIntegerText("1.5"));
    EXPECT_TRUE(qzIsFloatText(""));
    EXPECT_TRUE(qzIsFloatText("1.5"));
    EXPECT_FALSE(qzIsFloatText("1.5x"));
    EXPECT_FALSE(qzIsFloatText("1" + std::string(62, '0') + "x"));  // the whole text is read
}

TEST_F(DateScan, CalendarRoutines) {
    EXPECT_EQ(qzGetDateOrder("M/d/yyyy"), qzdoMDY);
    EXPECT_EQ(qzGetDateOrder("dd.MM.yy"), qzdoDMY);
    EXPECT_EQ(qzGetDateOrder("YYYY-mm-dd"), qzdoYMD);
    EXPECT_EQ(qzGetDateOrder("hh:nn"), qzdoMDY);
    EXPECT_TRUE(qzIsLeapYear(2000));
    EXPECT_FALSE(qzIsLeapYear(1900));
    EXPECT_TRUE(qzIsLeapYear(2004));
    TDateTime d = 0;
    ASSERT_TRUE(qzTryEncodeDate(1899, 12, 30, d));
    EXPECT_EQ(d, 0);
    ASSERT_TRUE(qzTryEncodeDate(2004, 2, 29, d));
    EXPECT_EQ(d, Date(2004, 2, 29));
    EXPECT_FALSE(qzTryEncodeDate(2003, 2, 29, d));
    EXPECT_FALSE(qzTryEncodeDate(0, 1, 1, d));
    EXPECT_FALSE(qzTryEncodeDate(10000, 1, 1, d));
    TDateTime t = 0;
    ASSERT_TRUE(qzTryEncodeTime(23, 59, 59, 999, t));
    EXPECT_LT(t, 1.0);
    EXPECT_FALSE(qzTryEncodeTime(12, 0, 0, 1000, t));
}

TEST_F(DateScan, SteppingDaysWrapsAtMonthEnds) {
    EXPECT_EQ(qzNextDayInMonth(2004, 2, 28), 29);
    EXPECT_EQ(qzNextDayInMonth(2004, 2, 29), 1);
    EXPECT_EQ(qzNextDayInMonth(2003, 2, 28), 1);
    EXPECT_EQ(qzNextDayInMonth(2004, 12, 31), 1);
    EXPECT_EQ(qzNextDayInMonth(2004, 4, 31), 1);  // past the month's end
    EXPECT_EQ(qzPrevDayInMonth(2004, 3, 1), 31);
    EXPECT_EQ(qzPrevDayInMonth(2004, 2, 1), 29);
    EXPECT_EQ(qzPrevDayInMonth(2005, 1, 1), 31);
    EXPECT_EQ(qzPrevDayInMonth(2005, 1, 15), 14);
}

TEST_F(DateScan, PartUnderTheCaret) {
    const std::string text = "12/31/2004 10:30:45 PM";
    EXPECT_EQ(qzDateTimePartAtPos(0, text, false), qzdpMonth);
    EXPECT_EQ(qzDateTimePartAtPos(2, text, false), qzdpMonth);
    EXPECT_EQ(qzDateTimePartAtPos(3, text, false), qzdpDay);
    EXPECT_EQ(qzDateTimePartAtPos(6, text, false), qzdpYear);
    EXPECT_EQ(qzDateTimePartAtPos(10, text, false), qzdpYear);
    EXPECT_EQ(qzDateTimePartAtPos(11, text, false), qzdpHour);  // after the blank
    EXPECT_EQ(qzDateTimePartAtPos(14, text, false), qzdpMinute);
    EXPECT_EQ(qzDateTimePartAtPos(19, text, false), qzdpSecond);
    EXPECT_EQ(qzDateTimePartAtPos(21, text, false), qzdpAmPm);
    UseFormat("dd.MM.yyyy", '.');
    EXPECT_EQ(qzDateTimePartAtPos(1, "31.12.2004", false), qzdpDay);
    EXPECT_EQ(qzDateTimePartAtPos(4, "31.12.2004", false), qzdpMonth);
    EXPECT_EQ(qzDateTimePartAtPos(7, "31.12.2004", false), qzdpYear);
    UseFormat("yyyy-MM-dd", '-');
    EXPECT_EQ(qzDateTimePartAtPos(1, "2004-12-31", false), qzdpYear);
    EXPECT_EQ(qzDateTimePartAtPos(9, "2004-12-31", false), qzdpDay);
    // Time only.
    EXPECT_EQ(qzTimePartAtPos(0, "10:30"), qzdpHour);
    EXPECT_EQ(qzTimePartAtPos(2, "10:30"), qzdpHour);
    EXPECT_EQ(qzTimePartAtPos(4, "10:30"), qzdpMinute);
}

TEST_F(DateScan, SelectingAPart) {
    const std::string text = "12/31/2004 10:30:45 PM";
    int start = -1, length = -1;
    const std::pair<uint8_t, const char*> parts[] = {
        {qzdpMonth, "12"},  {qzdpDay, "31"},    {qzdpYear, "2004"}, {qzdpHour, "10"},
        {qzdpMinute, "30"}, {qzdpSecond, "45"}, {qzdpAmPm, "PM"}};
    for (const auto& [part, shown] : parts) {
        qzDateTimePartSelection(part, text, false, start, length);
        EXPECT_EQ(text.substr(start, length), shown);
    }
    qzDateTimePartSelection(qzdpMinute, "10:30", true, start, length);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(length, 2);
    // No date: nothing is selected for a time part.
    qzDateTimePartSelection(qzdpHour, "x 10:30", false, start, length);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(length, 0);

    struct Edit {
        std::string text = "2/3/2004";
        int selStart = 0, selLength = 0;
        const std::string& Text() const { return text; }
        void SetSelStart(int v) { selStart = v; }
        void SetSelLength(int v) { selLength = v; }
    } edit;
    qzSelectDateTimePart(qzdpYear, &edit, false);
    EXPECT_EQ(edit.selStart, 4);
    EXPECT_EQ(edit.selLength, 4);
}

TEST_F(DateScan, NumbersFromDisplayText) {
    struct Case {
        const char* text;
        const char* format;
        bool read;
        double value;
    };
    const Case cases[] = {
        {"(1,234.50)", "", true, -1234.5},
        {"$ 12", "", true, 12},
        {"1.5E+3", "", true, 1500},
        {"-$7.25", "", true, -7.25},
        {"", "", true, 0},
        {"abc", "", false, 0},
        {"1.2.3", "", false, 0},
        // A negative section without a minus sign: the text only the negative
        // value formats to reads as negative.
        {"<5.00>", "0.00;<0.00>", true, -5},
        {"5.00", "0.00;<0.00>", true, 5},
    };
    for (const Case& c : cases) {
        double v = 99;
        EXPECT_EQ(qzParseFormattedFloat(c.text, v, c.format), c.read) << c.text;
        if (c.read) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    // Other separators.
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    double v = 0;
    ASSERT_TRUE(qzParseFormattedFloat("1.234,5", v, ""));
    EXPECT_DOUBLE_EQ(v, 1234.5);
}
