#include "shell/tarvane_app.h"

#include "platform/diagnostic_log.h"
#include "platform/late_bound_functions.h"
#include "platform/os_version.h"
#include "platform/paths.h"
#include "platform/ready_event.h"
#include "platform/system_facts.h"
#include "shell/relaunch.h"

#include <sddl.h>
#include <winternl.h>

namespace tarvane::shell {
namespace {

constexpr DWORD kReadyEventAccess = SYNCHRONIZE | EVENT_MODIFY_STATE;

HMODULE LoadSystemNtdll() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = WithTrailingSeparator(std::wstring_view(folder, length)) + L"Ntdll.dll";
    return ::LoadLibraryW(path.c_str());
}

bool ToCountedText(const wchar_t* text, UNICODE_STRING* counted) {
    const std::size_t length = ::wcslen(text);
    if (length > 0x7FFE / sizeof(wchar_t)) {
        return false;
    }
    counted->Length = static_cast<USHORT>(length * sizeof(wchar_t));
    counted->MaximumLength = counted->Length;
    counted->Buffer = const_cast<wchar_t*>(text);
    return true;
}

} // namespace

bool CompareNamesWith(RtlCompareUnicodeStringFn compare, const wchar_t* a, const wchar_t* b, int* order) {
    if (compare == nullptr) {
        ::SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    UNICODE_STRING first{};
    UNICODE_STRING second{};
    if (a == nullptr || b == nullptr || order == nullptr || !ToCountedText(a, &first) ||
        !ToCountedText(b, &second)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    *order = compare(&first, &second, TRUE);
    ::SetLastError(ERROR_SUCCESS);
    return true;
}

std::optional<DWORD> ReadOsMajorVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetOsVersion(&info)) {
        return std::nullopt;
    }
    return info.dwMajorVersion;
}

PSECURITY_DESCRIPTOR BuildOpenSecurityDescriptor(std::optional<DWORD> majorVersion) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring text = OpenSecurityDescriptorText(majorVersion);
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return nullptr;
    }
    return descriptor;
}

PSECURITY_DESCRIPTOR BuildOpenSecurityDescriptor() {
    return BuildOpenSecurityDescriptor(ReadOsMajorVersion());
}

HANDLE CreateReadyEvent(DWORD processId, PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
    const std::wstring name = ReadyEventName(processId);
    return ::CreateEventExW(&attributes, name.c_str(), CREATE_EVENT_MANUAL_RESET, kReadyEventAccess);
}

CTarvaneApp::CTarvaneApp() {
    TheLog();
    quitEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

    ntdll_.Reset(LoadSystemNtdll());
    if (ntdll_.Valid()) {
        nameCompare = reinterpret_cast<RtlCompareUnicodeStringFn>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll_.Get(), "RtlCompareUnicodeString")));
    }

    const SystemFacts facts = ReadSystemFacts();
    isLegacyOs = facts.isLegacyOs;
    is64BitOs = facts.is64BitOs;

    const HandshakeCalls& calls = TheHandshakeCalls();
    const win::ScopedLocal descriptor(calls.buildOpenSecurityDescriptor());
    if (!descriptor.Valid()) {
        LogText(EVENTLOG_ERROR_TYPE, L"[214]");
        return;
    }
    const DWORD processId = ::GetCurrentProcessId();
    readyEvent.Reset(calls.createReadyEvent(processId, descriptor.Get()));
    if (!readyEvent.Valid()) {
        LogMessage(L"[215] pid=%u", processId);
    } else if (!calls.setEvent(readyEvent.Get())) {
        LogMessage(L"[216] pid=%u", processId);
    }
}

bool CTarvaneApp::CompareNames(const wchar_t* a, const wchar_t* b, int* order) const {
    return CompareNamesWith(nameCompare, a, b, order);
}

NameCompareFn CTarvaneApp::NameComparison() const {
    const RtlCompareUnicodeStringFn compare = nameCompare;
    return [compare](const wchar_t* a, const wchar_t* b, int* order) {
        return CompareNamesWith(compare, a, b, order);
    };
}

CTarvaneApp& TheApp() {
    static CTarvaneApp app;
    return app;
}

CTarvaneApp& BuildProcessObjects(void (*built)(const wchar_t* name)) {
    TheLog();
    if (built != nullptr) {
        built(L"DiagnosticLog");
    }
    CTarvaneApp& app = TheApp();
    if (built != nullptr) {
        built(L"CTarvaneApp");
    }
    TheLateBoundFunctions();
    if (built != nullptr) {
        built(L"LateBoundFunctions");
    }
    return app;
}

} // namespace tarvane::shell
