// Making a zone the running system's current time zone.
#pragma once

#include "core/time_zone_record.h"
#include "platform/time_zone_api.h"

#include <string>
#include <string_view>

namespace tarvane {

// Enables the time-zone privilege, hands the zone's composed rules to the
// system, disables the privilege again and, after success, broadcasts the
// change. 1 on success; the last error is 0 after success, the system's code
// when refused, 9 when no record is given.
bool ActivateTimeZone(TimeZoneApi& system, bool isLegacyOs, const TimeZoneRecord* record);

// Enables or disables one privilege ("SeTimeZonePrivilege") of the process
// token. True on success; a token without the privilege is a failure
// (ERROR_NOT_ALL_ASSIGNED). Last error set.
bool SetPrivilege(TimeZoneApi& system, std::wstring_view name, bool enable);

// The first `units` UTF-16 units of `text` at most: how a name is cut to fit
// the system's fixed arrays.
std::wstring CutToUtf16Units(std::wstring_view text, std::size_t units);

} // namespace tarvane
