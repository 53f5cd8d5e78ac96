// Helpers shared by the date-time sources.
#pragma once

// A day number and a time of day (0 <= time < 1) as one TDateTime; before day
// 0 the time is subtracted, as the platform counts it.
double ComposeDateTime(double date, double time);
// Year, month and day of a time stamp's day number (1 = 1 January 0001).
void DecodeStampDate(int stampDate, int& year, int& month, int& day);
