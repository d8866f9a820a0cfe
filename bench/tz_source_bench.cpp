// Compiling a whole tz release in-process against the real zic writing the
// same input to a folder, in one run: the installed tzdata.zi, and a tarball
// made of it (what decompression and the tar reading add). Each benchmark
// reports its time as a share of zic's (`of_zic`, measured once per run as
// the median of a few zic runs; goal at most 0.25), the tarball what it adds
// to the tzdata.zi's compile (`extra_ms`; goal at most 30 ms), and both the
// heap a compiled table holds and the peak while compiling (`table_MB`,
// `peak_MB`; goal under 8 MB), counted by this program's operator new.
#include "tz_release_fixtures.h"
#include "tzdb/tz_release.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

extern char** environ;

// Every allocation of this program, counted by its usable size: what is live
// now and the most that was live since the last reset.
namespace {
std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

void* Counted(void* p) {
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    liveBytes += malloc_usable_size(p);
    peakBytes = std::max(peakBytes, liveBytes);
    return p;
}
void Uncounted(void* p) noexcept {
    if (p != nullptr) {
        liveBytes -= malloc_usable_size(p);
        std::free(p);
    }
}
} // namespace

void* operator new(std::size_t size) {
    return Counted(std::malloc(size == 0 ? 1 : size));
}
void* operator new[](std::size_t size) {
    return Counted(std::malloc(size == 0 ? 1 : size));
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Uncounted(p);
}

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

// The release as IANA lays it out: a version file, tzdata.zi's lines in one
// of the files zic compiles, and files that are left alone.
const std::string& Tarball() {
    static const std::string tarball = [] {
        const std::string& zi = TzdataZi();
        const std::size_t version = zi.find("# version ");
        const std::string name = zi.substr(version + 10, zi.find('\n', version) - version - 10);
        // The files that are not compiled are unpacked all the same: as
        // much text again as the sources, as backzone and NEWS are.
        return Gzip(
            TarArchive({{"version", name + "\n"}, {"northamerica", zi}, {"backzone", zi}, {"NEWS", zi}}));
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

constexpr double kMegabyte = 1024.0 * 1024.0;

// The median wall time of one in-process compile of tzdata.zi, kept for the
// tarball's benchmark to subtract.
double ziSeconds = 0;

void Run(benchmark::State& state, const std::string& bytes, bool tarball) {
    const double zic = ZicSeconds();
    if (zic == 0.0) {
        state.SkipWithError("/usr/sbin/zic did not run");
        return;
    }
    std::vector<double> runs;
    std::size_t tableBytes = 0;
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = liveBytes;
        peakBytes = liveBytes;
        const auto start = std::chrono::steady_clock::now();
        TzTable compiled;
        const auto error =
            ReadTzReleaseFile(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), L"b", &compiled);
        runs.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (error) {
            state.SkipWithError("the release was refused");
            return;
        }
        tableBytes = liveBytes - before;
        peak = std::max(peak, peakBytes - before);
        benchmark::DoNotOptimize(compiled);
    }
    // The median, as for zic: the machine is shared, and a run that waited
    // for the processor says nothing of the compiler.
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    state.counters["of_zic"] = median / zic;
    state.counters["zic_ms"] = zic * 1000.0;
    state.counters["table_MB"] = static_cast<double>(tableBytes) / kMegabyte;
    state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
    if (!tarball) {
        ziSeconds = median;
    } else if (ziSeconds > 0) {
        state.counters["extra_ms"] = (median - ziSeconds) * 1000.0;
    }
}

void BM_CompileTzdataZi(benchmark::State& state) {
    Run(state, TzdataZi(), false);
}
void BM_CompileTarball(benchmark::State& state) {
    Run(state, Tarball(), true);
}

BENCHMARK(BM_CompileTzdataZi)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompileTarball)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tarvane::test
