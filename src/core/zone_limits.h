// What no zone can have: the bounds that Save Changes holds every rules block
// to beyond the ranges of the editor's fields, and the one-time date that a
// year's rule starts from when it is switched to "Happens Only Once".
#pragma once

#include "core/time_zone_record.h"
#include "platform/clock_api.h"

namespace tarvane {

// The zones of the world lie between UTC-14:00 and UTC+14:00.
inline constexpr LONG kMaxBaseOffsetMinutes = 14 * 60;
// Daylight time differs from standard time by at most this much.
inline constexpr LONG kMaxDaylightShiftMinutes = 4 * 60;

bool BaseOffsetPossible(LONG bias);
bool DaylightShiftPossible(const TziBlock& tzi);

// The two transitions of a block whose daylight saving is enabled, each
// already a valid rule of its kind, fall on two different moments: two
// recurring rules differ, two one-time dates differ, and a one-time date is
// not what the recurring rule gives in its year.
bool TransitionsDistinct(const ZoneRules& rules, ClockApi& clock);

// A one-time date of the rules of `year` (0: the zone's own rules, any year
// will do) lies in that year.
bool OnceDateInYear(const SYSTEMTIME& once, DWORD year);

// A valid one-time date in `year` for a rule switched to "Happens Only Once":
// the date that the recurring rule gives in that year, else the first of
// January of that year, at the time `once` holds when that is a valid time,
// else at midnight.
SYSTEMTIME OnceDateForYear(const SYSTEMTIME& recurring, const SYSTEMTIME& once, WORD year, ClockApi& clock);

} // namespace tarvane
