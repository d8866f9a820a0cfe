// The rules of a valid zone, as Save Changes applies them before it writes:
// offsets a zone can have, names it must carry, transitions that name a day
// and a time, two transitions that differ. The first rule broken says which
// field is wrong, what the user is told and the diagnostic line; the window
// only maps the field to its control.
#pragma once

#include "core/time_zone_record.h"
#include "platform/clock_api.h"

#include <optional>
#include <string>

namespace tarvane {

// The editor's fields that a rule speaks of (the display name is checked
// before the rules, by Save Changes' own order).
enum class ZoneField {
    kDisplayName,
    kBias,
    kDaylightName,
    kDaylightBias,
    kDaylightMonth,
    kDaylightWeek,
    kDaylightDayOfWeek,
    kDaylightTime,
    kDaylightDate,
    kDaylightOccurs,
    kStandardName,
    kStandardBias,
    kStandardMonth,
    kStandardWeek,
    kStandardDayOfWeek,
    kStandardTime,
    kStandardDate,
    kStandardOccurs,
};

struct ZoneRuleProblem {
    ZoneField field;
    std::wstring message; // what the user is told
    std::wstring logLine; // the diagnostic line, with its tag; empty when none is written
    bool inYear;          // the problem lies in the rules of the year checked: show that year
};

struct ZoneRulesCheck {
    std::optional<ZoneRuleProblem> problem; // none: the rules are valid
    // The zone's own names were trimmed of white space (checking the zone's
    // own rules reaches them in this order): the window shows them trimmed.
    bool daylightNameTrimmed = false;
    bool standardNameTrimmed = false;
};

// Checks `rules`, the zone's own (`year` 0, which also checks and trims the
// names) or those of one dynamic year, in the order the editor shows them.
// A recurring transition's seconds and milliseconds out of range are cleared.
ZoneRulesCheck CheckZoneRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules, ClockApi& clock);

} // namespace tarvane
