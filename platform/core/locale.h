// The user's locale settings that the format settings do not carry.
#pragma once

// The first day of the week of the user's locale: 0 = Monday .. 6 = Sunday.
// Read once from the LC_TIME settings of the environment (Sunday when they
// say nothing).
int LocaleFirstDayOfWeek();
// Fixes the answer of LocaleFirstDayOfWeek (tests, or a program setting of
// its own); -1, or anything that names no weekday, goes back to the locale's.
void SetLocaleFirstDayOfWeek(int Day);
