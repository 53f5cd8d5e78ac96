// The locale's first day of the week and its override.
#include <gtest/gtest.h>

#include "platform/core/locale.h"

namespace {

constexpr int kMonday = 0;
constexpr int kSunday = 6;

class LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { SetLocaleFirstDayOfWeek(-1); }
};

TEST_F(LocaleTest, FirstDayOfWeekComesFromTheLocaleUnlessFixed) {
    SetLocaleFirstDayOfWeek(-1);
    const int fromLocale = LocaleFirstDayOfWeek();
    EXPECT_GE(fromLocale, kMonday);
    EXPECT_LE(fromLocale, kSunday);
    // The locale is read once: asking again gives the same day.
    EXPECT_EQ(fromLocale, LocaleFirstDayOfWeek());
    SetLocaleFirstDayOfWeek(kMonday);
    EXPECT_EQ(kMonday, LocaleFirstDayOfWeek());
    SetLocaleFirstDayOfWeek(-1);
    EXPECT_EQ(fromLocale, LocaleFirstDayOfWeek());
}

TEST_F(LocaleTest, EveryWeekdayCanBeFixedAndOthersGoBackToTheLocale) {
    SetLocaleFirstDayOfWeek(-1);
    const int fromLocale = LocaleFirstDayOfWeek();
    for (int day = kMonday; day <= kSunday; ++day) {
        SetLocaleFirstDayOfWeek(day);
        EXPECT_EQ(day, LocaleFirstDayOfWeek());
    }
    for (int bad : {7, -2, 100}) {
        SetLocaleFirstDayOfWeek(kMonday);
        SetLocaleFirstDayOfWeek(bad);
        EXPECT_EQ(fromLocale, LocaleFirstDayOfWeek()) << bad;
    }
}

}  // namespace
