// Benchmarks on the real Win32 API, run under Wine by ./tarvane.sh bench:
//   - the loader on the machine's own time-zone database, in this process;
//   - Make Backup writing both keys to a file, against reg.exe export of the
//     same keys run as processes, as a user would;
//   - tarvanec check of the whole database as a process, start to exit
//     (as shipped, stripped), against reg.exe query of the Time Zones key
//     with /s, both writing to NUL, alternately;
//   - the program's start-up (as it is shipped, stripped) against a bare
//     dialog program with the same kinds of controls, and against the
//     program's own main window with nothing behind it, launched alternately
//     in this prefix.
// Every figure is a median; the two sides of a ratio alternate within one run,
// so both see the same machine load. Nothing here asserts a time.
//
// "Ready" is what a user waits for, seen from outside as any tool would: the
// main window visible, its list filled and every status pane written. The
// program itself has no switch for this.
//
//   tarvane_wine_bench [--runs N] [--only load|backup|console|startup] [--tarvane PATH] [--bare PATH]
//                      [--also PATH]...
#include "backup/file_api.h"
#include "backup/make_backup.h"
#include "backup/process_api.h"
#include "backup/registry_export.h"
#include "backup_fakes.h"
#include "counting_registry.h"
#include "core/zone_loader.h"
#include "platform/format.h"
#include "platform/system_folders.h"
#include "platform/system_registry.h"
#include "zone_fixtures.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvane::bench {
namespace {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER ticks{};
        ::QueryPerformanceFrequency(&ticks);
        return static_cast<double>(ticks.QuadPart);
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

double Median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

// --- Loading the real registry -------------------------------------------

// The platform's own cost of one registry call, measured beside the loads:
// one value of the first zone read `calls` times. Microseconds per call.
double TimeRegistryCall(int calls) {
    RegKey root(SystemRegistry());
    if (root.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_READ) != ERROR_SUCCESS) {
        return 0;
    }
    RegistryKeyIterator zones(SystemRegistry(), root.Handle());
    RegKey zone(SystemRegistry());
    if (!zones.Next() || zone.Open(root.Handle(), zones.Name(), KEY_READ) != ERROR_SUCCESS) {
        return 0;
    }
    const double start = NowMs();
    for (int i = 0; i < calls; ++i) {
        TziBytes data{};
        DWORD type = 0;
        DWORD size = kTziSize;
        zone.QueryValue(L"TZI", &type, data.data(), &size);
    }
    return (NowMs() - start) * 1000 / calls;
}

void BenchLoad(int runs) {
    test::CountingRegistry registry(SystemRegistry());
    test::FakeListView view;
    std::vector<TimeZoneRecord> records;
    std::vector<double> loads;
    std::vector<double> calls;
    std::size_t callsPerLoad = 0;
    bool allLoaded = true;
    for (int i = 0; i <= runs; ++i) {
        const std::size_t before = registry.Calls();
        const double start = NowMs();
        allLoaded = LoadTimeZones(registry, SystemTimeZoneApi(), view, records, std::wstring()) && allLoaded;
        const double elapsed = NowMs() - start;
        callsPerLoad = registry.Calls() - before;
        const double callUs = TimeRegistryCall(200);
        if (i > 0) { // the first run warms the caches
            loads.push_back(elapsed);
            calls.push_back(callUs);
        }
    }
    std::size_t years = 0;
    for (const auto& record : records) {
        years += record.years.size();
    }
    const double loadMs = Median(loads);
    const double callUs = Median(calls);
    std::printf("load: %zu zones, %zu dynamic years, %zu registry calls, median %.1f ms over %d runs%s "
                "(goal < 5 ms)\n",
                records.size(), years, callsPerLoad, loadMs, runs, allLoaded ? "" : ", SOME LOADS FAILED");
    std::printf(
        "load: one registry call takes %.1f us here (median), so a load costs the time of %.0f calls\n",
        callUs, callUs > 0 ? loadMs * 1000 / callUs : 0.0);
}

// --- Make Backup against reg.exe export ----------------------------------

