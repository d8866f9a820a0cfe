// Save Changes' checks of a zone, in their fixed order, without a window: the
// display name, the zone's own rules with its names, then every dynamic year.
// The window puts the focus on the field refused and shows the message; the
// console program refuses the zone with the same message.
#pragma once

#include "core/time_zone_record.h"
#include "core/zone_rules_check.h"
#include "platform/clock_api.h"

#include <optional>
#include <string>

namespace tarvane {

// The part of a zone that a check refuses: the editor's field for it.
using SaveField = ZoneField;

struct SaveRefusal {
    DWORD year; // 0: the zone's own rules
    SaveField field;
    std::wstring message;
};

// The first check `zone` fails, or none: the display name, then the rules of
// a valid zone (CheckZoneRules) for the zone's own rules and each year. On
// the way the names lose the white space at their ends, and a recurring
// rule's seconds and milliseconds out of range become 0, as they would be
// written; each refusal with a tag is logged.
std::optional<SaveRefusal> CheckZoneForSave(TimeZoneRecord& zone, ClockApi& clock);

} // namespace tarvane
