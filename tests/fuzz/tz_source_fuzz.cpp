// The tz source compiler: any text a user may open as a tzdata.zi. It is
// refused whole, naming a line of the input, or it compiles to a table whose
// every zone the program can ask about.
#include "fuzz_support.h"
#include "tzdb/civil_time.h"
#include "tzdb/tz_source.h"

#include <algorithm>

using namespace tarvane;
using tarvane::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TzTable table;
    table.version = L"untouched";
    const auto error = CompileTzSource({TzSourceFile{L"fuzz.zi", text}}, L"", &table);
    if (error) {
        Check(table.version == L"untouched" && table.zones.empty() && table.names.empty(),
              "a refused input leaves the table as it was");
        Check(error->line <= static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1,
              "a refusal names a line of the input, or the one after the last");
        Check(!error->reason.empty(), "a refusal says why");
        return 0;
    }
    Check(!table.version.empty() && !table.zones.empty(), "a compiled input has a version and zones");
    Check(table.windowsKeys.empty(), "the compiler maps no Windows keys");
    for (std::size_t i = 0; i < table.names.size(); ++i) {
        Check(i == 0 || table.names[i - 1].first < table.names[i].first, "names are sorted and distinct");
        Check(table.names[i].second < table.zones.size(), "a name's zone is in the table");
    }
    for (const TzZone& zone : table.zones) {
        Check(!zone.types.empty() && zone.initialType < zone.types.size(), "the initial type exists");
        for (std::size_t t = 0; t < zone.transitions.size(); ++t) {
            Check(zone.transitions[t].time > 0 && zone.transitions[t].type < zone.types.size(),
                  "a transition lies after 1970 and has a type");
            Check(t == 0 || zone.transitions[t - 1].time < zone.transitions[t].time,
                  "transitions are in order");
        }
        for (const TzOffsetType& type : zone.types) {
            Check(type.offset > -kSecondsPerDay && type.offset < kSecondsPerDay,
                  "an offset stays within a day");
        }
        Check(zone.ruleText.empty() == !zone.rule.has_value(), "a TZ string is kept only when it reads");
        const std::vector<TzChange> changes = TzChangesBetween(zone, 0, CivilDay(2101, 1, 1));
        Check(std::is_sorted(changes.begin(), changes.end(),
                             [](const TzChange& a, const TzChange& b) { return a.time < b.time; }),
              "the changes come in time order");
    }
    return 0;
}