double TimeMakeBackup(const std::wstring& path, bool* saved) {
    test::FakePrompts prompts;
    prompts.savePath = path;
    test::FakeWindow window;
    test::FakeSettings settings;
    test::FakeActivator activator;
    BackupContext context{SystemRegistry(), SystemFiles(), SystemProcesses(), prompts,
                          window,           settings,      activator,         false};
    const double start = NowMs();
    MakeBackup(context);
    const double elapsed = NowMs() - start;
    *saved = settings.writes == 1 && window.noticeRemovals == 1;
    return elapsed;
}

double TimeRegExport(const std::wstring& path, bool* saved) {
    const std::wstring reg = GetSystemFolder() + L"reg.exe";
    const double start = NowMs();
    *saved = true;
    int part = 0;
    for (const wchar_t* key : {kTimeZoneInformationPath, kTimeZonesPath}) {
        const std::wstring commandLine =
            Format(L"\"%s\" export \"HKLM\\%s\" \"%s.%d.reg\" /y", reg, key, path, ++part);
        ProcessHandles handles;
        if (!SystemProcesses().Start(commandLine, &handles)) {
            *saved = false;
            continue;
        }
        DWORD code = 1;
        *saved = *saved && SystemProcesses().Wait(handles, 60000) == WAIT_OBJECT_0 &&
                 SystemProcesses().ExitCode(handles, &code) && code == 0;
        SystemProcesses().Close(handles);
    }
    return NowMs() - start;
}

void BenchBackup(int runs) {
    const std::wstring ours = TempFile(L"tarvane-bench.trvbkp");
    const std::wstring theirs = TempFile(L"tarvane-bench-reg");
    std::vector<double> backup;
    std::vector<double> reg;
    bool allSaved = true;
    for (int i = 0; i <= runs; ++i) {
        bool ourSaved = false;
        bool theirSaved = false;
        double backupMs = 0;
        double regMs = 0;
        if (i % 2 == 0) {
            backupMs = TimeMakeBackup(ours, &ourSaved);
            regMs = TimeRegExport(theirs, &theirSaved);
        } else {
            regMs = TimeRegExport(theirs, &theirSaved);
            backupMs = TimeMakeBackup(ours, &ourSaved);
        }
        allSaved = allSaved && ourSaved && theirSaved;
        if (i > 0) { // the first pair warms the caches
            backup.push_back(backupMs);
            reg.push_back(regMs);
        }
    }
    // Where Make Backup's time goes: reading and formatting both keys, and
    // how many registry calls that takes.
    std::vector<double> exports;
    std::size_t exportCalls = 0;
    for (int i = 0; i <= runs; ++i) {
        test::CountingRegistry registry(SystemRegistry());
        std::wstring text;
        const double start = NowMs();
        ExportTimeZoneDatabase(registry, text);
        if (i > 0) {
            exports.push_back(NowMs() - start);
        }
        exportCalls = registry.Calls();
    }
    std::printf("backup: of which reading and formatting both keys median %.1f ms, %zu registry calls\n",
                Median(exports), exportCalls);
    const double ratio = Median(backup) / Median(reg);
    std::printf("backup: Make Backup median %.2f ms, reg.exe export of both keys median %.1f ms, ratio %.3f "
                "over %d runs%s (goal <= 0.5)\n",
                Median(backup), Median(reg), ratio, runs, allSaved ? "" : ", SOME EXPORTS FAILED");
    ::DeleteFileW(ours.c_str());
    ::DeleteFileW((theirs + L".1.reg").c_str());
    ::DeleteFileW((theirs + L".2.reg").c_str());
}

// --- tarvanec check against reg.exe query ------------------------------------

// A console program from start to exit, its output to NUL: milliseconds, and
// its exit code in `code` (-1 when it could not be started or did not end).
double TimeConsoleRun(const std::wstring& program, const std::wstring& arguments, int* code) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr);
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    *code = -1;
    const double start = NowMs();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process)) {
        ::CloseHandle(nul);
        return -1;
    }
    DWORD exitCode = 0;
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process.hProcess, &exitCode)) {
        *code = static_cast<int>(exitCode);
    }
    const double elapsed = NowMs() - start;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(nul);
    return elapsed;
}

