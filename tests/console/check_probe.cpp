// The window's Check Against tz Database over this machine's registry, as
// the window's Save as CSV writes its rows: what tarvanec check --json is
// compared with.
#include "core/zone_loader.h"
#include "core/zone_sources.h"
#include "platform/clock_api.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "platform/user_region.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_table_resource.h"

#include <windows.h>

#include <cstdio>

int wmain() {
    using namespace tarvane;
    const TzTable* table = ProgramTzTable();
    std::vector<TimeZoneRecord> zones;
    if (table == nullptr || !ReadTimeZones(SystemRegistry(), SystemTimeZoneApi(), zones)) {
        std::fputs("no table or no zones\n", stderr);
        return 1;
    }
    const std::vector<ZoneCheck> checks =
        CheckZones(zones, *table, SystemClock().LocalNow().wYear, ReadZoneSources(SystemRegistry()),
                   TerritoryOfRegion(ReadUserRegion().code));
    std::vector<const ZoneCheck*> rows;
    for (const ZoneCheck& check : checks) {
        rows.push_back(&check);
    }
    const std::string bytes = ToUtf8(ChecksAsCsv(rows));
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}
