// Prints what the tz source compiler makes of a release (a tarball or a
// tzdata.zi), for check_tz_source.py to hold against zic's output:
//   version <version>
//   name <name>                      every zone and link, in the table's order
//   rule <TZ string>                 the rule after the listed transitions
//   initial <offset> <daylight>      in force on 1970-01-01 00:00 UTC
//   change <UTC seconds> <offset> <daylight>   every change, 1970 to 2100
// or, when the input is refused, "refused <file>:<line>: <reason>" (exit 1).
#include "tzdb/civil_time.h"
#include "tzdb/tz_release.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tz_source_dump <tzdata.zi or tzdataYYYYx.tar.gz>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "tz_source_dump: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    tarvane::TzTable table;
    const std::wstring name(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));
    const auto error =
        tarvane::ReadTzReleaseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), name, &table);
    if (error) {
        std::printf("refused %ls:%zu: %ls\n", error->file.c_str(), error->line, error->reason.c_str());
        return 1;
    }
    const std::int64_t end = tarvane::CivilDay(2101, 1, 1);
    std::printf("version %ls\n", table.version.c_str());
    for (const auto& [zoneName, index] : table.names) {
        const tarvane::TzZone& zone = table.zones[index];
        std::printf("name %ls\nrule %ls\ninitial %ld %d\n", zoneName.c_str(), zone.ruleText.c_str(),
                    static_cast<long>(zone.types[zone.initialType].offset),
                    zone.types[zone.initialType].daylight ? 1 : 0);
        for (const tarvane::TzChange& change : tarvane::TzChangesBetween(zone, 0, end)) {
            std::printf("change %lld %ld %d\n", static_cast<long long>(change.time),
                        static_cast<long>(change.offset), change.daylight ? 1 : 0);
        }
    }
    return 0;
}
