// Dates, times, time stamps, date texts and the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "support/core/core_test_support.h"

namespace {

class DateTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        SetClockForTesting(EncodeDate(2025, 6, 15) + EncodeTime(9, 30, 0, 0));
    }
    void TearDown() override {
        ResetFormatSettings();
        ResetClock();
    }
};

struct TYmd {
    int Y, M, D;
    bool operator==(const TYmd&) const = default;
};

TYmd Ymd(TDateTime v) {
    TYmd r;
    DecodeDate(v, r.Y, r.M, r.D);
    return r;
}

std::ostream& operator<<(std::ostream& os, const TYmd& d) { return os << d.Y << "-" << d.M << "-" << d.D; }

// 3 February 2004 (a Tuesday), 14:05:09.007
TDateTime Sample() { return EncodeDate(2004, 2, 3) + EncodeTime(14, 5, 9, 7); }

}  // namespace

// ---------------------------------------------------------------------------
// Calendar

TEST_F(DateTimeTest, DayNumbers) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST_F(DateTimeTest, EncodeRejectsInvalidParts) {
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, v));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, v));
    EXPECT_FALSE(TryEncodeDate(2024, 4, 31, v));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, v));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, v));
    EXPECT_EQ(ErrorOf([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
    EXPECT_EQ(ErrorOf([] { EncodeTime(25, 0, 0, 0); }), "Invalid argument to time encode");
}

TEST_F(DateTimeTest, EveryDayDecodesBackToItself) {
    int y = 1, m = 1, d = 1;
    for (int day = -693593; day <= 2958465; ++day) {
        int yy, mm, dd;
        DecodeDate(day, yy, mm, dd);
        ASSERT_TRUE(yy == y && mm == m && dd == d) << day;
        if (++d > DaysInAMonth(y, m)) {
            d = 1;
            if (++m > 12) m = 1, ++y;
        }
    }
}

TEST_F(DateTimeTest, DecodeTimeAndWeekdays) {
    int h, n, s, ms;
    DecodeTime(Sample(), h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 140509007);
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);    // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);    // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);  // Sunday
    int y, m, d, dow;
    EXPECT_TRUE(DecodeDateFully(EncodeDate(2024, 7, 4), y, m, d, dow));
    EXPECT_EQ(dow, 5);  // Thursday
    EXPECT_FALSE(DecodeDateFully(EncodeDate(2023, 7, 4), y, m, d, dow));
}

TEST_F(DateTimeTest, IncMonthClampsToMonthEnd) {
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2023, 1, 31))), (TYmd{2023, 2, 28}));
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 31))), (TYmd{2024, 2, 29}));
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 2, 29), 12)), (TYmd{2025, 2, 28}));
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 3, 31), -1)), (TYmd{2024, 2, 29}));
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2023, 12, 15))), (TYmd{2024, 1, 15}));
    EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 15), -13)), (TYmd{2022, 12, 15}));
    const TDateTime withTime = IncMonth(EncodeDate(2024, 1, 31) + EncodeTime(10, 30, 0, 0));
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", withTime), "2024-02-29 10:30");
    // Before day 0 the time of day is kept as well.
    const TDateTime old = EncodeDate(1899, 11, 15) - 0.25;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", IncMonth(old)), "1899-12-15 06:00");
    EXPECT_EQ(ErrorOf([] { IncMonth(EncodeDate(9999, 12, 1)); }), "Invalid argument to date encode");
    EXPECT_EQ(ErrorOf([] { IncMonth(EncodeDate(1, 1, 1), -1); }), "Invalid argument to date encode");
}

// ---------------------------------------------------------------------------
// Time stamps

TEST_F(DateTimeTest, TimeStampsOnBothSidesOfDayZero) {
    TTimeStamp ts = DateTimeToTimeStamp(0);
    EXPECT_EQ(ts.Date, 693594);
    EXPECT_EQ(ts.Time, 0);
    ts = DateTimeToTimeStamp(EncodeDate(1, 1, 1));
    EXPECT_EQ(ts.Date, 1);
    // -1.25 is 29 December 1899 at 06:00: the fraction counts from midnight.
    ts = DateTimeToTimeStamp(-1.25);
    EXPECT_EQ(ts.Date, 693593);
    EXPECT_EQ(ts.Time, 6 * 3600000);
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(ts), -1.25);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25), "1899-12-29 06:00");
    const TDateTime early = EncodeDate(1066, 10, 14) - EncodeTime(9, 0, 0, 0);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", early), "1066-10-14 09:00");
    EXPECT_DOUBLE_EQ(TimeStampToDateTime(DateTimeToTimeStamp(early)), early);
}

