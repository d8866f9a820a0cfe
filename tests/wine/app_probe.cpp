// A second process for the application object's tests.
//   app_probe wait   builds the process-wide objects, as the program does,
//                    and waits to be ended (its ready event is then signalled)
//   app_probe order  builds them, saying when each exists, and says at exit,
//                    just before each of them ends, whether the application
//                    object (its ready event) is still there
#include "platform/ready_event.h"
#include "shell/tarvane_app.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool ReadyEventExists() {
    const std::wstring name = tarvane::ReadyEventName(::GetCurrentProcessId());
    HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, name.c_str());
    if (event == nullptr) {
        return false;
    }
    ::CloseHandle(event);
    return true;
}

void Report(const char* next) {
    std::printf("exit: %s ends next (ready event %d)\n", next, ReadyEventExists() ? 1 : 0);
    std::fflush(stdout);
}

void BeforeLogEnds() {
    Report("DiagnosticLog");
}
void BeforeAppEnds() {
    Report("CTarvaneApp");
}
void BeforeLateBoundEnds() {
    Report("LateBoundFunctions");
}

// A handler registered with atexit just after an object with static storage
// is complete runs just before that object is destroyed.
void Built(const wchar_t* name) {
    std::printf("built %ls (exit code %d)\n", name,
                std::wstring(name) == L"DiagnosticLog" ? 0 : tarvane::shell::TheApp().exitCode);
    std::fflush(stdout);
    const std::wstring object(name);
    if (object == L"DiagnosticLog") {
        std::atexit(BeforeLogEnds);
    } else if (object == L"CTarvaneApp") {
        std::atexit(BeforeAppEnds);
    } else {
        std::atexit(BeforeLateBoundEnds);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"wait") {
        tarvane::shell::BuildProcessObjects();
        ::Sleep(60000);
        return 0;
    }
    if (mode == L"order") {
        tarvane::shell::BuildProcessObjects(Built);
        return 0;
    }
    std::printf("usage: app_probe wait|order\n");
    return 2;
}
