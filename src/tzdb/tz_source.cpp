#include "tzdb/tz_source.h"

#include "platform/text.h"
#include "tzdb/posix_tz.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>

// The reading and the computation follow zic's manual and, where the manual
// is silent, what zic does (the oracle test holds every zone of a release
// against zic's own output): the rules of each zone line are walked year by
// year from 1900 (or the earliest year the zone names) to 2038 (or the last
// year it names), the transitions are merged as zic merges them, and the TZ
// string is made from the last zone line's rules.

namespace tarvane {
namespace {

using Time = std::int64_t;
constexpr Time kMinTime = std::numeric_limits<Time>::min();
constexpr Time kMaxTime = std::numeric_limits<Time>::max();
// Years "minimum" and "maximum"; numeric years stay well inside.
constexpr std::int64_t kMinYear = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMaxYear = std::numeric_limits<std::int32_t>::max();
// The numeric years taken: beyond them no clock has a use for a rule, and
// walking the years stays quick.
constexpr std::int64_t kYearLimit = 9999;
// Hours in a time field; far beyond any real use, and no sum overflows.
constexpr std::int64_t kHourLimit = 1000000;
constexpr Time kDay = 86400;
constexpr Time kY2038 = Time{1} << 31;
constexpr std::size_t kMaxLineLength = 2047;
constexpr int kEpochYear = 1970;
// The last year listed when no TZ string can carry the zone on.
constexpr std::int64_t kExtendedLastYear = 2101;

constexpr int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
constexpr std::array<const char*, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                     "May",       "June",     "July",     "August",
                                                     "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};

bool IsLeap(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days from 1970-01-01 to the first of January of `year` (proleptic Gregorian).
std::int64_t DaysBeforeYear(std::int64_t year) {
    const std::int64_t y = year - 1;
    const auto floorDiv = [](std::int64_t a, std::int64_t b) {
        return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
    };
    const std::int64_t days = y * 365 + floorDiv(y, 4) - floorDiv(y, 100) + floorDiv(y, 400);
    return days - 719162; // the same count for 1970
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool PrefixNoCase(std::string_view prefix, std::string_view word) {
    return prefix.size() <= word.size() && EqualNoCase(prefix, word.substr(0, prefix.size()));
}

// The index of `word` in `names`: an exact match (any case), or the one name
// it abbreviates; -1 when none or several.
template <std::size_t N> int Lookup(std::string_view word, const std::array<const char*, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        if (EqualNoCase(word, names[i])) {
            return static_cast<int>(i);
        }
    }
    int found = -1;
    for (std::size_t i = 0; i < N; ++i) {
        if (PrefixNoCase(word, names[i])) {
            if (found >= 0) {
                return -1;
            }
            found = static_cast<int>(i);
        }
    }
    return found;
}

int LookupMonth(std::string_view word) {
    return Lookup(word, kMonthNames);
}

int LookupWeekday(std::string_view word) {
    return Lookup(word, kWeekdayNames);
}

// A refusal on its way out: the first one found is the one reported.
struct Failure {
    std::size_t file = 0;
    std::size_t line = 0;
    std::wstring reason;
};

enum class DayCode { kDayOfMonth, kOnOrAfter, kOnOrBefore };

struct Rule {
    std::string name;
    std::int64_t loYear = 0;
    std::int64_t hiYear = 0;
    bool loWasNumber = false;
    bool hiWasNumber = false;
    int month = 0;
    DayCode dayCode = DayCode::kDayOfMonth;
    int dayOfMonth = 1;
    int weekday = 0;
    Time tod = 0;
    bool todIsStd = false;
    bool todIsUt = false;
    Time save = 0;
    bool isDst = false;
    std::string letters;
    std::size_t file = 0;
    std::size_t line = 0;
    // Working state of one year's walk.
    bool todo = false;
    Time temp = 0;
};

struct ZoneLine {
    std::string name; // the zone's name on its first line, empty on continuations
    Time stdoff = 0;
    std::string rules;
    std::string format; // with %z turned into %s
    char formatSpecifier = '\0';
    bool hasUntil = false;
    Rule until;
    Time untilTime = kMaxTime;
    std::vector<std::size_t> ruleIndices;
    Time save = 0; // RULES as an amount
    bool isDst = false;
    std::size_t file = 0;
    std::size_t line = 0;
};

struct Link {
    std::string target;
    std::string name;
    std::size_t file = 0;
    std::size_t line = 0;
};

// [-]hh[:mm[:ss[.fraction]]] in seconds, rounded to the even second; an
// empty field is 0.
bool ParseHms(std::string_view text, Time* value) {
    *value = 0;
    if (text.empty()) {
        return true;
    }
    std::size_t at = 0;
    const bool negative = text[0] == '-';
    if (negative) {
        ++at;
    }
    const auto number = [&](std::int64_t limit, std::int64_t* out) {
        if (at < text.size() && text[at] == '+') {
            ++at;
        }
        const std::size_t begin = at;
        *out = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            *out = *out * 10 + (text[at] - '0');
            ++at;
            if (*out > limit) {
                return false;
            }
        }
        return at > begin;
    };
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    if (!number(kHourLimit, &hours)) {
        return false;
    }
    if (at < text.size()) {
        if (text[at] != ':') {
            return false;
        }
        ++at;
        if (!number(99, &minutes) || minutes >= 60) {
            return false;
        }
        if (at < text.size()) {
            if (text[at] != ':') {
                return false;
            }
            ++at;
            if (!number(99, &seconds) || seconds > 60) {
                return false;
            }
            if (at < text.size()) {
                // One digit of tenths decides, unless zeros and a further
                // digit follow it; half a second rounds to the even second.
                if (text[at] != '.' || at + 1 >= text.size() || text[at + 1] < '0' || text[at + 1] > '9') {
                    return false;
                }
                const int tenths = text[at + 1] - '0';
                at += 2;
                bool more = false;
                if (at < text.size() && text[at] == '0') {
                    while (at < text.size() && text[at] == '0') {
                        ++at;
                    }
                    if (at < text.size()) {
                        if (text[at] < '0' || text[at] > '9') {
                            return false;
                        }
                        more = true;
                        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                            ++at;
                        }
                        if (at < text.size()) {
                            return false;
                        }
                    }
                }
                if (tenths > 5 || (tenths == 5 && (more || seconds % 2 == 1))) {
                    ++seconds;
                }
            }
        }
    }
    const Time total = hours * 3600 + minutes * 60 + seconds;
    *value = negative ? -total : total;
    return true;
}

// A year: a number, or "minimum"/"maximum" (and "only" where `onlyYear` is
// given) abbreviated to any unambiguous prefix.
bool ParseYear(std::string_view text, bool allowOnly, std::int64_t onlyYear, std::int64_t* year,
               bool* wasNumber) {
    static constexpr std::array<const char*, 3> kWords = {"minimum", "maximum", "only"};
    const int word =
        allowOnly ? Lookup(text, kWords) : Lookup(text, std::array<const char*, 2>{kWords[0], kWords[1]});
    *wasNumber = word < 0;
    if (word == 0) {
        *year = kMinYear;
        return true;
    }
    if (word == 1) {
        *year = kMaxYear;
        return true;
    }
    if (word == 2) {
        *year = onlyYear;
        return true;
    }
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at == text.size()) {
        return false;
    }
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
        value = value * 10 + (text[at] - '0');
        if (value > kYearLimit) {
            return false;
        }
    }
    *year = negative ? -value : value;
    return true;
}

