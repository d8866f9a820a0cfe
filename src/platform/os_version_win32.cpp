#include "platform/os_version.h"

#include <cstring>

namespace tarvane {

namespace detail {

bool GetOsVersionWith(RtlGetVersionFn rtlGetVersion, OSVERSIONINFOW* info) {
    if (info == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    bool ok = false;
    if (rtlGetVersion == nullptr) {
        ::SetLastError(ERROR_NOT_SUPPORTED);
    } else if (const LONG status = rtlGetVersion(reinterpret_cast<OSVERSIONINFOW*>(&version)); status != 0) {
        NtStatusToWin32Error(status);
    } else {
        ok = true;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (!ok || (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW))) {
        return ::GetVersionExW(info) != FALSE;
    }
    info->dwMajorVersion = version.dwMajorVersion;
    info->dwMinorVersion = version.dwMinorVersion;
    info->dwBuildNumber = version.dwBuildNumber;
    info->dwPlatformId = version.dwPlatformId;
    std::memcpy(info->szCSDVersion, version.szCSDVersion, sizeof info->szCSDVersion);
    if (size == sizeof(OSVERSIONINFOEXW)) {
        auto* extended = reinterpret_cast<OSVERSIONINFOEXW*>(info);
        extended->wServicePackMajor = version.wServicePackMajor;
        extended->wServicePackMinor = version.wServicePackMinor;
        extended->wSuiteMask = version.wSuiteMask;
        extended->wProductType = version.wProductType;
        extended->wReserved = version.wReserved;
    }
    ::SetLastError(0);
    return true;
}

} // namespace detail

bool GetOsVersion(OSVERSIONINFOW* info) {
    detail::RtlGetVersionFn rtlGetVersion = nullptr;
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll"); ntdll != nullptr) {
        rtlGetVersion = reinterpret_cast<detail::RtlGetVersionFn>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    }
    return detail::GetOsVersionWith(rtlGetVersion, info);
}

DWORD NtStatusToWin32Error(LONG status) {
    // GetOverlappedResult translates the status it finds in Internal.
    OVERLAPPED overlapped{};
    overlapped.Internal = static_cast<ULONG_PTR>(static_cast<ULONG>(status));
    DWORD transferred = 0;
    ::SetLastError(0);
    ::GetOverlappedResult(nullptr, &overlapped, &transferred, FALSE);
    DWORD code = ::GetLastError();
    if (code == 0) {
        code = static_cast<DWORD>(status);
    }
    ::SetLastError(code);
    return code;
}

} // namespace tarvane