TEST_F(DateTimeTest, TimeStampMilliseconds) {
    const TTimeStamp ts = DateTimeToTimeStamp(Sample());
    const double ms = TimeStampToMSecs(ts);
    EXPECT_EQ(ms, ts.Date * 86400000.0 + ts.Time);
    const TTimeStamp back = MSecsToTimeStamp(ms);
    EXPECT_EQ(back.Date, ts.Date);
    EXPECT_EQ(back.Time, ts.Time);
    EXPECT_EQ(ts.Time, 14 * 3600000 + 5 * 60000 + 9007);
    // The far future: the last encodable day and beyond it.
    const TTimeStamp last = DateTimeToTimeStamp(EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999));
    EXPECT_EQ(last.Date, 3652059);
    EXPECT_EQ(last.Time, 86399999);
    const TTimeStamp later = MSecsToTimeStamp(TimeStampToMSecs(last) + 1);
    EXPECT_EQ(later.Date, 3652060);
    EXPECT_EQ(later.Time, 0);
    EXPECT_EQ(Ymd(TimeStampToDateTime(later)), (TYmd{10000, 1, 1}));
}

TEST_F(DateTimeTest, RoundingToTheNextMillisecondCarriesIntoTheDay) {
    const TTimeStamp ts = DateTimeToTimeStamp(1.9999999999);
    EXPECT_EQ(ts.Date, DateDelta + 2);
    EXPECT_EQ(ts.Time, 0);
    const TTimeStamp neg = DateTimeToTimeStamp(-1.9999999999);  // 29 Dec, 23:59:59.99999
    EXPECT_EQ(neg.Date, DateDelta);
    EXPECT_EQ(neg.Time, 0);
}

TEST_F(DateTimeTest, InvalidStampsAndValuesRaise) {
    const TTimeStamp none = MSecsToTimeStamp(std::nan(""));
    EXPECT_EQ(none.Date, 0);
    EXPECT_EQ(ErrorOf([&] { TimeStampToDateTime(none); }), "'0.0' is not a valid timestamp");
    EXPECT_EQ(MSecsToTimeStamp(-1).Date, 0);
    EXPECT_EQ(MSecsToTimeStamp(1e300).Date, 0);
    EXPECT_EQ(ErrorOf([] {
                  TimeStampToDateTime(TTimeStamp{86400000, 5});
              }),
              "'5.86400000' is not a valid timestamp");
    EXPECT_THROW(DateTimeToTimeStamp(std::nan("")), EConvertError);
    EXPECT_THROW(DateTimeToTimeStamp(HUGE_VAL), EConvertError);
    EXPECT_THROW(DateTimeToTimeStamp(-693594.5), EConvertError);  // before year 1
    EXPECT_THROW(DateToStr(1e300), EConvertError);
}

// ---------------------------------------------------------------------------
// Formatting

TEST_F(DateTimeTest, EveryFormatToken) {
    const TDateTime v = Sample();
    const std::pair<const char*, const char*> cases[] = {
        {"d", "3"},
        {"dd", "03"},
        {"ddd", "Tue"},
        {"dddd", "Tuesday"},
        {"ddddd", "02/03/2004"},
        {"dddddd", "Tuesday, February 3, 2004"},
        {"m", "2"},
        {"mm", "02"},
        {"mmm", "Feb"},
        {"mmmm", "February"},
        {"yy", "04"},
        {"yyyy", "2004"},
        {"h", "14"},
        {"hh", "14"},
        {"n", "5"},
        {"nn", "05"},
        {"s", "9"},
        {"ss", "09"},
        {"z", "7"},
        {"zzz", "007"},
        {"h am/pm", "2 pm"},
        {"h AM/PM", "2 PM"},
        {"h a/p", "2 p"},
        {"h A/P", "2 P"},
        {"hh ampm", "02 PM"},
        {"c", "02/03/2004 2:05:09 PM"},
        {"t", "2:05 PM"},
        {"tt", "2:05:09 PM"},
        {"hh:mm", "14:05"},
        {"h 'h' m", "14 h 5"},
        {"'h' hh", "h 14"},
        {"\"yy\"yy", "yy04"},
        {"dd/mm/yyyy", "03/02/2004"},
        {"yyyy/mm/dd hh:nn:ss", "2004/02/03 14:05:09"},
        {"", "02/03/2004 2:05:09 PM"},
        {"'unterminated", "unterminated"},
    };
    for (const auto& [fmt, expected] : cases) EXPECT_EQ(FormatDateTime(fmt, v), expected) << fmt;
}

