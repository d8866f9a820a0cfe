#include "platform/date_time.h"

#include "platform/format.h"

#include <cmath>

#ifdef _WIN32
#include <oleauto.h>
#endif

namespace tarvane {
namespace portable {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000ull;
constexpr std::uint64_t kTicksPerMillisecond = 10000ull;
// Days from 0000-03-01 (proleptic Gregorian) to 1601-01-01.
constexpr std::int64_t kDaysTo1601 = 584694;

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days since 0000-03-01 of a proleptic Gregorian date (years counted from March).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = year / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const int shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(std::int64_t days, std::int64_t* year, int* month, int* day) {
    const std::int64_t era = days / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    *month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

// The OLE date arithmetic below keeps the system's own order of operations
// and integer types: the valid-date test compares its results word for word,
// so a different rounding would turn a valid date invalid.

bool IsOleLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int JulianFromDmy(WORD year, WORD month, WORD day) {
    const int m12 = (month - 14) / 12;
    return (1461 * (year + 4800 + m12)) / 4 + (367 * (month - 2 - 12 * m12)) / 12 -
           (3 * ((year + 4900 + m12) / 100)) / 4 + day - 32075;
}

void DmyFromJulian(int julian, WORD* year, WORD* month, WORD* day) {
    int l = julian + 68569;
    const int n = l * 4 / 146097;
    l -= (n * 146097 + 3) / 4;
    const int i = (4000 * (l + 1)) / 1461001;
    l += 31 - (i * 1461) / 4;
    const int j = (l * 80) / 2447;
    *day = static_cast<WORD>(l - (j * 2447) / 80);
    l = j / 11;
    *month = static_cast<WORD>((j + 2) - (12 * l));
    *year = static_cast<WORD>(100 * (n - 49) + i + l);
}

constexpr double kOleDateMin = -657434.0; // 0100-01-01
constexpr double kOleDateMax = 2958465.0; // 9999-12-31

// Carries fields out of range into the next one (31 January + 1 day is
// 1 February), and takes years below 100 as two-digit years (0-30 as
// 2000-2030, 31-99 as 1931-1999).
bool RollOleDate(SYSTEMTIME* time) {
    static const BYTE days[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // The words are read as signed 16-bit values.
    short year = static_cast<short>(time->wYear);
    short month = static_cast<short>(time->wMonth);
    short day = static_cast<short>(time->wDay);
    short hour = static_cast<short>(time->wHour);
    short minute = static_cast<short>(time->wMinute);
    short second = static_cast<short>(time->wSecond);

    if (year > 9999 || year < -9999) {
        return false;
    }
    if (year >= 0 && year <= 30) {
        year = static_cast<short>(year + 2000);
    } else if (year > 30 && year < 100) {
        year = static_cast<short>(year + 1900);
    }

    minute = static_cast<short>(minute + second / 60);
    second = static_cast<short>(second % 60);
    hour = static_cast<short>(hour + minute / 60);
    minute = static_cast<short>(minute % 60);
    day = static_cast<short>(day + hour / 24);
    hour = static_cast<short>(hour % 24);
    year = static_cast<short>(year + month / 12);
    month = static_cast<short>(month % 12);
    if (month <= 0) {
        month = static_cast<short>(month + 12);
        year = static_cast<short>(year - 1);
    }
    while (day > days[month]) {
        if (month == 2 && IsOleLeapYear(year)) {
            day = static_cast<short>(day - 29);
        } else {
            day = static_cast<short>(day - days[month]);
        }
        month = static_cast<short>(month + 1);
        year = static_cast<short>(year + month / 12);
        month = static_cast<short>(month % 12);
    }
    while (day <= 0) {
        month = static_cast<short>(month - 1);
        if (month <= 0) {
            month = static_cast<short>(month + 12);
            year = static_cast<short>(year - 1);
        }
        if (month == 2 && IsOleLeapYear(year)) {
            day = static_cast<short>(day + 29);
        } else {
            day = static_cast<short>(day + days[month]);
        }
    }
    if (second < 0) {
        second = static_cast<short>(second + 60);
        minute = static_cast<short>(minute - 1);
    }
    if (minute < 0) {
        minute = static_cast<short>(minute + 60);
        hour = static_cast<short>(hour - 1);
    }
    if (hour < 0) {
        hour = static_cast<short>(hour + 24);
        day = static_cast<short>(day - 1);
    }
    if (year <= 0) {
        year = static_cast<short>(year + 2000);
    }
    time->wYear = static_cast<WORD>(year);
    time->wMonth = static_cast<WORD>(month);
    time->wDay = static_cast<WORD>(day);
    time->wHour = static_cast<WORD>(hour);
    time->wMinute = static_cast<WORD>(minute);
    time->wSecond = static_cast<WORD>(second);
    return true;
}

} // namespace

int MonthLength(int year, int month) {
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

bool DateTimeToFileTime(const SYSTEMTIME& time, FILETIME* out) {
    if (time.wYear < 1601 || time.wYear > 32767 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
        time.wDay > MonthLength(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 ||
        time.wSecond > 59 || time.wMilliseconds > 999) {
        return false;
    }
    const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kDaysTo1601;
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(days) * 86400u + time.wHour * 3600u + time.wMinute * 60u + time.wSecond;
    *out = MakeFileTime(seconds * kTicksPerSecond + time.wMilliseconds * kTicksPerMillisecond);
    return true;
}

bool FileTimeToDateTime(const FILETIME& time, SYSTEMTIME* out) {
    const std::uint64_t ticks = FileTimeTicks(time);
    if (ticks >= (1ull << 63)) {
        return false;
    }
    const std::uint64_t days = ticks / kFileTimeTicksPerDay;
    const std::uint64_t inDay = ticks % kFileTimeTicksPerDay;
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(static_cast<std::int64_t>(days) + kDaysTo1601, &year, &month, &day);
    const std::uint64_t seconds = inDay / kTicksPerSecond;
    out->wYear = static_cast<WORD>(year);
    out->wMonth = static_cast<WORD>(month);
    out->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    out->wDay = static_cast<WORD>(day);
    out->wHour = static_cast<WORD>(seconds / 3600);
    out->wMinute = static_cast<WORD>(seconds / 60 % 60);
    out->wSecond = static_cast<WORD>(seconds % 60);
    out->wMilliseconds = static_cast<WORD>(inDay % kTicksPerSecond / kTicksPerMillisecond);
    return true;
}

bool DateTimeToVariantTime(const SYSTEMTIME& time, double* out) {
    if (time.wMonth > 12 || time.wDay > 31 || static_cast<short>(time.wYear) < 0) {
        return false;
    }
    SYSTEMTIME rolled = time;
    if (!RollOleDate(&rolled)) {
        return false;
    }
    double value = JulianFromDmy(rolled.wYear, rolled.wMonth, rolled.wDay) - 2415019;
    const double sign = value < 0.0 ? -1.0 : 1.0;
    value += rolled.wHour / 24.0 * sign;
    value += rolled.wMinute / 1440.0 * sign;
    value += rolled.wSecond / 86400.0 * sign;
    *out = value;
    return true;
}

bool VariantTimeToDateTime(double value, SYSTEMTIME* out) {
    if (std::isnan(value) || value <= kOleDateMin - 1.0 || value >= kOleDateMax + 1.0) {
        return false;
    }
    SYSTEMTIME result{};
    double datePart = value < 0.0 ? std::ceil(value) : std::floor(value);
    // A little more than nothing, so that 0.999999 of a second truncates
    // to the right whole value below.
    double timePart = std::fabs(value - datePart) + 0.00000000001;
    if (timePart >= 1.0) {
        timePart -= 0.00000000001;
    }
    const int julian = static_cast<int>(value) + 2415019;
    DmyFromJulian(julian, &result.wYear, &result.wMonth, &result.wDay);

    datePart = (datePart + 1.5) / 7.0;
    result.wDayOfWeek = static_cast<WORD>((datePart - std::floor(datePart)) * 7);
    if (result.wDayOfWeek == 0) {
        result.wDayOfWeek = 5;
    } else if (result.wDayOfWeek == 1) {
        result.wDayOfWeek = 6;
    } else {
        result.wDayOfWeek = static_cast<WORD>(result.wDayOfWeek - 2);
    }

    timePart *= 24.0;
    result.wHour = static_cast<WORD>(timePart);
    timePart -= result.wHour;
    timePart *= 60.0;
    result.wMinute = static_cast<WORD>(timePart);
    timePart -= result.wMinute;
    timePart *= 60.0;
    result.wSecond = static_cast<WORD>(timePart);
    timePart -= result.wSecond;
    result.wMilliseconds = 0;
    if (timePart > 0.5) {
        if (result.wSecond < 59) {
            ++result.wSecond;
        } else {
            result.wSecond = 0;
            if (result.wMinute < 59) {
                ++result.wMinute;
            } else {
                result.wMinute = 0;
                if (result.wHour < 23) {
                    ++result.wHour;
                } else {
                    result.wHour = 0;
                    if (++result.wDay > 28) {
                        RollOleDate(&result);
                    }
                }
            }
        }
    }
    *out = result;
    return true;
}

} // namespace portable

bool DateTimeToFileTime(const SYSTEMTIME& time, FILETIME* out) {
#ifdef _WIN32
    return ::SystemTimeToFileTime(&time, out) != FALSE;
#else
    return portable::DateTimeToFileTime(time, out);
#endif
}

bool FileTimeToDateTime(const FILETIME& time, SYSTEMTIME* out) {
#ifdef _WIN32
    return ::FileTimeToSystemTime(&time, out) != FALSE;
#else
    return portable::FileTimeToDateTime(time, out);
#endif
}

bool DateTimeToVariantTime(const SYSTEMTIME& time, double* out) {
#ifdef _WIN32
    SYSTEMTIME copy = time;
    return ::SystemTimeToVariantTime(&copy, out) != FALSE;
#else
    return portable::DateTimeToVariantTime(time, out);
#endif
}

bool VariantTimeToDateTime(double value, SYSTEMTIME* out) {
#ifdef _WIN32
    return ::VariantTimeToSystemTime(value, out) != FALSE;
#else
    return portable::VariantTimeToDateTime(value, out);
#endif
}

bool IsValidDateTime(const SYSTEMTIME& time) {
    double value = 0;
    SYSTEMTIME back{};
    if (!DateTimeToVariantTime(time, &value) || !VariantTimeToDateTime(value, &back)) {
        return false;
    }
    return back.wYear == time.wYear && back.wMonth == time.wMonth && back.wDay == time.wDay &&
           back.wHour == time.wHour && back.wMinute == time.wMinute && back.wSecond == time.wSecond;
}

double FileTimeToOleDate(const FILETIME& time) {
    // 1899-12-30 00:00 as a file time.
    constexpr std::int64_t kOleEpoch = 94353120000000000ll;
    constexpr auto kDay = static_cast<std::int64_t>(kFileTimeTicksPerDay);
    const std::int64_t ticks = static_cast<std::int64_t>(FileTimeTicks(time)) - kOleEpoch;
    std::int64_t days = ticks / kDay;
    std::int64_t rest = ticks % kDay;
    if (rest < 0) {
        --days;
        rest += kDay;
    }
    const double fraction = static_cast<double>(rest) / static_cast<double>(kDay);
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::wstring FormatDateTime(const SYSTEMTIME& time) {
    const std::wstring failed = L"<error>";
    // Whole seconds, cut exactly: the conversion to text rounds to the
    // nearest second, and a time that is already whole cannot round wrong.
    SYSTEMTIME whole = time;
    whole.wMilliseconds = 0;
    FILETIME fileTime{};
    if (!DateTimeToFileTime(whole, &fileTime)) {
        return failed;
    }
    const double value = FileTimeToOleDate(fileTime);
#ifdef _WIN32
    BSTR text = nullptr;
    if (FAILED(::VarBstrFromDate(value, LOCALE_USER_DEFAULT, VAR_FOURDIGITYEARS, &text)) || text == nullptr) {
        return failed;
    }
    std::wstring result(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return result;
#else
    SYSTEMTIME shown{};
    if (!VariantTimeToDateTime(value, &shown)) {
        return failed;
    }
    return Format(L"%04u-%02u-%02u %02u:%02u:%02u", shown.wYear, shown.wMonth, shown.wDay, shown.wHour,
                  shown.wMinute, shown.wSecond);
#endif
}

} // namespace tarvane