// The fields of a rule's date and time (and of a zone line's UNTIL): the
// reason for the first field that does not read, or empty.
std::wstring ParseRuleDate(Rule* rule, std::string_view loYear, std::string_view hiYear,
                           std::string_view type, std::string_view month, std::string_view day,
                           std::string_view time) {
    rule->month = LookupMonth(month);
    if (rule->month < 0) {
        return L"invalid month name";
    }
    std::string_view tod = time;
    rule->todIsStd = false;
    rule->todIsUt = false;
    if (!tod.empty()) {
        switch (Lower(tod.back())) {
        case 's':
            rule->todIsStd = true;
            tod.remove_suffix(1);
            break;
        case 'w':
            tod.remove_suffix(1);
            break;
        case 'g':
        case 'u':
        case 'z':
            rule->todIsStd = true;
            rule->todIsUt = true;
            tod.remove_suffix(1);
            break;
        default:
            break;
        }
    }
    if (!ParseHms(tod, &rule->tod)) {
        return L"invalid time of day";
    }
    if (!ParseYear(loYear, false, 0, &rule->loYear, &rule->loWasNumber)) {
        return L"invalid starting year";
    }
    if (!ParseYear(hiYear, true, rule->loYear, &rule->hiYear, &rule->hiWasNumber)) {
        return L"invalid ending year";
    }
    if (rule->loYear > rule->hiYear) {
        return L"starting year greater than ending year";
    }
    if (!type.empty()) {
        return L"year types are unsupported; use \"-\"";
    }
    std::string_view rest = day;
    if (PrefixNoCase("last", day) && day.size() > 4 && day[4] != '-') {
        rule->weekday = LookupWeekday(day.substr(4));
        if (rule->weekday < 0) {
            return L"invalid weekday name";
        }
        rule->dayCode = DayCode::kOnOrBefore;
        rule->dayOfMonth = kMonthDays[1][rule->month];
        return {};
    }
    if (PrefixNoCase("last-", day) && day.size() > 5) {
        rule->weekday = LookupWeekday(day.substr(5));
        if (rule->weekday < 0) {
            return L"invalid weekday name";
        }
        rule->dayCode = DayCode::kOnOrBefore;
        rule->dayOfMonth = kMonthDays[1][rule->month];
        return {};
    }
    const std::size_t less = day.find('<');
    const std::size_t greater = day.find('>');
    const std::size_t mark = less != std::string_view::npos ? less : greater;
    if (mark != std::string_view::npos) {
        rule->dayCode = less != std::string_view::npos ? DayCode::kOnOrBefore : DayCode::kOnOrAfter;
        if (mark + 1 >= day.size() || day[mark + 1] != '=') {
            return L"invalid day of month";
        }
        rule->weekday = LookupWeekday(day.substr(0, mark));
        if (rule->weekday < 0) {
            return L"invalid weekday name";
        }
        rest = day.substr(mark + 2);
    } else {
        rule->dayCode = DayCode::kDayOfMonth;
    }
    std::size_t at = 0;
    if (at < rest.size() && rest[at] == '+') {
        ++at;
    }
    int value = 0;
    const std::size_t digits = at;
    for (; at < rest.size() && rest[at] >= '0' && rest[at] <= '9' && value <= 99; ++at) {
        value = value * 10 + (rest[at] - '0');
    }
    if (at == digits || at != rest.size() || value <= 0 || value > kMonthDays[1][rule->month]) {
        return L"invalid day of month";
    }
    rule->dayOfMonth = value;
    return {};
}

// SAVE: an amount with an optional s (standard) or d (daylight) suffix.
bool ParseSave(std::string_view text, Time* save, bool* isDst) {
    int dst = -1;
    if (!text.empty() && (text.back() == 'd' || text.back() == 's')) {
        dst = text.back() == 'd' ? 1 : 0;
        text.remove_suffix(1);
    }
    if (!ParseHms(text, save)) {
        return false;
    }
    *isDst = dst < 0 ? *save != 0 : dst == 1;
    return true;
}

