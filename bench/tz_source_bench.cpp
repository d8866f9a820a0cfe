// Compiling a whole tz release in-process against the real zic writing the
// same input to a folder, in one run: the installed tzdata.zi, and a tarball
// made of it (what decompression and the tar reading add). Each benchmark
// reports its time as a share of zic's (`of_zic`, measured once per run as
// the median of a few zic runs) and the compiled table's size in memory.
#include "tz_release_fixtures.h"
#include "tzdb/tz_release.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace tarvane::test {
namespace {

constexpr const char* kTzdataZi = "/usr/share/zoneinfo/tzdata.zi";

const std::string& TzdataZi() {
    static const std::string text = [] {
        std::ifstream file(kTzdataZi, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }();
    return text;
}

// The release as IANA lays it out: a version file and tzdata.zi's lines in
// one of the files zic compiles.
const std::string& Tarball() {
    static const std::string tarball = [] {
        const std::string& zi = TzdataZi();
        const std::size_t version = zi.find("# version ");
        const std::string name = zi.substr(version + 10, zi.find('\n', version) - version - 10);
        return Gzip(TarArchive({{"version", name + "\n"}, {"northamerica", zi}}));
    }();
    return tarball;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The wall time of /usr/sbin/zic compiling tzdata.zi into a fresh folder.
double ZicSeconds() {
    static const double seconds = [] {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarvane_zic_bench";
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            std::filesystem::remove_all(folder);
            const std::string out = folder.string();
            char* argv[] = {const_cast<char*>("zic"), const_cast<char*>("-d"), const_cast<char*>(out.c_str()),
                            const_cast<char*>(kTzdataZi), nullptr};
            const auto start = std::chrono::steady_clock::now();
            pid_t pid = 0;
            int status = 0;
            if (posix_spawn(&pid, "/usr/sbin/zic", nullptr, nullptr, argv, environ) != 0 ||
                waitpid(pid, &status, 0) != pid || status != 0) {
                return 0.0;
            }
            runs.push_back(Seconds(std::chrono::steady_clock::now() - start));
        }
        std::filesystem::remove_all(folder);
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    }();
    return seconds;
}

// A compiled table's heap, roughly: its vectors and texts.
double TableMegabytes(const TzTable& table) {
    std::size_t bytes =
        table.zones.capacity() * sizeof(TzZone) + table.names.capacity() * sizeof(table.names[0]);
    for (const TzZone& zone : table.zones) {
        bytes += zone.types.capacity() * sizeof(TzOffsetType) +
                 zone.transitions.capacity() * sizeof(TzTransition) +
                 zone.ruleText.capacity() * sizeof(wchar_t);
    }
    for (const auto& [name, zone] : table.names) {
        bytes += name.capacity() * sizeof(wchar_t);
    }
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void Run(benchmark::State& state, const std::string& bytes) {
    const double zic = ZicSeconds();
    if (zic == 0.0) {
        state.SkipWithError("/usr/sbin/zic did not run");
        return;
    }
    TzTable table;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        TzTable compiled;
        const auto error =
            ReadTzReleaseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), L"b", &compiled);
        total += Seconds(std::chrono::steady_clock::now() - start);
        if (error) {
            state.SkipWithError("the release was refused");
            return;
        }
        table = std::move(compiled);
    }
    state.counters["of_zic"] = total / static_cast<double>(state.iterations()) / zic;
    state.counters["zic_ms"] = zic * 1000.0;
    state.counters["table_MB"] = TableMegabytes(table);
}

void BM_CompileTzdataZi(benchmark::State& state) {
    Run(state, TzdataZi());
}
void BM_CompileTarball(benchmark::State& state) {
    Run(state, Tarball());
}

BENCHMARK(BM_CompileTzdataZi)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompileTarball)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tarvane::test
