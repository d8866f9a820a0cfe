// The edits that a save would write although they are almost never meant:
// a dynamic year without daylight saving time among years that have it, in a
// zone whose own rules have it, and a new last year that nobody edited whose
// rules differ from the year before it (both carry on to every later year).
// Pure: the records go in, sentences for the user come out.
#pragma once

#include "core/time_zone_record.h"

#include <string>
#include <vector>

namespace tarvane {

// The warnings for `zone` as it is about to be saved, in year order, each a
// sentence that says what the clocks will do ("From 2008 on, Pacific Standard
// Time has no daylight saving time."). `before` is the zone as the registry
// held it when editing began: a year it holds unchanged warns no more.
// `untouchedNewYears` are the years added in this edit that still hold the
// rules they were added with.
std::vector<std::wstring> ClockWarnings(const TimeZoneRecord& zone, const TimeZoneRecord& before,
                                        const std::vector<DWORD>& untouchedNewYears);

} // namespace tarvane