// A zone or link name zic can make a file of.
std::wstring NameProblem(std::string_view name) {
    if (name.empty()) {
        return L"empty name";
    }
    if (name.size() > 255) {
        return L"name too long";
    }
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && (name[i] < '!' || name[i] > '~')) {
            return L"name holds a byte that is not printable ASCII";
        }
        if (i == name.size() || name[i] == '/') {
            const std::string_view component = name.substr(begin, i - begin);
            if (component.empty()) {
                return L"name has an empty component";
            }
            if (component == "." || component == "..") {
                return L"name has a '.' or '..' component";
            }
            begin = i + 1;
        }
    }
    return {};
}

// The fields of one line as zic splits it: white space between fields,
// double quotes around text that holds either, '#' to the end of the line
// a comment, and a field "-" empty. False on an odd number of quotes.
bool SplitFields(std::string_view line, std::vector<std::string>* fields) {
    fields->clear();
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\f' || c == '\n' || c == '\r' || c == '\t' || c == '\v';
    };
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && isSpace(line[at])) {
            ++at;
        }
        if (at == line.size() || line[at] == '#') {
            return true;
        }
        std::string field;
        do {
            const char c = line[at++];
            if (c != '"') {
                field.push_back(c);
                continue;
            }
            for (;;) {
                if (at == line.size()) {
                    return false;
                }
                const char quoted = line[at++];
                if (quoted == '"') {
                    break;
                }
                field.push_back(quoted);
            }
        } while (at < line.size() && line[at] != '#' && !isSpace(line[at]));
        if (field == "-") {
            field.clear();
        }
        fields->push_back(std::move(field));
    }
}

class Reader {
public:
    std::vector<Rule> rules;
    std::vector<ZoneLine> zones; // every zone's lines, one zone after another
    std::vector<Link> links;
    std::string version;

    bool ReadFile(std::size_t file, std::string_view text, Failure* failure) {
        bool wantContinuation = false;
        std::size_t lineNumber = 0;
        std::size_t at = 0;
        std::vector<std::string> fields;
        while (at < text.size()) {
            ++lineNumber;
            const std::size_t end = text.find('\n', at);
            if (end == std::string_view::npos) {
                return Fail(failure, file, lineNumber, L"unterminated line");
            }
            const std::string_view line = text.substr(at, end - at);
            at = end + 1;
            if (line.find('\0') != std::string_view::npos) {
                return Fail(failure, file, lineNumber, L"NUL input byte");
            }
            if (line.size() > kMaxLineLength) {
                return Fail(failure, file, lineNumber, L"line too long");
            }
            if (version.empty() && line.substr(0, 10) == "# version ") {
                std::vector<std::string> words;
                if (SplitFields(line.substr(10), &words) && words.size() == 1) {
                    version = words[0];
                }
            }
            if (!SplitFields(line, &fields)) {
                return Fail(failure, file, lineNumber, L"odd number of quotation marks");
            }
            if (fields.empty()) {
                continue;
            }
            std::wstring reason;
            if (wantContinuation) {
                reason = ReadZone(fields, true, file, lineNumber, &wantContinuation);
            } else {
                static constexpr std::array<const char*, 3> kLineCodes = {"Rule", "Zone", "Link"};
                switch (Lookup(fields[0], kLineCodes)) {
                case 0:
                    reason = ReadRule(fields, file, lineNumber);
                    break;
                case 1:
                    reason = ReadZone(fields, false, file, lineNumber, &wantContinuation);
                    break;
                case 2:
                    reason = ReadLink(fields, file, lineNumber);
                    break;
                default:
                    reason = L"input line of unknown type";
                    break;
                }
            }
            if (!reason.empty()) {
                return Fail(failure, file, lineNumber, reason);
            }
        }
        if (wantContinuation) {
            // zic names the line after the last, where it looked for one.
            return Fail(failure, file, lineNumber + 1, L"expected continuation line not found");
        }
        return true;
    }

private:
    static bool Fail(Failure* failure, std::size_t file, std::size_t line, std::wstring reason) {
        *failure = Failure{file, line, std::move(reason)};
        return false;
    }

    std::wstring ReadRule(const std::vector<std::string>& f, std::size_t file, std::size_t line) {
        if (f.size() != 10) {
            return L"wrong number of fields on Rule line";
        }
        const char first = f[1].empty() ? '\0' : f[1][0];
        if (first == '\0' || first == '+' || first == '-' || (first >= '0' && first <= '9')) {
            return L"invalid rule name";
        }
        Rule rule;
        rule.file = file;
        rule.line = line;
        if (!ParseSave(f[8], &rule.save, &rule.isDst)) {
            return L"invalid saved time";
        }
        std::wstring reason = ParseRuleDate(&rule, f[2], f[3], f[4], f[5], f[6], f[7]);
        if (!reason.empty()) {
            return reason;
        }
        rule.name = f[1];
        rule.letters = f[9];
        rules.push_back(std::move(rule));
        return {};
    }