TEST_F(DateTimeTest, FormattingFollowsTheSettings) {
    TFormatSettings& fs = FormatSettings();
    fs.DateSeparator = '-';
    fs.TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("dd/mm/yy hh:nn", Sample()), "03-02-04 14.05");
    fs.TimeAMString = "vorm.";
    fs.TimePMString = "nachm.";
    EXPECT_EQ(FormatDateTime("h ampm", Sample()), "2 nachm.");
    TFormatSettings own;
    EXPECT_EQ(DateToStr(Sample(), own), "02/03/2004");
}

TEST_F(DateTimeTest, TwelveHourClockAtMidnightAndNoon) {
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", 0), "12:00 AM");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", 0.5), "12:00 PM");
    EXPECT_EQ(FormatDateTime("h:nn", 0), "0:00");
}

TEST_F(DateTimeTest, ShortTexts) {
    EXPECT_EQ(DateToStr(Sample()), "02/03/2004");
    EXPECT_EQ(TimeToStr(Sample()), "2:05:09 PM");
    EXPECT_EQ(DateTimeToStr(Sample()), "02/03/2004 2:05:09 PM");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2004, 2, 3)), "02/03/2004");  // midnight: no time
    EXPECT_EQ(DateToStr(0), "12/30/1899");
}

TEST_F(DateTimeTest, SelfReferringFormatsDoNotLoop) {
    FormatSettings().ShortDateFormat = "ddddd c";
    const std::string text = DateToStr(Sample());
    EXPECT_FALSE(text.empty());
}

// ---------------------------------------------------------------------------
// Reading

TEST_F(DateTimeTest, ReadsDatesInTheShortDateOrder) {
    EXPECT_EQ(Ymd(StrToDate("2/3/2004")), (TYmd{2004, 2, 3}));
    EXPECT_EQ(Ymd(StrToDate("02/03/04")), (TYmd{2004, 2, 3}));
    EXPECT_EQ(Ymd(StrToDate(" 12 / 31 / 1999 ")), (TYmd{1999, 12, 31}));
    EXPECT_EQ(Ymd(StrToDate("2/3")), (TYmd{2025, 2, 3}));  // the clock's year
    EXPECT_EQ(Ymd(StrToDate("Feb/3/2004")), (TYmd{2004, 2, 3}));
    EXPECT_EQ(Ymd(StrToDate("february/3/2004")), (TYmd{2004, 2, 3}));
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(Ymd(StrToDate("3/2/04")), (TYmd{2004, 2, 3}));
    EXPECT_EQ(Ymd(StrToDate("3/2")), (TYmd{2025, 2, 3}));
    FormatSettings().ShortDateFormat = "yyyy/mm/dd";
    EXPECT_EQ(Ymd(StrToDate("04/02/03")), (TYmd{2004, 2, 3}));
    EXPECT_EQ(Ymd(StrToDate("2/3")), (TYmd{2025, 2, 3}));
}

TEST_F(DateTimeTest, TwoDigitYearsFollowTheCenturyWindow) {
    // Clock year 2025, window 50: two-digit years fall into 1975 .. 2074.
    EXPECT_EQ(Ymd(StrToDate("1/1/75")).Y, 1975);
    EXPECT_EQ(Ymd(StrToDate("1/1/74")).Y, 2074);
    EXPECT_EQ(Ymd(StrToDate("1/1/99")).Y, 1999);
    EXPECT_EQ(Ymd(StrToDate("1/1/00")).Y, 2000);
    EXPECT_EQ(Ymd(StrToDate("1/1/5")).Y, 2005);
    EXPECT_EQ(Ymd(StrToDate("1/1/201")).Y, 201);      // three digits: as written
    EXPECT_EQ(Ymd(StrToDate("1/1/0049")).Y, 49);      // four digits: as written
    FormatSettings().TwoDigitYearCenturyWindow = 10;  // 2015 .. 2114
    EXPECT_EQ(Ymd(StrToDate("1/1/15")).Y, 2015);
    EXPECT_EQ(Ymd(StrToDate("1/1/14")).Y, 2114);
    FormatSettings().TwoDigitYearCenturyWindow = 0;  // the current century
    EXPECT_EQ(Ymd(StrToDate("1/1/99")).Y, 2099);
    EXPECT_EQ(Ymd(StrToDate("1/1/01")).Y, 2001);
    // The window moves with the clock.
    FormatSettings().TwoDigitYearCenturyWindow = 50;
    SetClockForTesting(EncodeDate(1990, 1, 1));  // 1940 .. 2039
    EXPECT_EQ(Ymd(StrToDate("1/1/40")).Y, 1940);
    EXPECT_EQ(Ymd(StrToDate("1/1/39")).Y, 2039);
}

