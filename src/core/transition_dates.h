// When a daylight-saving transition rule takes effect in a given year.
#pragma once

#include "platform/clock_api.h"
#include "platform/win_types.h"

namespace tarvane {

// The local date and time at which `rule` (a TziBlock transition date) takes
// effect in `year`; a year of 0 means the current local year. A yearly rule
// (wYear 0) picks the wDay-th wDayOfWeek of wMonth, where 5 is the last one,
// at wHour:wMinute; seconds, milliseconds and the day of week of the result
// are 0. A one-time rule (wYear not 0) is its own result. False when there is
// no rule or it names no valid date; `out` is written either way, but only
// means something on success.
bool ComputeTransitionDate(const SYSTEMTIME* rule, WORD year, SYSTEMTIME* out, ClockApi& clock);

} // namespace tarvane