    std::wstring ReadZone(const std::vector<std::string>& f, bool continuation, std::size_t file,
                          std::size_t line, bool* wantContinuation) {
        *wantContinuation = false;
        const std::size_t first = continuation ? 0 : 2; // the STDOFF field
        if (continuation ? (f.size() < 3 || f.size() > 7) : (f.size() < 5 || f.size() > 9)) {
            return continuation ? L"wrong number of fields on Zone continuation line"
                                : L"wrong number of fields on Zone line";
        }
        ZoneLine zone;
        zone.file = file;
        zone.line = line;
        if (!continuation) {
            zone.name = f[1];
            std::wstring problem = NameProblem(zone.name);
            if (!problem.empty()) {
                return problem;
            }
            if (!zoneNames_.insert(zone.name).second) {
                return L"duplicate zone name";
            }
        }
        if (!ParseHms(f[first], &zone.stdoff)) {
            return L"invalid UT offset";
        }
        zone.rules = f[first + 1];
        zone.format = f[first + 2];
        const std::size_t percent = zone.format.find('%');
        if (percent != std::string::npos) {
            const char specifier = percent + 1 < zone.format.size() ? zone.format[percent + 1] : '\0';
            if ((specifier != 's' && specifier != 'z') ||
                zone.format.find('%', percent + 1) != std::string::npos ||
                zone.format.find('/') != std::string::npos) {
                return L"invalid abbreviation format";
            }
            zone.formatSpecifier = specifier;
            zone.format[percent + 1] = 's';
        }
        zone.hasUntil = f.size() > first + 3;
        if (zone.hasUntil) {
            const auto field = [&](std::size_t i, const char* fallback) {
                return f.size() > first + i ? std::string_view(f[first + i]) : std::string_view(fallback);
            };
            zone.until.file = file;
            zone.until.line = line;
            std::wstring reason = ParseRuleDate(&zone.until, f[first + 3], "only", "", field(4, "Jan"),
                                                field(5, "1"), field(6, "0"));
            if (!reason.empty()) {
                return reason;
            }
            if (!zone.until.loWasNumber) {
                return L"invalid until year";
            }
            zone.untilTime = RuleTime(zone.until, zone.until.loYear, &reason);
            if (!reason.empty()) {
                return reason;
            }
            if (continuation && !zones.empty() && zones.back().untilTime >= zone.untilTime) {
                return L"Zone continuation line end time is not after end time of previous line";
            }
        }
        zones.push_back(std::move(zone));
        *wantContinuation = zones.back().hasUntil;
        return {};
    }

    std::wstring ReadLink(const std::vector<std::string>& f, std::size_t file, std::size_t line) {
        if (f.size() != 3) {
            return L"wrong number of fields on Link line";
        }
        if (f[1].empty()) {
            return L"blank TARGET field on Link line";
        }
        std::wstring problem = NameProblem(f[2]);
        if (!problem.empty()) {
            return problem;
        }
        links.push_back(Link{f[1], f[2], file, line});
        return {};
    }

    std::set<std::string> zoneNames_;

public:
    // When the rule takes effect in `year`, in seconds since 1970 of the
    // clock its AT names (not yet turned into UT).
    static Time RuleTime(const Rule& rule, std::int64_t year, std::wstring* reason) {
        if (year == kMinYear) {
            return kMinTime;
        }
        if (year == kMaxYear) {
            return kMaxTime;
        }
        const int leap = IsLeap(year) ? 1 : 0;
        std::int64_t day = DaysBeforeYear(year);
        for (int m = 0; m < rule.month; ++m) {
            day += kMonthDays[leap][m];
        }
        int dayOfMonth = rule.dayOfMonth;
        if (rule.month == 1 && dayOfMonth == 29 && leap == 0) {
            if (rule.dayCode != DayCode::kOnOrBefore) {
                *reason = L"use of 2/29 in non leap-year";
                return 0;
            }
            --dayOfMonth;
        }
        day += dayOfMonth - 1;
        if (rule.dayCode != DayCode::kDayOfMonth) {
            int weekday = static_cast<int>(((4 + day % 7) % 7 + 7) % 7);
            while (weekday != rule.weekday) {
                if (rule.dayCode == DayCode::kOnOrAfter) {
                    ++day;
                    weekday = (weekday + 1) % 7;
                } else {
                    --day;
                    weekday = (weekday + 6) % 7;
                }
            }
        }
        return day * kDay + rule.tod;
    }
};

Time AddTime(Time t, Time seconds) {
    return t == kMinTime || t == kMaxTime ? t : t + seconds;
}

// ±hh[mm[ss]], the shortest that loses nothing.
std::string OffsetAbbreviation(Time offset) {
    std::string text(1, offset < 0 ? '-' : '+');
    const Time magnitude = offset < 0 ? -offset : offset;
    const Time hours = magnitude / 3600;
    const Time minutes = magnitude / 60 % 60;
    const Time seconds = magnitude % 60;
    const auto two = [&](Time value) {
        text.push_back(static_cast<char>('0' + value / 10));
        text.push_back(static_cast<char>('0' + value % 10));
    };
    two(hours);
    if (minutes != 0 || seconds != 0) {
        two(minutes);
        if (seconds != 0) {
            two(seconds);
        }
    }
    return text;
}

enum class Quoting {
    kNone,     // as the abbreviation is
    kZic,      // as zic writes it in a TZ string: in <> unless all letters
    kReadable, // in <>, never empty, only letters, digits, + and -: what any TZ reader takes
};

// The abbreviation a zone line's FORMAT makes with a rule's letters (none:
// the line has no rule in force).
std::string Abbreviation(const ZoneLine& zone, const std::string* letters, bool isDst, Time save,
                         Quoting quoting) {
    std::string abbreviation;
    const std::size_t slash = zone.format.find('/');
    if (slash == std::string::npos) {
        std::string variable;
        if (zone.formatSpecifier == 'z') {
            variable = OffsetAbbreviation(zone.stdoff + save);
        } else if (letters == nullptr) {
            variable = "%s";
        } else {
            variable = *letters;
        }
        const std::size_t percent = zone.format.find("%s");
        abbreviation = percent == std::string::npos
                           ? zone.format
                           : zone.format.substr(0, percent) + variable + zone.format.substr(percent + 2);
    } else {
        abbreviation = isDst ? zone.format.substr(slash + 1) : zone.format.substr(0, slash);
    }
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    switch (quoting) {
    case Quoting::kNone:
        return abbreviation;
    case Quoting::kZic:
        return !abbreviation.empty() && std::all_of(abbreviation.begin(), abbreviation.end(), isLetter)
                   ? abbreviation
                   : "<" + abbreviation + ">";
    case Quoting::kReadable:
        break;
    }
    for (char& c : abbreviation) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-') {
            c = '_';
        }
    }
    return "<" + (abbreviation.empty() ? std::string("_") : abbreviation) + ">";
}

