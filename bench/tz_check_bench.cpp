// Check Against tz Database on a database the size of Wine's: a record for
// each Windows key of the generated table, filled from the tz database for
// 2006-2031 so that every year of every zone is compared (a zone that differs
// stops at its first difference). Read it against BM_LoadTimeZones/139 of the
// same run: the check must stay a small part of what loading takes.
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

namespace tarvane::test {
namespace {

const TzTable& Table() {
    static const TzTable table = [] {
        std::ifstream file(TARVANE_TZ_TABLE_PATH, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        TzTable read;
        ReadTzTable(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), &read);
        return read;
    }();
    return table;
}

std::vector<TimeZoneRecord> MappedRecords(const TzTable& table) {
    std::vector<TimeZoneRecord> records;
    for (const auto& [key, name] : table.windowsKeys) {
        TimeZoneRecord record;
        record.id = static_cast<LONG>(records.size() + 1);
        record.keyName = key;
        const FillPlan plan = PlanFill(record, *FindTzZone(table, table.names[name].first), 2006, 2031);
        record.rules = plan.rules;
        record.years = plan.years;
        records.push_back(record);
    }
    return records;
}

void BM_CheckZones(benchmark::State& state) {
    const TzTable& table = Table();
    const std::vector<TimeZoneRecord> records = MappedRecords(table);
    for (auto _ : state) {
        const std::vector<ZoneCheck> checks = CheckZones(records, table, 2026);
        benchmark::DoNotOptimize(checks.data());
    }
    state.counters["zones"] = static_cast<double>(records.size());
}

BENCHMARK(BM_CheckZones)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvane::test
