// LoadTimeZones on the in-memory registry: a database the size of Wine's (139
// zones, dynamic years on about half of them) and synthetic ones up to 10,000
// zones, to see how loading grows. The registry's own cost per call does not
// grow with the number of zones (enumeration by index is a vector lookup);
// the calls per zone are reported beside the time.
#include "core/zone_loader.h"
#include "platform/format.h"
#include "zone_fixtures.h"

#include <benchmark/benchmark.h>

namespace tarvane::test {
namespace {

void FillDatabase(MemoryRegistry& registry, int zones) {
    for (int i = 0; i < zones; ++i) {
        // Biases from UTC+14 to UTC-12 in quarter hours, spread as real zones are.
        const LONG bias = -840 + static_cast<LONG>((i * 97) % 105) * 15;
        ZoneSpec zone = SimpleZone(Format(L"Zone %05d Standard Time", i), bias);
        zone.display = Format(L"(UTC%+d) Synthetic zone %d", -bias / 60, i);
        zone.tzi = MakeTzi(bias, 0, -60, Recurring(10, 0, 5, 3), Recurring(3, 0, 5, 2));
        if (i % 2 == 0) {
            for (DWORD year = 2006; year <= 2030; ++year) {
                zone.years.push_back({year, zone.tzi});
            }
        }
        PutZone(registry, zone);
    }
}

void BM_LoadTimeZones(benchmark::State& state) {
    MemoryRegistry registry;
    FillDatabase(registry, static_cast<int>(state.range(0)));
    FakeTimeZoneApi timeZones;
    timeZones.current.timeZoneKeyName = L"Zone 00007 Standard Time";
    std::vector<TimeZoneRecord> records;
    std::size_t calls = 0;
    for (auto _ : state) {
        FakeListView view;
        const std::size_t before = registry.CallCount();
        LoadTimeZones(registry, timeZones, view, records, std::wstring());
        calls = registry.CallCount() - before;
        benchmark::DoNotOptimize(records.data());
    }
    state.SetComplexityN(state.range(0));
    state.counters["zones"] = static_cast<double>(records.size());
    state.counters["calls/zone"] = static_cast<double>(calls) / static_cast<double>(records.size());
}

BENCHMARK(BM_LoadTimeZones)->Arg(139)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTimeZones)
    ->RangeMultiplier(2)
    ->Range(1250, 10000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
} // namespace tarvane::test

BENCHMARK_MAIN();
