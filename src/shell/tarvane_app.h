// The application object: the process-wide state that exists before any
// window, with the system facts, the start-up request, the exit code and the
// two events of the elevated-relaunch hand-shake.
#pragma once

#include "backup/command_line.h"
#include "platform/account_api.h"
#include "platform/win_types.h"
#include "win/scoped_handle.h"

#include <optional>
#include <string>

namespace tarvane::shell {

// The shape of RtlCompareUnicodeString: the counted-text records are passed
// through untyped so this header needs no native-API headers.
using RtlCompareUnicodeStringFn = LONG(WINAPI*)(const void* a, const void* b, BOOLEAN caseInsensitive);

// Compares two names without regard to case through `compare`: true with the
// order in `order`; false with error 50 when there is no function, 87 when a
// text or the result is missing or a text is too long for a counted text.
bool CompareNamesWith(RtlCompareUnicodeStringFn compare, const wchar_t* a, const wchar_t* b, int* order);

class CTarvaneApp {
public:
    CTarvaneApp();
    CTarvaneApp(const CTarvaneApp&) = delete;
    CTarvaneApp& operator=(const CTarvaneApp&) = delete;

    // Compares through `nameCompare`, as CompareNamesWith does.
    bool CompareNames(const wchar_t* a, const wchar_t* b, int* order) const;
    // The same comparison as the settings store takes it.
    NameCompareFn NameComparison() const;

    int exitCode = -1;             // the process exit code; the main window's start action sets 0
    win::ScopedHandle quitEvent;   // signalled when the main window is cancelled
    HWND mainWindow = nullptr;     // recorded when the main window initialises
    bool isLegacyOs = false;       // major version 5 or lower
    bool is64BitOs = false;        // the native processor architecture is AMD64
    std::wstring startRestorePath; // a backup file named as the first argument
    StartAction startAction = StartAction::kNone; // what the window does once it is up
    std::wstring startZoneKey;                    // the zone to select when the list is first loaded
    std::wstring startBackupPath;                 // the backup file of action 2
    RtlCompareUnicodeStringFn nameCompare = nullptr;
    // This process's ready event, signalled at construction. Both events
    // serve until the process ends; the application object is among the
    // last things to go.
    win::ScopedHandle readyEvent;

private:
    win::ScopedModule ntdll_;
};

// The process-wide application object (built on first use; its construction
// builds the diagnostic log first, so the log outlives it).
CTarvaneApp& TheApp();

// Builds the process-wide objects in their order: the diagnostic log, the
// application object, the table of optional system functions. Being
// function-local statics, they end at exit in the reverse order. `built`, when
// given, is told the name of each object as soon as it exists.
CTarvaneApp& BuildProcessObjects(void (*built)(const wchar_t* name) = nullptr);

// The ready event's security descriptor for a system of `majorVersion`
// (none: unknown), to be freed with LocalFree; null on failure with the last
// error set. Without an argument the running system's version is used.
PSECURITY_DESCRIPTOR BuildOpenSecurityDescriptor(std::optional<DWORD> majorVersion);
PSECURITY_DESCRIPTOR BuildOpenSecurityDescriptor();

// Creates or opens the ready event of `processId`, manual-reset, not
// signalled when new, not inheritable, with `descriptor`, asking only for the
// rights to wait on it and signal it. Both sides of the hand-shake use it.
HANDLE CreateReadyEvent(DWORD processId, PSECURITY_DESCRIPTOR descriptor);

// The running system's major version, or none when it cannot be read.
std::optional<DWORD> ReadOsMajorVersion();

} // namespace tarvane::shell