// [-]h[:mm[:ss]] as a TZ string writes an offset or a time; false beyond a week.
bool AppendTzOffset(std::string* out, Time offset) {
    if (offset < 0) {
        out->push_back('-');
        offset = -offset;
    }
    const Time hours = offset / 3600;
    const Time minutes = offset / 60 % 60;
    const Time seconds = offset % 60;
    if (hours >= 24 * 7) {
        return false;
    }
    *out += std::to_string(hours);
    if (minutes != 0 || seconds != 0) {
        out->push_back(':');
        out->push_back(static_cast<char>('0' + minutes / 10));
        out->push_back(static_cast<char>('0' + minutes % 10));
        if (seconds != 0) {
            out->push_back(':');
            out->push_back(static_cast<char>('0' + seconds / 10));
            out->push_back(static_cast<char>('0' + seconds % 10));
        }
    }
    return true;
}

// A rule's date and time in a TZ string; false when it has no such form.
bool AppendTzRule(std::string* out, const Rule& rule, Time save, Time stdoff) {
    Time tod = rule.tod;
    if (rule.dayCode == DayCode::kDayOfMonth) {
        if (rule.dayOfMonth == 29 && rule.month == 1) {
            return false;
        }
        int total = 0;
        for (int m = 0; m < rule.month; ++m) {
            total += kMonthDays[0][m];
        }
        // Without the J in January and February: shorter, and the same day.
        *out += rule.month <= 1 ? std::to_string(total + rule.dayOfMonth - 1)
                                : "J" + std::to_string(total + rule.dayOfMonth);
    } else {
        int week = 0;
        int weekday = rule.weekday;
        if (rule.dayCode == DayCode::kOnOrAfter) {
            const int shift = (rule.dayOfMonth - 1) % 7;
            weekday -= shift;
            tod += shift * kDay;
            week = 1 + (rule.dayOfMonth - 1) / 7;
        } else if (rule.dayOfMonth == kMonthDays[1][rule.month]) {
            week = 5;
        } else {
            const int shift = rule.dayOfMonth % 7;
            weekday -= shift;
            tod += shift * kDay;
            week = rule.dayOfMonth / 7;
        }
        if (weekday < 0) {
            weekday += 7;
        }
        *out +=
            "M" + std::to_string(rule.month + 1) + "." + std::to_string(week) + "." + std::to_string(weekday);
    }
    if (rule.todIsUt) {
        tod += stdoff;
    }
    if (rule.todIsStd && !rule.isDst) {
        tod += save;
    }
    if (tod != 7200) {
        out->push_back('/');
        if (!AppendTzOffset(out, tod)) {
            return false;
        }
    }
    return true;
}

// Orders rules by when they last run: the later is greater.
int CompareLastRules(const Rule* a, const Rule* b) {
    if (a == nullptr) {
        return b == nullptr ? 0 : -1;
    }
    if (b == nullptr) {
        return 1;
    }
    if (a->hiYear != b->hiYear) {
        return a->hiYear < b->hiYear ? -1 : 1;
    }
    if (a->month != b->month) {
        return a->month - b->month;
    }
    return a->dayOfMonth - b->dayOfMonth;
}

// The TZ string zic writes for the time after a zone's last transition, from
// its last line; false when it writes none. The rules that run to "maximum"
// make it (one standard, at most one daylight); without such rules the line's
// latest rule stays in force, and daylight time all year has no TZ string.
bool TzString(const ZoneLine& zone, const std::vector<Rule>& rules, Quoting quoting, std::string* out) {
    out->clear();
    const Rule* stdRule = nullptr;
    const Rule* dstRule = nullptr;
    for (const std::size_t index : zone.ruleIndices) {
        const Rule& rule = rules[index];
        if (rule.hiWasNumber || rule.hiYear != kMaxYear) {
            continue;
        }
        const Rule*& slot = rule.isDst ? dstRule : stdRule;
        if (slot != nullptr) {
            return false;
        }
        slot = &rule;
    }
    Rule fakeStd;
    Rule fakeDst;
    if (stdRule == nullptr && dstRule == nullptr) {
        const Rule* stdLetters = nullptr;
        for (const std::size_t index : zone.ruleIndices) {
            const Rule& rule = rules[index];
            if (!rule.isDst && CompareLastRules(stdLetters, &rule) < 0) {
                stdLetters = &rule;
            }
            if (CompareLastRules(stdRule, &rule) < 0) {
                stdRule = &rule;
            }
        }
        if (stdRule != nullptr && stdRule->isDst) {
            // Daylight time for good: from 1 January to the end of the year.
            fakeDst.month = 0;
            fakeDst.dayOfMonth = 1;
            fakeDst.isDst = true;
            fakeDst.save = stdRule->save;
            fakeDst.letters = stdRule->letters;
            fakeStd.month = 11;
            fakeStd.dayOfMonth = 31;
            fakeStd.tod = kDay + stdRule->save;
            fakeStd.letters = stdLetters != nullptr ? stdLetters->letters : std::string();
            dstRule = &fakeDst;
            stdRule = &fakeStd;
        }
    }
    if (stdRule == nullptr && (!zone.ruleIndices.empty() || zone.isDst)) {
        return false;
    }
    const std::string none;
    *out += Abbreviation(zone, stdRule != nullptr ? &stdRule->letters : &none, false, 0, quoting);
    if (!AppendTzOffset(out, -zone.stdoff)) {
        return false;
    }
    if (dstRule == nullptr) {
        return true;
    }
    *out += Abbreviation(zone, &dstRule->letters, dstRule->isDst, dstRule->save, quoting);
    if (dstRule->save != 3600 && !AppendTzOffset(out, -(zone.stdoff + dstRule->save))) {
        return false;
    }
    out->push_back(',');
    if (!AppendTzRule(out, *dstRule, dstRule->save, zone.stdoff)) {
        return false;
    }
    out->push_back(',');
    return AppendTzRule(out, *stdRule, dstRule->save, zone.stdoff);
}

