// The host's moments: a day number (day 0 is 31 December 1967) and a second of the day, written as
// ten digits, converted to and from the program's date-time values (days since 30 December 1899,
// the time of day as the fraction).
#pragma once

#include <QByteArray>

// The value HostDateTimeToDateTime gives for a text that is not a host date-time.
constexpr double kNoHostDateTime = -99999.0;
// Host day d is date-time value d + kHostDayOffset.
constexpr int kHostDayOffset = 24837;

// Characters 1 to 5 are the day, 6 to 10 the second of the day; either not a number gives
// kNoHostDateTime.
double HostDateTimeToDateTime(const QByteArray &text);
// The day with at least five digits (a minus sign before 1968, so six characters then), then the
// second as five digits. A time that rounds to the next midnight is written as second 0 of the next
// day, never as second 86400. Not a finite date (or beyond a billion days) gives an empty text.
QByteArray DateTimeToHostDateTime(double dateTime);