void BenchConsole(int runs) {
    const std::wstring tarvanec = OwnFolder() + L"..\\package\\tarvanec.exe";
    const std::wstring reg = GetSystemFolder() + L"reg.exe";
    const std::wstring query = Format(L"query \"HKLM\\%s\" /s", kTimeZonesPath);
    std::vector<double> check;
    std::vector<double> regQuery;
    bool allRan = true;
    for (int i = 0; i <= runs; ++i) {
        int checkCode = -1;
        int regCode = -1;
        double checkMs = 0;
        double regMs = 0;
        if (i % 2 == 0) {
            checkMs = TimeConsoleRun(tarvanec, L"check", &checkCode);
            regMs = TimeConsoleRun(reg, query, &regCode);
        } else {
            regMs = TimeConsoleRun(reg, query, &regCode);
            checkMs = TimeConsoleRun(tarvanec, L"check", &checkCode);
        }
        // check exits 0 or 1 as the zones match or differ.
        allRan = allRan && (checkCode == 0 || checkCode == 1) && regCode == 0;
        if (i > 0) { // the first pair warms the caches
            check.push_back(checkMs);
            regQuery.push_back(regMs);
        }
    }
    std::printf(
        "console: tarvanec check median %.1f ms, reg.exe query /s of the Time Zones key median %.1f ms, "
        "ratio %.3f over %d runs%s (goal <= 1.5)\n",
        Median(check), Median(regQuery), Median(check) / Median(regQuery), runs,
        allRan ? "" : ", SOME RUNS FAILED");
}

// --- Start-up ----------------------------------------------------------------

struct WindowOf {
    DWORD processId;
    HWND found;
};

HWND VisibleWindowOf(DWORD processId) {
    WindowOf search{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* wanted = reinterpret_cast<WindowOf*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == wanted->processId && ::IsWindowVisible(window) &&
                ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr) != nullptr) {
                wanted->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Ask(HWND window, UINT message, WPARAM wParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 2000, &answer) == 0) {
        return false;
    }
    *result = static_cast<LRESULT>(answer);
    return true;
}

// Ready as a user sees it: the main window is visible, its list has rows and
// every pane of its status bar has text.
bool IsReady(HWND window) {
    HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    HWND bar = ::FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr);
    LRESULT rows = 0;
    LRESULT parts = 0;
    if (list == nullptr || bar == nullptr || !Ask(list, LVM_GETITEMCOUNT, 0, &rows) || rows <= 0 ||
        !Ask(bar, SB_GETPARTS, 0, &parts) || parts <= 0) {
        return false;
    }
    for (WPARAM part = 0; part < static_cast<WPARAM>(parts); ++part) {
        LRESULT length = 0;
        if (!Ask(bar, SB_GETTEXTLENGTHW, part, &length) || LOWORD(length) == 0) {
            return false;
        }
    }
    return true;
}

// A program the start-up benchmark launches: what it is called in the
// results, its path, and what follows the path on its command line.
struct Launch {
    std::wstring label;
    std::wstring path;
    std::wstring arguments;
};

// Launch to ready in milliseconds, or a negative value when the program did
// not get there within 30 s. The program is closed again either way.
double TimeStartUp(const Launch& launch) {
    const std::wstring& program = launch.path;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!launch.arguments.empty()) {
        commandLine += L" \"" + launch.arguments + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = NowMs();
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return -1;
    }
    // A dialog program is idle for the first time once its window is built
    // and shown; looking earlier would compete with it for the wineserver.
    // Polling only makes sure, and covers a program that idles before that.
    ::WaitForInputIdle(process.hProcess, 30000);
    double ready = -1;
    HWND window = nullptr;
    while (NowMs() - start < 30000) {
        window = VisibleWindowOf(process.dwProcessId);
        if (window != nullptr && IsReady(window)) {
            ready = NowMs() - start;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) {
            break;
        }
    }
    if (window != nullptr) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 5000);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ready;
}

