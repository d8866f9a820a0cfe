#include "tzdb/posix_tz.h"

#include "platform/date_time.h"
#include "tzdb/civil_time.h"

#include <algorithm>

namespace tarvane {
namespace {

constexpr int kMaxRuleHours = 167;
constexpr int kMaxOffsetHours = 24;

// Left to right over the text, never past its end.
class Cursor {
public:
    explicit Cursor(std::wstring_view text) : text_(text) {}

    bool AtEnd() const { return at_ == text_.size(); }
    wchar_t Peek() const { return AtEnd() ? L'\0' : text_[at_]; }
    bool Take(wchar_t c) {
        if (Peek() != c || AtEnd()) {
            return false;
        }
        ++at_;
        return true;
    }

    // A zone abbreviation: three or more letters, or anything but '>' in <...>.
    bool Name() {
        if (Take(L'<')) {
            const std::size_t begin = at_;
            while (!AtEnd() && Peek() != L'>') {
                ++at_;
            }
            return at_ > begin && Take(L'>');
        }
        const std::size_t begin = at_;
        while ((Peek() >= L'A' && Peek() <= L'Z') || (Peek() >= L'a' && Peek() <= L'z')) {
            ++at_;
        }
        return at_ - begin >= 3;
    }

    // Up to `maxDigits` digits, at least one, no more than `limit`.
    bool Number(int maxDigits, int limit, int* value) {
        int digits = 0;
        *value = 0;
        while (Peek() >= L'0' && Peek() <= L'9' && digits < maxDigits) {
            *value = *value * 10 + (Peek() - L'0');
            ++at_;
            ++digits;
        }
        return digits > 0 && *value <= limit;
    }

    // [+-]hh[:mm[:ss]] in seconds.
    bool Duration(int maxHours, std::int32_t* seconds) {
        const bool negative = Peek() == L'-';
        if (Peek() == L'+' || Peek() == L'-') {
            ++at_;
        }
        int hours = 0;
        int minutes = 0;
        int secs = 0;
        if (!Number(3, maxHours, &hours)) {
            return false;
        }
        if (Take(L':') && (!Number(2, 59, &minutes) || (Take(L':') && !Number(2, 59, &secs)))) {
            return false;
        }
        const std::int32_t total = hours * 3600 + minutes * 60 + secs;
        *seconds = negative ? -total : total;
        return true;
    }

    bool Date(PosixTzDate* date) {
        if (Take(L'M')) {
            date->kind = PosixTzDate::kMonthWeekDay;
            if (!Number(2, 12, &date->month) || date->month < 1 || !Take(L'.') ||
                !Number(1, 5, &date->week) || date->week < 1 || !Take(L'.') ||
                !Number(1, 6, &date->weekday)) {
                return false;
            }
        } else if (Take(L'J')) {
            date->kind = PosixTzDate::kJulian;
            if (!Number(3, 365, &date->dayNumber) || date->dayNumber < 1) {
                return false;
            }
        } else {
            date->kind = PosixTzDate::kDayOfYear;
            if (!Number(3, 365, &date->dayNumber)) {
                return false;
            }
        }
        return !Take(L'/') || Duration(kMaxRuleHours, &date->time);
    }

private:
    std::wstring_view text_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<PosixTz> ParsePosixTz(std::wstring_view text) {
    Cursor cursor(text);
    PosixTz rule;
    std::int32_t west = 0;
    if (!cursor.Name() || !cursor.Duration(kMaxOffsetHours, &west)) {
        return std::nullopt;
    }
    // POSIX counts offsets westward.
    rule.standardOffset = -west;
    if (cursor.AtEnd()) {
        return rule;
    }
    if (!cursor.Name()) {
        return std::nullopt;
    }
    rule.hasDaylight = true;
    rule.daylightOffset = rule.standardOffset + 3600;
    if (cursor.Peek() != L',') {
        if (!cursor.Duration(kMaxOffsetHours, &west)) {
            return std::nullopt;
        }
        rule.daylightOffset = -west;
    }
    if (!cursor.Take(L',') || !cursor.Date(&rule.start) || !cursor.Take(L',') || !cursor.Date(&rule.end) ||
        !cursor.AtEnd()) {
        return std::nullopt;
    }
    return rule;
}

std::int64_t PosixTzDay(const PosixTzDate& date, int year) {
    const std::int64_t january1 = CivilDay(year, 1, 1);
    switch (date.kind) {
    case PosixTzDate::kJulian: {
        const bool leap = portable::MonthLength(year, 2) == 29;
        const int day = date.dayNumber + (leap && date.dayNumber >= 60 ? 1 : 0);
        return january1 + (day - 1) * kSecondsPerDay;
    }
    case PosixTzDate::kDayOfYear:
        return january1 + date.dayNumber * kSecondsPerDay;
    case PosixTzDate::kMonthWeekDay:
    default: {
        const int first = CivilWeekday(year, date.month, 1);
        int day = 1 + (date.weekday - first + 7) % 7 + 7 * (date.week - 1);
        while (day > portable::MonthLength(year, date.month)) {
            day -= 7;
        }
        return CivilDay(year, date.month, day);
    }
    }
}

void AppendPosixTzChanges(const PosixTz& rule, int year, std::vector<TzChange>* out) {
    if (!rule.hasDaylight) {
        return;
    }
    // The start is read on the standard clock, the end on the daylight clock.
    TzChange begins{PosixTzDay(rule.start, year) + rule.start.time - rule.standardOffset, rule.daylightOffset,
                    true};
    TzChange ends{PosixTzDay(rule.end, year) + rule.end.time - rule.daylightOffset, rule.standardOffset,
                  false};
    if (ends.time < begins.time) {
        std::swap(begins, ends);
    }
    out->push_back(begins);
    out->push_back(ends);
}

} // namespace tarvane