struct OutType {
    Time offset;
    bool isDst;
    std::string abbreviation;
    bool operator==(const OutType&) const = default;
};

struct OutTransition {
    Time at;
    int type;
    bool dontMerge = false;
};

// One zone compiled as zic compiles it, then reduced to what the table holds.
class ZoneCompiler {
public:
    ZoneCompiler(const std::vector<Rule>& rules, std::vector<Rule>& work) : rules_(rules), work_(work) {}

    bool Compile(const ZoneLine* lines, std::size_t count, TzZone* zone, Failure* failure) {
        // zic's TZ string, or where the program's reader would not take it
        // (abbreviations of fewer than three letters, say) the same rule with
        // its abbreviations quoted.
        std::string tzString;
        std::optional<PosixTz> rule;
        if (TzString(lines[count - 1], rules_, Quoting::kZic, &tzString)) {
            rule = ParsePosixTz(PrintableAsciiText(tzString));
            if (!rule && TzString(lines[count - 1], rules_, Quoting::kReadable, &tzString)) {
                rule = ParsePosixTz(PrintableAsciiText(tzString));
            }
        }
        const bool hasString = rule.has_value() && tzString.size() <= 255;
        std::int64_t minYear = kEpochYear;
        std::int64_t maxYear = kEpochYear;
        const auto widen = [&](std::int64_t year) {
            minYear = std::min(minYear, year);
            maxYear = std::max(maxYear, year);
        };
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 1 < count) {
                widen(lines[i].until.loYear);
            }
            for (const std::size_t index : lines[i].ruleIndices) {
                if (rules_[index].loWasNumber) {
                    widen(rules_[index].loYear);
                }
                if (rules_[index].hiWasNumber) {
                    widen(rules_[index].hiYear);
                }
            }
        }
        if (!hasString) {
            maxYear = std::max(maxYear, kExtendedLastYear);
        }
        const std::int64_t maxYear0 = maxYear;
        minYear = std::min<std::int64_t>(minYear, 1900);
        maxYear = std::max<std::int64_t>(maxYear, 2038);
        if (!Walk(lines, count, minYear, maxYear, maxYear0, failure)) {
            return false;
        }
        if (types_.empty()) {
            // zic writes a file no reader takes.
            *failure = Failure{lines[0].file, lines[0].line, L"the zone's rules never take effect"};
            return false;
        }
        Reduce(zone);
        if (hasString) {
            zone->ruleText = PrintableAsciiText(tzString);
            zone->rule = rule;
        }
        return true;
    }

