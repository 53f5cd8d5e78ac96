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

TEST_F(DateScan, MonthDayYear) {
    TDateTime d = 0;
    ASSERT_TRUE(ScanDate("2/3/04", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    ASSERT_TRUE(ScanDate("2/3", d));
    EXPECT_EQ(d, Date(2021, 2, 3));  // the current year
    ASSERT_TRUE(ScanDate("Feb/3/2004", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    ASSERT_TRUE(ScanDate(" feb / 3 / 2004 ", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    EXPECT_FALSE(ScanDate("2/30/2004", d));
    EXPECT_FALSE(ScanDate("12345/1/1", d));  // a number stops after four digits
    EXPECT_FALSE(ScanDate("2/", d));
    EXPECT_FALSE(ScanDate("2/3/", d));
    EXPECT_FALSE(ScanDate("Febr/3/2004", d));
}

TEST_F(DateScan, DayMonthYearAndYearMonthDay) {
    TDateTime d = 0;
    UseFormat("dd.MM.yyyy", '.');
    ASSERT_TRUE(ScanDate("3.2.04", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    ASSERT_TRUE(ScanDate("3.2", d));
    EXPECT_EQ(d, Date(2021, 2, 3));
    UseFormat("yyyy-MM-dd", '-');
    ASSERT_TRUE(ScanDate("04-02-03", d));
    EXPECT_EQ(d, Date(2004, 2, 3));
    ASSERT_TRUE(ScanDate("2-3", d));  // no year: month first
    EXPECT_EQ(d, Date(2021, 2, 3));
}

TEST_F(DateScan, TwoDigitYearsOnBothSidesOfTheEpoch) {
    TDateTime d = 0;
    ASSERT_TRUE(ScanDate("1/1/49", d));
    EXPECT_EQ(d, Date(2049, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/50", d));
    EXPECT_EQ(d, Date(1950, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/0", d));
    EXPECT_EQ(d, Date(2000, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/0000", d));
    EXPECT_EQ(d, Date(2000, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/100", d));
    EXPECT_EQ(d, Date(100, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/99", d, 2000));
    EXPECT_EQ(d, Date(2099, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/99", d, 1990));
    EXPECT_EQ(d, Date(1999, 1, 1));
    ASSERT_TRUE(ScanDate("1/1/89", d, 1990));
    EXPECT_EQ(d, Date(2089, 1, 1));
    // Extreme epochs give no year rather than an overflow.
    EXPECT_FALSE(ScanDate("1/1/5", d, 2147483647));
    EXPECT_FALSE(ScanDate("1/1/5", d, -2147483647 - 1));
}

TEST_F(DateScan, TimesWithDesignators) {
    TDateTime t = -1;
    ASSERT_TRUE(ScanTime("12:30 AM", t));
    EXPECT_DOUBLE_EQ(t, Time(0, 30, 0));
    ASSERT_TRUE(ScanTime("12:30 pm", t));
    EXPECT_DOUBLE_EQ(t, Time(12, 30, 0));
    ASSERT_TRUE(ScanTime("1:05PM", t));
    EXPECT_DOUBLE_EQ(t, Time(13, 5, 0));
    EXPECT_FALSE(ScanTime("13:00 PM", t));
    EXPECT_FALSE(ScanTime("0:10 AM", t));
    ASSERT_TRUE(ScanTime("7:05:09", t));
    EXPECT_DOUBLE_EQ(t, Time(7, 5, 9));
    EXPECT_FALSE(ScanTime("7:05:", t));
    EXPECT_FALSE(ScanTime("24:00", t));
    EXPECT_FALSE(ScanTime("7:60", t));
    // The locale's own designator counts first; an empty one never matches.
    FormatSettings().TimePMString = "nm";
    FormatSettings().TimeAMString = "";
    ASSERT_TRUE(ScanTime("3:00 nm", t));
    EXPECT_DOUBLE_EQ(t, Time(15, 0, 0));
    ASSERT_TRUE(ScanTime("3:00 am", t));
    EXPECT_DOUBLE_EQ(t, Time(3, 0, 0));
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
    qzDateTimePartSelection(qzdpMonth, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "12");
    qzDateTimePartSelection(qzdpDay, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "31");
    qzDateTimePartSelection(qzdpYear, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "2004");
    qzDateTimePartSelection(qzdpHour, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "10");
    qzDateTimePartSelection(qzdpMinute, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "30");
    qzDateTimePartSelection(qzdpSecond, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "45");
    qzDateTimePartSelection(qzdpAmPm, text, false, start, length);
    EXPECT_EQ(text.substr(start, length), "PM");
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
    double v = 99;
    ASSERT_TRUE(qzParseFormattedFloat("(1,234.50)", v, ""));
    EXPECT_DOUBLE_EQ(v, -1234.5);
    ASSERT_TRUE(qzParseFormattedFloat("$ 12", v, ""));
    EXPECT_DOUBLE_EQ(v, 12);
    ASSERT_TRUE(qzParseFormattedFloat("1.5E+3", v, ""));
    EXPECT_DOUBLE_EQ(v, 1500);
    ASSERT_TRUE(qzParseFormattedFloat("-$7.25", v, ""));
    EXPECT_DOUBLE_EQ(v, -7.25);
    v = 5;
    ASSERT_TRUE(qzParseFormattedFloat("", v, ""));
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(qzParseFormattedFloat("abc", v, ""));
    EXPECT_FALSE(qzParseFormattedFloat("1.2.3", v, ""));
    // A negative section without a minus sign: the text only the negative
    // value formats to reads as negative.
    ASSERT_TRUE(qzParseFormattedFloat("<5.00>", v, "0.00;<0.00>"));
    EXPECT_DOUBLE_EQ(v, -5);
    ASSERT_TRUE(qzParseFormattedFloat("5.00", v, "0.00;<0.00>"));
    EXPECT_DOUBLE_EQ(v, 5);
    // Other separators.
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    ASSERT_TRUE(qzParseFormattedFloat("1.234,5", v, ""));
    EXPECT_DOUBLE_EQ(v, 1234.5);
}
