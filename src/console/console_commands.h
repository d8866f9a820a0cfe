// The console program's commands over the same seams as the window: the
// registry, the time-zone calls, files and processes. Nothing here asks,
// shows a window or writes to a console; the caller prints the report.
#pragma once

#include "backup/file_api.h"
#include "backup/process_api.h"
#include "console/console_options.h"
#include "console/console_report.h"
#include "platform/clock_api.h"
#include "platform/registry.h"
#include "platform/system_facts.h"
#include "platform/time_zone_api.h"
#include "platform/user_region.h"
#include "tzdb/tz_table.h"

#include <functional>

namespace tarvane::console {

struct ConsoleHost {
    RegistryApi& registry;
    TimeZoneApi& timeZones;
    FileApi& files;
    ProcessApi& processes;
    SystemFacts facts;
    int thisYear = 0; // the local year
    // Read only by the commands that need them.
    std::function<UserRegion()> userRegion;
    std::function<const TzTable*()> programTable; // null: missing or damaged (logged)
    ClockApi& clock = SystemClock();
};

ConsoleReport RunConsoleCommand(const ConsoleOptions& options, ConsoleHost& host);

} // namespace tarvane::console