private:
    int AddType(Time offset, bool isDst, const std::string& abbreviation, const ZoneLine& line,
                Failure* failure) {
        if (offset <= -kDay || offset >= kDay) {
            *failure = Failure{line.file, line.line, L"UT offset of a day or more"};
            return -1;
        }
        const OutType type{offset, isDst, abbreviation};
        for (std::size_t i = 0; i < types_.size(); ++i) {
            if (types_[i] == type) {
                return static_cast<int>(i);
            }
        }
        if (types_.size() >= 255) {
            *failure = Failure{line.file, line.line, L"too many local time types"};
            return -1;
        }
        types_.push_back(type);
        return static_cast<int>(types_.size() - 1);
    }

    bool Walk(const ZoneLine* lines, std::size_t count, std::int64_t minYear, std::int64_t maxYear,
              std::int64_t maxYear0, Failure* failure) {
        Time startTime = 0;
        Time save = 0;
        Time stdoff = 0;
        int lastAtMax = -1;
        for (std::size_t i = 0; i < count; ++i) {
            const ZoneLine& zp = lines[i];
            save = 0;
            bool useStart = i > 0 && lines[i - 1].untilTime > kMinTime;
            const bool useUntil = i + 1 < count;
            if (useUntil && zp.untilTime <= kMinTime) {
                continue;
            }
            stdoff = zp.stdoff;
            std::string startAbbreviation;
            Time startOffset = zp.stdoff;
            if (zp.ruleIndices.empty()) {
                save = zp.save;
                const int type =
                    AddType(zp.stdoff + save, zp.isDst,
                            Abbreviation(zp, nullptr, zp.isDst, save, Quoting::kNone), zp, failure);
                if (type < 0) {
                    return false;
                }
                if (useStart) {
                    transitions_.push_back({startTime, type});
                    useStart = false;
                } else {
                    defaultType_ = type;
                }
            } else {
                // Per rule of the line: its abbreviation and its type, made
                // once; the rules in force in the year being walked.
                const std::size_t ruleCount = zp.ruleIndices.size();
                std::vector<std::string> abbreviations(ruleCount);
                std::vector<int> types(ruleCount, -1);
                std::vector<std::size_t> active;
                const auto abbreviationOf = [&](std::size_t p) -> const std::string& {
                    if (abbreviations[p].empty()) {
                        const Rule& r = work_[zp.ruleIndices[p]];
                        abbreviations[p] = Abbreviation(zp, &r.letters, r.isDst, r.save, Quoting::kNone);
                    }
                    return abbreviations[p];
                };
                for (std::int64_t year = minYear; year <= maxYear; ++year) {
                    if (useUntil && year > zp.until.hiYear) {
                        break;
                    }
                    active.clear();
                    for (std::size_t p = 0; p < ruleCount; ++p) {
                        Rule& rule = work_[zp.ruleIndices[p]];
                        rule.todo = year >= rule.loYear && year <= rule.hiYear;
                        if (rule.todo) {
                            std::wstring reason;
                            rule.temp = Reader::RuleTime(rule, year, &reason);
                            if (!reason.empty()) {
                                *failure = Failure{zp.file, zp.line, reason};
                                return false;
                            }
                            rule.todo = rule.temp < kY2038 || year <= maxYear0;
                            if (rule.todo) {
                                active.push_back(p);
                            }
                        }
                    }
                    if (active.empty()) {
                        // Straight on to the next year a rule runs in.
                        std::int64_t next = kMaxYear;
                        bool later = false;
                        for (const std::size_t index : zp.ruleIndices) {
                            if (work_[index].loYear > year) {
                                next = std::min(next, work_[index].loYear);
                            }
                            later = later || work_[index].hiYear > year;
                        }
                        if (!later) {
                            break;
                        }
                        if (next != kMaxYear && next - 1 > year) {
                            year = next - 1;
                        }
                        continue;
                    }
                    for (;;) {
                        Time untilTime = 0;
                        if (useUntil) {
                            untilTime = zp.untilTime;
                            if (!zp.until.todIsUt) {
                                untilTime = AddTime(untilTime, -stdoff);
                            }
                            if (!zp.until.todIsStd) {
                                untilTime = AddTime(untilTime, -save);
                            }
                        }
                        // The rule of those left that takes effect first.
                        std::size_t k = 0;
                        bool found = false;
                        Time kTime = 0;
                        for (const std::size_t p : active) {
                            const Rule& r = work_[zp.ruleIndices[p]];
                            if (!r.todo) {
                                continue;
                            }
                            Time offset = r.todIsUt ? 0 : stdoff;
                            if (!r.todIsStd) {
                                offset += save;
                            }
                            Time jTime = r.temp;
                            if (jTime == kMinTime || jTime == kMaxTime) {
                                continue;
                            }
                            jTime -= offset;
                            if (!found || jTime < kTime) {
                                k = p;
                                kTime = jTime;
                                found = true;
                            } else if (jTime == kTime) {
                                *failure = Failure{zp.file, zp.line,
                                                   L"two rules for same instant (rule lines " +
                                                       std::to_wstring(work_[zp.ruleIndices[k]].line) +
                                                       L" and " + std::to_wstring(r.line) + L")"};
                                return false;
                            }
                        }
                        if (!found) {
                            break;
                        }
                        Rule& rp = work_[zp.ruleIndices[k]];
                        rp.todo = false;
                        if (useUntil && kTime >= untilTime) {
                            if (startAbbreviation.empty() && zp.stdoff + rp.save == startOffset) {
                                startAbbreviation = abbreviationOf(k);
                            }
                            break;
                        }
                        save = rp.save;
                        if (useStart && kTime == startTime) {
                            useStart = false;
                        }
                        if (useStart) {
                            if (kTime < startTime) {
                                startOffset = zp.stdoff + save;
                                startAbbreviation = abbreviationOf(k);
                                continue;
                            }
                            if (startAbbreviation.empty() && startOffset == zp.stdoff + save) {
                                startAbbreviation = abbreviationOf(k);
                            }
                        }
                        if (types[k] < 0) {
                            types[k] = AddType(zp.stdoff + rp.save, rp.isDst, abbreviationOf(k), zp, failure);
                            if (types[k] < 0) {
                                return false;
                            }
                        }
                        const int type = types[k];
                        if (defaultType_ < 0 && !rp.isDst) {
                            defaultType_ = type;
                        }
                        if (rp.hiYear == kMaxYear &&
                            !(lastAtMax >= 0 &&
                              kTime < transitions_[static_cast<std::size_t>(lastAtMax)].at)) {
                            lastAtMax = static_cast<int>(transitions_.size());
                        }
                        transitions_.push_back({kTime, type});
                    }
                }
            }
            if (useStart) {
                const bool isDst = startOffset != zp.stdoff;
                // Without a rule's letters only a slash or %z makes one.
                if (startAbbreviation.empty() &&
                    (zp.formatSpecifier == 'z' || zp.format.find('/') != std::string::npos)) {
                    startAbbreviation = Abbreviation(zp, nullptr, isDst, save, Quoting::kNone);
                }
                if (startAbbreviation.empty()) {
                    *failure =
                        Failure{zp.file, zp.line,
                                L"can't determine time zone abbreviation to use just after until time"};
                    return false;
                }
                const int type = AddType(startOffset, isDst, startAbbreviation, zp, failure);
                if (type < 0) {
                    return false;
                }
                if (defaultType_ < 0 && !isDst) {
                    defaultType_ = type;
                }
                transitions_.push_back({startTime, type});
            }
            if (useUntil) {
                startTime = zp.untilTime;
                if (!zp.until.todIsStd) {
                    startTime = AddTime(startTime, -save);
                }
                if (!zp.until.todIsUt) {
                    startTime = AddTime(startTime, -stdoff);
                }
            }
        }
        if (lastAtMax >= 0) {
            transitions_[static_cast<std::size_t>(lastAtMax)].dontMerge = true;
        }
        if (defaultType_ < 0) {
            defaultType_ = 0;
        }
        return true;
    }

    // zic's merging of transitions that come too close together or change
    // nothing, then what the table keeps from 1970 on.
    void Reduce(TzZone* zone) {
        std::stable_sort(transitions_.begin(), transitions_.end(),
                         [](const OutTransition& a, const OutTransition& b) { return a.at < b.at; });
        std::vector<OutTransition> merged;
        for (const OutTransition& t : transitions_) {
            if (!merged.empty()) {
                const OutTransition& last = merged.back();
                const Time before =
                    types_[static_cast<std::size_t>(merged.size() == 1 ? 0 : merged[merged.size() - 2].type)]
                        .offset;
                if (t.at + types_[static_cast<std::size_t>(last.type)].offset <= last.at + before) {
                    merged.back().type = t.type;
                    continue;
                }
            }
            if (merged.empty() || t.dontMerge ||
                !(types_[static_cast<std::size_t>(merged.back().type)] ==
                  types_[static_cast<std::size_t>(t.type)])) {
                merged.push_back(t);
            }
        }
        int initial = defaultType_;
        std::vector<std::pair<Time, int>> kept;
        const auto same = [&](int a, int b) {
            return types_[static_cast<std::size_t>(a)].offset == types_[static_cast<std::size_t>(b)].offset &&
                   types_[static_cast<std::size_t>(a)].isDst == types_[static_cast<std::size_t>(b)].isDst;
        };
        for (const OutTransition& t : merged) {
            if (t.at <= 0) {
                initial = t.type;
                continue;
            }
            // Of two transitions at one instant (zic can list both) the
            // later is the one in force, as every reader of its files has it.
            if (!kept.empty() && kept.back().first == t.at) {
                kept.pop_back();
            }
            if (!same(t.type, kept.empty() ? initial : kept.back().second)) {
                kept.emplace_back(t.at, t.type);
            }
        }
        const auto use = [&](int type) {
            for (std::size_t i = 0; i < zone->types.size(); ++i) {
                if (zone->types[i].offset == types_[static_cast<std::size_t>(type)].offset &&
                    zone->types[i].daylight == types_[static_cast<std::size_t>(type)].isDst) {
                    return static_cast<std::uint8_t>(i);
                }
            }
            zone->types.push_back(
                TzOffsetType{static_cast<LONG>(types_[static_cast<std::size_t>(type)].offset),
                             types_[static_cast<std::size_t>(type)].isDst});
            return static_cast<std::uint8_t>(zone->types.size() - 1);
        };
        zone->initialType = use(initial);
        for (const auto& [at, type] : kept) {
            zone->transitions.push_back(TzTransition{at, use(type)});
        }
    }

    const std::vector<Rule>& rules_;
    std::vector<Rule>& work_;
    std::vector<OutType> types_;
    std::vector<OutTransition> transitions_;
    int defaultType_ = -1;
};