TEST_F(DateTimeTest, RejectsWhatIsNotADate) {
    for (const char* bad : {"", " ", "2/30/2004", "13/1/2004", "0/1/2004", "1/0/2004", "abc", "1/2/3/4",
                            "1//2", "1/2/2004x", "1/2/", "123/1/2004", "1/2/12345", "1/Feb/2004", "Fe/3/2004",
                            "1-2-2004", "1/2/2004 10:00", "1/1/0000"}) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
        EXPECT_EQ(v, 42);
    }
    EXPECT_EQ(ErrorOf([] { StrToDate("2/30/2004"); }), "'2/30/2004' is not a valid date");
}

TEST_F(DateTimeTest, ReadsTimes) {
    EXPECT_DOUBLE_EQ(StrToTime("12:30 AM"), EncodeTime(0, 30, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("12:30 pm"), EncodeTime(12, 30, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("1:05 PM"), EncodeTime(13, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("7:05:09"), EncodeTime(7, 5, 9, 0));
    EXPECT_DOUBLE_EQ(StrToTime("23:59:59.999"), EncodeTime(23, 59, 59, 999));
    EXPECT_DOUBLE_EQ(StrToTime("10 AM"), EncodeTime(10, 0, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("PM 3:00"), EncodeTime(15, 0, 0, 0));
    for (const char* bad : {"", "13:00 PM", "0:30 AM", "7:05:", "25:00", "10:60", "10:00 XM", "10:00:00.",
                            "1:2:3:4", "abc", "10:00 AM PM", "123:00"}) {
        TDateTime v = 42;
        EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
        EXPECT_EQ(v, 42);
    }
    EXPECT_EQ(ErrorOf([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
    FormatSettings().TimeSeparator = '.';
    EXPECT_DOUBLE_EQ(StrToTime("14.05"), EncodeTime(14, 5, 0, 0));
}

TEST_F(DateTimeTest, ReadsDatesWithTimes) {
    EXPECT_DOUBLE_EQ(StrToDateTime("2/3/2004 14:05"), EncodeDate(2004, 2, 3) + EncodeTime(14, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("2/3/2004"), EncodeDate(2004, 2, 3));
    EXPECT_DOUBLE_EQ(StrToDateTime("14:05"), EncodeTime(14, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("12/29/1899 6:00 AM"), -1.25);
    EXPECT_EQ(ErrorOf([] { StrToDateTime("2/3/2004 x"); }), "'2/3/2004 x' is not a valid date and time");
    TDateTime v;
    EXPECT_FALSE(TryStrToDateTime("", v));
    EXPECT_FALSE(TryStrToDateTime("2/3/2004 25:00", v));
}

TEST_F(DateTimeTest, FormattedTextsReadBack) {
    struct TLayout {
        const char* Date;
        char Sep;
        const char* Time;
    };
    const TLayout layouts[] = {
        {"mm/dd/yyyy", '/', "h:nn:ss AMPM"},  {"m/d/yy", '/', "hh:nn:ss"},
        {"dd.mm.yyyy", '.', "hh:nn:ss"},      {"yyyy-mm-dd", '-', "h:nn:ss am/pm"},
        {"dd-mmm-yyyy", '-', "hh:nn:ss.zzz"}, {"d mmmm yyyy", '/', "hh:nn:ss"},
        {"yyyy/m/d", '/', "hh:mm:ss"},
    };
    std::mt19937 rng(5);
    for (const TLayout& l : layouts) {
        TFormatSettings& fs = FormatSettings();
        fs.ShortDateFormat = l.Date;
        fs.DateSeparator = l.Sep;
        fs.LongTimeFormat = l.Time;
        const bool withMs = std::string(l.Time).find('z') != std::string::npos;
        for (int n = 0; n < 300; ++n) {
            // two-digit years only within the window
            const int year = std::string(l.Date).find("yyyy") != std::string::npos
                                 ? 1 + static_cast<int>(rng() % 9999)
                                 : 1975 + static_cast<int>(rng() % 100);
            const int month = 1 + static_cast<int>(rng() % 12);
            const int day = 1 + static_cast<int>(rng() % DaysInAMonth(year, month));
            const TDateTime date = EncodeDate(year, month, day);
            const TDateTime time = EncodeTime(rng() % 24, rng() % 60, rng() % 60, withMs ? rng() % 1000 : 0);
            const TDateTime both = date < 0 ? date - time : date + time;
            ASSERT_DOUBLE_EQ(StrToDate(DateToStr(date)), date) << l.Date << " " << DateToStr(date);
            ASSERT_DOUBLE_EQ(StrToTime(TimeToStr(time)), time) << l.Time << " " << TimeToStr(time);
            ASSERT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(both)), both) << DateTimeToStr(both);
        }
    }
}

// Random text: each reader either accepts it, and then the raising reader gives
// the same value, or refuses it, and then the raising reader raises the
// conversion error; an accepted date has no time part, an accepted time no date.
TEST_F(DateTimeTest, RandomTextIsReadOrRefusedAlike) {
    std::mt19937 rng(9);
    const std::string alphabet = "0123456789/:. -APMapmFebJunx\t";
    using Try = bool (*)(const std::string&, TDateTime&, const TFormatSettings&);
    using Raise = TDateTime (*)(const std::string&, const TFormatSettings&);
    const std::pair<Try, Raise> readers[] = {
        {TryStrToDate, StrToDate}, {TryStrToTime, StrToTime}, {TryStrToDateTime, StrToDateTime}};
    int accepted = 0;
    for (int n = 0; n < 15000; ++n) {
        std::string s;
        const int len = static_cast<int>(rng() % 16);
        for (int k = 0; k < len; ++k)
            s += (rng() % 4) ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
        for (int r = 0; r < 3; ++r) {
            TDateTime v = -1;
            const bool ok = readers[r].first(s, v, FormatSettings());
            if (ok) {
                ++accepted;
                ASSERT_EQ(readers[r].second(s, FormatSettings()), v) << s;
                if (r == 0) {
                    ASSERT_EQ(std::trunc(v), v) << s;
                }
                if (r == 1) {
                    ASSERT_TRUE(v >= 0 && v < 1) << s;
                }
            } else {
                ASSERT_THROW(readers[r].second(s, FormatSettings()), EConvertError) << s;
            }
        }
        ASSERT_NO_THROW(FormatDateTime(s, n * 194.246 - 693000.0)) << s;
    }
    EXPECT_GT(accepted, 100);
}

// ---------------------------------------------------------------------------
// Clock

TEST_F(DateTimeTest, InjectedClock) {
    const TDateTime fixed = EncodeDate(2025, 6, 15) + EncodeTime(9, 30, 0, 0);
    EXPECT_DOUBLE_EQ(Now(), fixed);
    EXPECT_DOUBLE_EQ(Date(), EncodeDate(2025, 6, 15));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(9, 30, 0, 0));
    EXPECT_EQ(CurrentYear(), 2025);
    int calls = 0;
    SetClockSource([&] { return fixed + ++calls; });
    EXPECT_DOUBLE_EQ(Now(), fixed + 1);
    EXPECT_DOUBLE_EQ(Now(), fixed + 2);
    SetTickCountForTesting(1000);
    EXPECT_EQ(GetTickCount(), 1000u);
    uint32_t tick = 0xFFFFFFF0u;
    SetTickCountSource([&] { return tick += 0x10; });
    EXPECT_EQ(GetTickCount(), 0u);  // wraps like the platform's counter
    ResetClock();
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
    EXPECT_LT(Now(), EncodeDate(2200, 1, 1));
    const uint32_t t1 = GetTickCount();
    const uint32_t t2 = GetTickCount();
    EXPECT_LT(t2 - t1, 1000u);
}
