// The locale's first day of the week, read from the C library's locale data.
#include "platform/core/locale.h"

#include <atomic>

#if defined(__GLIBC__)
#include <langinfo.h>
#include <locale.h>
#endif

#include "platform/core/datetime.h"

namespace {

std::atomic<int> GFirstDayOverride{-1};

#if defined(__GLIBC__)
// The weekday (1 = Sunday) of a yyyymmdd number, 0 when it is no date.
int WeekdayOfDateNumber(long Value) {
    TDateTime d;
    if (!TryEncodeDate(static_cast<int>(Value / 10000), static_cast<int>(Value / 100 % 100),
                       static_cast<int>(Value % 100), d))
        return 0;
    return DayOfWeek(d);
}
#endif

// Reads the environment's LC_TIME week settings: the week's first day is
// the day of "week-1stday" moved by "first_weekday" - 1.
int ReadLocaleFirstDayOfWeek() {
#if defined(__GLIBC__)
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) return 6;
    union {
        const char* Text;
        unsigned int Word;
    } week1st;
    week1st.Text = nl_langinfo_l(_NL_TIME_WEEK_1STDAY, loc);
    const char* first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, loc);
    const int base = WeekdayOfDateNumber(static_cast<long>(week1st.Word));
    const int offset = first && first[0] >= 1 && first[0] <= 7 ? first[0] - 1 : 0;
    freelocale(loc);
    if (base == 0) return 6;
    const int sundayBased = (base - 1 + offset) % 7;  // 0 = Sunday
    return (sundayBased + 6) % 7;                     // 0 = Monday
#else
    return 6;
#endif
}

}  // namespace

int LocaleFirstDayOfWeek() {
    const int fixed = GFirstDayOverride.load();
    if (fixed >= 0) return fixed;
    static const int fromLocale = ReadLocaleFirstDayOfWeek();
    return fromLocale;
}

void SetLocaleFirstDayOfWeek(int Day) { GFirstDayOverride.store(Day >= 0 && Day <= 6 ? Day : -1); }