bool SameZone(const TzZone& a, const TzZone& b) {
    if (a.initialType != b.initialType || a.ruleText != b.ruleText || a.types.size() != b.types.size() ||
        a.transitions.size() != b.transitions.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.types.size(); ++i) {
        if (a.types[i].offset != b.types[i].offset || a.types[i].daylight != b.types[i].daylight) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.transitions.size(); ++i) {
        if (a.transitions[i].time != b.transitions[i].time ||
            a.transitions[i].type != b.transitions[i].type) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<TzSourceError> CompileTzSource(const std::vector<TzSourceFile>& files,
                                             std::wstring_view version, TzTable* table) {
    Reader reader;
    Failure failure;
    const auto refuse = [&](const Failure& f) {
        return TzSourceError{f.file < files.size() ? files[f.file].name : std::wstring(), f.line, f.reason};
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!reader.ReadFile(i, files[i].text, &failure)) {
            return refuse(failure);
        }
    }
    // The rules of each zone line: a rule set by name, or else an amount.
    std::map<std::string_view, std::vector<std::size_t>> ruleSets;
    for (std::size_t i = 0; i < reader.rules.size(); ++i) {
        ruleSets[reader.rules[i].name].push_back(i);
    }
    for (ZoneLine& line : reader.zones) {
        const auto set = ruleSets.find(line.rules);
        if (set != ruleSets.end()) {
            line.ruleIndices = set->second;
            continue;
        }
        if (!ParseSave(line.rules, &line.save, &line.isDst)) {
            return refuse(Failure{line.file, line.line, L"invalid saved time (no such rule)"});
        }
        if (line.formatSpecifier == 's') {
            return refuse(Failure{line.file, line.line, L"%s in ruleless zone"});
        }
    }

    TzTable compiled;
    std::map<std::string, std::size_t> zoneOf; // name -> index into compiled.zones
    std::vector<Rule> work = reader.rules;
    for (std::size_t begin = 0; begin < reader.zones.size();) {
        std::size_t end = begin + 1;
        while (end < reader.zones.size() && reader.zones[end].name.empty()) {
            ++end;
        }
        TzZone zone;
        ZoneCompiler compiler(reader.rules, work);
        if (!compiler.Compile(&reader.zones[begin], end - begin, &zone, &failure)) {
            return refuse(failure);
        }
        std::size_t index = compiled.zones.size();
        for (std::size_t i = 0; i < compiled.zones.size(); ++i) {
            if (SameZone(compiled.zones[i], zone)) {
                index = i;
                break;
            }
        }
        if (index == compiled.zones.size()) {
            compiled.zones.push_back(std::move(zone));
        }
        zoneOf[reader.zones[begin].name] = index;
        begin = end;
    }
    if (compiled.zones.empty()) {
        return TzSourceError{files.empty() ? std::wstring() : files.front().name, 0,
                             L"the input holds no zones"};
    }
    std::map<std::string_view, const Link*> linkOf;
    for (const Link& link : reader.links) {
        if (zoneOf.count(link.name) != 0 || !linkOf.emplace(link.name, &link).second) {
            return refuse(Failure{link.file, link.line, L"link name already in use"});
        }
    }
    for (const Link& link : reader.links) {
        // A link to a link is followed to its zone.
        std::string_view target = link.target;
        for (std::size_t hops = 0; zoneOf.count(std::string(target)) == 0; ++hops) {
            const auto next = linkOf.find(target);
            if (next == linkOf.end() || hops > linkOf.size()) {
                return refuse(Failure{link.file, link.line, L"link target is no zone"});
            }
            target = next->second->target;
        }
        zoneOf[link.name] = zoneOf[std::string(target)];
    }
    if (compiled.zones.size() > 0xFFFF || zoneOf.size() > 0xFFFF) {
        return TzSourceError{files.front().name, 0, L"too many zones"};
    }
    for (const auto& [name, index] : zoneOf) { // std::map: ASCII order
        compiled.names.emplace_back(PrintableAsciiText(name), static_cast<std::uint16_t>(index));
    }
    compiled.version = version.empty() ? PrintableAsciiText(reader.version) : std::wstring(version);
    if (compiled.version.empty()) {
        return TzSourceError{files.front().name, 0, L"the input names no version"};
    }
    *table = std::move(compiled);
    return std::nullopt;
}

} // namespace tarvane
