// Looks at what the installer left on the machine, as an administrator's tools
// would: the products installed under Tarvane's upgrade code, and the event
// source, whose message file must give Event Viewer each event's line as the
// program wrote it.
#include "platform/diagnostic_log.h"

#include <msi.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tarvane";

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

// One line a product: its code and version.
int ListProducts(const wchar_t* upgradeCode) {
    for (DWORD index = 0;; ++index) {
        wchar_t product[39] = {};
        const UINT result = ::MsiEnumRelatedProductsW(upgradeCode, 0, index, product);
        if (result == ERROR_NO_MORE_ITEMS) {
            return 0;
        }
        if (result != ERROR_SUCCESS) {
            return Fail("cannot list the related products");
        }
        wchar_t version[64] = {};
        DWORD size = 64;
        ::MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &size);
        std::printf("%ls %ls\n", product, version);
    }
}

// What Event Viewer does with an event of the source: the message file's
// text for the event's identifier, with the event's one string inserted.
std::wstring EventText(HMODULE file, DWORD eventId, const std::wstring& line) {
    const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(line.c_str())};
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                                              FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                          file, eventId, 0, reinterpret_cast<wchar_t*>(&text), 0,
                                          reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
    std::wstring result = length != 0 && text != nullptr ? std::wstring(text, length) : L"(no message)";
    ::LocalFree(text);
    return result;
}

int CheckEventSource(const std::wstring& expectedFile) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        return Fail("no event source");
    }
    wchar_t stored[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof stored - sizeof(wchar_t);
    const LONG fileResult =
        ::RegQueryValueExW(key, L"EventMessageFile", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size);
    DWORD types = 0;
    DWORD typesKind = 0;
    size = sizeof types;
    const LONG typesResult = ::RegQueryValueExW(key, L"TypesSupported", nullptr, &typesKind,
                                                reinterpret_cast<BYTE*>(&types), &size);
    ::RegCloseKey(key);
    if (fileResult != ERROR_SUCCESS || type != REG_EXPAND_SZ) {
        return Fail("EventMessageFile is not an expandable string");
    }
    if (typesResult != ERROR_SUCCESS || typesKind != REG_DWORD || types != 7) {
        return Fail("TypesSupported is not 7");
    }
    wchar_t expanded[1024] = {};
    ::ExpandEnvironmentStringsW(stored, expanded, 1024);
    std::printf("EventMessageFile=%ls\n", expanded);
    if (::lstrcmpiW(expanded, expectedFile.c_str()) != 0) {
        return Fail("the event source names another file");
    }
    HMODULE file = ::LoadLibraryExW(expanded, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (file == nullptr) {
        return Fail("the message file cannot be loaded");
    }
    const std::wstring line =
        L"2026-12-08T04:16:41.123 {1.0.0.0|x64} (5) [262] file=\"C:\\100% %1 sure.reg\"";
    int status = 0;
    for (WORD eventType : {EVENTLOG_ERROR_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_INFORMATION_TYPE}) {
        const std::wstring shown = EventText(file, tarvane::EventIdForType(eventType), line);
        if (shown != line) {
            std::printf("event type %u shows: %ls\n", static_cast<unsigned>(eventType), shown.c_str());
            status = Fail("Event Viewer would not show the line as written");
        }
    }
    ::FreeLibrary(file);
    if (status == 0) {
        std::printf("OK: the event source shows each line as written\n");
    }
    return status;
}

int CheckNoEventSource() {
    HKEY key = nullptr;
    const LONG result = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_READ | KEY_WOW64_64KEY, &key);
    if (result == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return Fail("the event source is still registered");
    }
    return result == ERROR_FILE_NOT_FOUND ? 0 : Fail("cannot look for the event source");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"products" && argc > 2) {
        return ListProducts(argv[2]);
    }
    if (command == L"event-source" && argc > 2) {
        return CheckEventSource(argv[2]);
    }
    if (command == L"no-event-source") {
        return CheckNoEventSource();
    }
    std::printf("usage: products <upgrade code> | event-source <file> | no-event-source\n");
    return 2;
}
