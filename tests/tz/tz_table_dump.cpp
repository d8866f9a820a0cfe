// Prints what the tz table says of every zone that a Windows key maps to in
// any territory, for check_tz_table.py to hold against Python's own reading
// of the same files and against the CLDR file the table was made from:
//   map<TAB><key><TAB><territory><TAB><zones, space-separated, in order>
//   zone <name>
//   rule <TZ string>                the rule after the listed transitions
//   at <UTC seconds> <offset>       the offset on 1 January of each year
//   change <UTC seconds> <offset>   every change, 1970 to 2050
#include "tzdb/civil_time.h"
#include "tzdb/tz_table.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tz_table_dump tz_table.bin\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    tarvane::TzTable table;
    if (!tarvane::ReadTzTable(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), &table)) {
        std::fprintf(stderr, "tz_table_dump: %s is no tz table\n", argv[1]);
        return 1;
    }
    constexpr int kLastYear = 2050;
    std::set<std::wstring> done;
    std::printf("cldr %ls\n", table.cldrVersion.c_str());
    std::vector<std::uint16_t> mapped;
    for (const tarvane::TzMapping& mapping : table.mappings) {
        std::printf("map\t%ls\t%ls\t", mapping.windowsKey.c_str(), mapping.territory.c_str());
        for (std::size_t i = 0; i < mapping.names.size(); ++i) {
            std::printf(i == 0 ? "%ls" : " %ls", table.names[mapping.names[i]].first.c_str());
        }
        std::printf("\n");
        mapped.insert(mapped.end(), mapping.names.begin(), mapping.names.end());
    }
    for (const std::uint16_t nameIndex : mapped) {
        const std::wstring& name = table.names[nameIndex].first;
        if (!done.insert(name).second) {
            continue;
        }
        const tarvane::TzZone& zone = *tarvane::FindTzZone(table, name);
        std::printf("zone %ls\nrule %ls\n", name.c_str(), zone.ruleText.c_str());
        for (int year = 1970; year <= kLastYear + 1; ++year) {
            const std::int64_t at = tarvane::CivilDay(year, 1, 1);
            std::printf("at %lld %ld\n", static_cast<long long>(at),
                        static_cast<long>(tarvane::TzOffsetAt(zone, at)));
        }
        for (const tarvane::TzChange& change :
             tarvane::TzChangesBetween(zone, 0, tarvane::CivilDay(kLastYear + 1, 1, 1))) {
            std::printf("change %lld %ld\n", static_cast<long long>(change.time),
                        static_cast<long>(change.offset));
        }
    }
    return 0;
}
