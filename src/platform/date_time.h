// Date arithmetic on SYSTEMTIME records: file times (100 ns units since
// 1601-01-01 UTC), the OLE date value (days since 1899-12-30, the time of day
// as the fraction), the valid-date test and the display text of a date.
//
// The Windows build calls the system's functions (kernel32, oleaut32). The
// native build uses the portable versions in `portable`, which reproduce the
// system's results word for word, also on invalid input; they are compiled
// into the Windows build too, so that a test there compares the two.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <string>

namespace tarvane {

// 864 000 000 000 units of 100 ns.
constexpr std::uint64_t kFileTimeTicksPerDay = 864000000000ull;

inline std::uint64_t FileTimeTicks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
inline FILETIME MakeFileTime(std::uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// SystemTimeToFileTime. Fails on a field out of range (29 February only
// counts in leap years); wDayOfWeek is ignored. Years up to 32767 are taken,
// as the system takes them, though file times from 2^63 on (14 September
// 30828) do not convert back.
bool DateTimeToFileTime(const SYSTEMTIME& time, FILETIME* out);
// FileTimeToSystemTime, with the day of the week filled in. Fails from 2^63 on.
bool FileTimeToDateTime(const FILETIME& time, SYSTEMTIME* out);
// SystemTimeToVariantTime: the OLE date value. Milliseconds are ignored; out
// of range days, hours and so on roll over into the next field, and years
// 0-30 and 31-99 are taken as 2000-2030 and 1931-1999.
bool DateTimeToVariantTime(const SYSTEMTIME& time, double* out);
// VariantTimeToSystemTime: rounded to the nearest second, milliseconds 0.
bool VariantTimeToDateTime(double value, SYSTEMTIME* out);

// A date and time is valid when it converts to the OLE date value and back
// with year, month, day, hour, minute and second unchanged.
bool IsValidDateTime(const SYSTEMTIME& time);

// The OLE date value of a file time. Before 1899-12-30 the value is negative
// and its fraction still counts forward from midnight (-1.25 is 1899-12-29
// 06:00), as the OLE date format has it.
double FileTimeToOleDate(const FILETIME& time);

// The text of a date and time for the clock panel, cut (not rounded) to whole
// seconds, or "<error>" when it is no valid file time or outside the OLE date
// range (years 100-9999). Windows: VarBstrFromDate in the user's locale with
// four-digit years. Native build: "yyyy-mm-dd hh:mm:ss".
std::wstring FormatDateTime(const SYSTEMTIME& time);

namespace portable {
// Days in `month` (1-12) of the proleptic Gregorian `year`.
int MonthLength(int year, int month);
bool DateTimeToFileTime(const SYSTEMTIME& time, FILETIME* out);
bool FileTimeToDateTime(const FILETIME& time, SYSTEMTIME* out);
bool DateTimeToVariantTime(const SYSTEMTIME& time, double* out);
bool VariantTimeToDateTime(double value, SYSTEMTIME* out);
} // namespace portable

} // namespace tarvane
