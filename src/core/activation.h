// Making a zone the running system's current time zone.
#pragma once

#include "core/time_zone_record.h"
#include "platform/time_zone_api.h"

namespace tarvane {

// Enables the time-zone privilege, hands the zone's composed rules to the
// system, disables the privilege again and, after success, broadcasts the
// change. 1 on success; the last error is 0 after success, the system's code
// when refused, 9 when no record is given.
bool ActivateTimeZone(TimeZoneApi& system, bool isLegacyOs, const TimeZoneRecord* record);

} // namespace tarvane
