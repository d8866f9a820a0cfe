// The tz table reader and the questions asked of a zone in it. The table is
// made by our own build and carried in the program, so it is no outside text
// in the strict sense; but a damaged or replaced resource must be refused,
// never read past its end, and a rule that reads must evaluate in every year
// the program asks about.
#include "fuzz_support.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_fill.h"
#include "tzdb/tz_table.h"
#include "tzdb/year_profile.h"

#include <algorithm>

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

// The years the program asks about most: the table's first, around a
// change of law, the end of 32-bit time and of the rules, and the last it
// allows.
constexpr int kYears[] = {kFirstTzYear, 2007, 2037, 2038, 2100, kLastTzYear};
// The zones looked at in one input: enough for every kind of zone the
// reader builds, few enough that every input stays quick.
constexpr std::size_t kZonesAsked = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TzTable table;
    table.version = L"untouched";
    if (!ReadTzTable(data, size, &table)) {
        Check(table.version == L"untouched" && table.zones.empty(),
              "a refused table leaves the result as it was");
        return 0;
    }
    for (const auto& [name, zone] : table.names) {
        Check(zone < table.zones.size(), "a name's zone is in the table");
        Check(FindTzZone(table, name) != nullptr, "every name finds a zone");
    }
    for (const auto& [key, name] : table.windowsKeys) {
        Check(name < table.names.size(), "a key's name is in the table");
        Check(MappedTzName(table, key) != nullptr, "every Windows key maps to a name");
    }
    for (const TzMapping& mapping : table.mappings) {
        std::wstring used;
        const std::wstring* main = MappedTzName(table, mapping.windowsKey, mapping.territory, &used);
        Check(main != nullptr && used == mapping.territory, "every territory's mapping is found as itself");
        Check(*main == table.names[mapping.names.front()].first, "a territory's main zone is its first");
    }
    for (std::size_t i = 0; i < std::min(table.zones.size(), kZonesAsked); ++i) {
        const TzZone& zone = table.zones[i];
        for (const int year : kYears) {
            const std::int64_t from = CivilDay(year, 1, 1);
            const std::int64_t to = CivilDay(year + 1, 1, 1);
            const std::vector<TzChange> changes = TzChangesBetween(zone, from, to);
            for (std::size_t c = 0; c < changes.size(); ++c) {
                Check(changes[c].time > from && changes[c].time <= to, "a change lies in the span asked");
                Check(c == 0 || changes[c - 1].time < changes[c].time,
                      "changes are in time order, one per instant");
                Check(changes[c].offset > -kSecondsPerDay && changes[c].offset < kSecondsPerDay,
                      "an offset stays within a day");
            }
            const LONG offset = TzOffsetAt(zone, to);
            Check(offset > -kSecondsPerDay && offset < kSecondsPerDay, "an offset stays within a day");
            const YearProfile profile = TzYearProfile(zone, year);
            Check(profile.year == year, "a year's profile is of that year");
        }
    }
    return 0;
}