// The bare dialog and Tarvane's window without the program first, then the
// programs to compare with them (Tarvane, and any other build named with
// --also). Each round launches every one of them, starting one place further
// along each time, so that none always follows the same neighbour's exit.
void BenchStartUp(int runs, const std::vector<Launch>& programs) {
    std::vector<std::vector<double>> samples(programs.size());
    int failures = 0;
    for (int i = 0; i <= runs; ++i) {
        std::vector<double> round(programs.size());
        bool complete = true;
        for (std::size_t k = 0; k < programs.size(); ++k) {
            const std::size_t which = (k + static_cast<std::size_t>(i)) % programs.size();
            round[which] = TimeStartUp(programs[which]);
            complete = complete && round[which] >= 0;
        }
        if (!complete) {
            ++failures;
            continue;
        }
        if (i > 0) { // the first round warms the prefix
            for (std::size_t k = 0; k < programs.size(); ++k) {
                samples[k].push_back(round[k]);
            }
        }
    }
    const double bare = Median(samples[0]);
    const double window = Median(samples[1]);
    std::printf("startup: bare dialog median %.0f ms over %zu runs%s\n", bare, samples[0].size(),
                failures == 0 ? "" : ", SOME LAUNCHES NEVER GOT READY");
    std::printf(
        "startup: Tarvane's window without the program median %.0f ms, ratio %.2f to the bare dialog\n",
        window, window / bare);
    for (std::size_t k = 2; k < programs.size(); ++k) {
        const double median = Median(samples[k]);
        std::printf("startup: %ls median %.0f ms, ratio %.2f to the bare dialog (goal <= 1.5, aim 1.3), "
                    "%.2f to its window without the program\n",
                    programs[k].label.c_str(), median, median / bare, median / window);
    }
}

// A prefix's first programs start the system's own processes (services, the
// desktop, the RPC service) while they run: everything is done once, and
// they are given time to settle, before anything is timed.
void WarmUp(const std::vector<Launch>& programs) {
    for (const Launch& program : programs) {
        TimeStartUp(program);
    }
    test::FakeListView view;
    std::vector<TimeZoneRecord> records;
    LoadTimeZones(SystemRegistry(), SystemTimeZoneApi(), view, records, std::wstring());
    const std::wstring file = TempFile(L"tarvane-bench-warm-up");
    bool saved = false;
    TimeMakeBackup(file, &saved);
    TimeRegExport(file, &saved);
    ::DeleteFileW(file.c_str());
    ::DeleteFileW((file + L".1.reg").c_str());
    ::DeleteFileW((file + L".2.reg").c_str());
    ::Sleep(3000);
}

} // namespace
} // namespace tarvane::bench

int wmain(int argc, wchar_t** argv) {
    using namespace tarvane::bench;
    int runs = 0;
    std::wstring only;
    // Tarvane as it is shipped: the packaged program, stripped of its
    // debugging information (loading that alone costs about 50 ms here).
    const std::wstring tarvane = OwnFolder() + L"..\\package\\tarvane.exe";
    std::vector<Launch> programs = {{L"bare dialog", OwnFolder() + L"bare_dialog.exe", L""},
                                    {L"window", OwnFolder() + L"window_template.exe", tarvane},
                                    {L"Tarvane", tarvane, L""}};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--runs") {
            runs = _wtoi(argv[i + 1]);
        } else if (option == L"--only") {
            only = argv[i + 1];
        } else if (option == L"--tarvane") {
            programs[1].arguments = argv[i + 1];
            programs[2].path = argv[i + 1];
        } else if (option == L"--bare") {
            programs[0].path = argv[i + 1];
        } else if (option == L"--also") {
            programs.push_back({argv[i + 1], argv[i + 1], L""});
        }
    }
    if (only != L"console") {
        WarmUp(programs);
    }
    if (only.empty() || only == L"load") {
        BenchLoad(runs > 0 ? runs : 51);
    }
    if (only.empty() || only == L"backup") {
        BenchBackup(runs > 0 ? runs : 9);
    }
    if (only.empty() || only == L"console") {
        BenchConsole(runs > 0 ? runs : 15);
    }
    if (only.empty() || only == L"startup") {
        BenchStartUp(runs > 0 ? runs : 15, programs);
    }
    std::fflush(stdout);
    return 0;
}
