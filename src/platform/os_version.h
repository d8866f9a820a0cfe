// The operating system's version, and NTSTATUS codes as Windows error codes
// (Windows only).
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"

namespace tarvane {

static_assert(sizeof(OSVERSIONINFOW) == 276 && sizeof(OSVERSIONINFOEXW) == 284);

// Fills `info`, whose size field the caller sets to 276 (OSVERSIONINFOW) or
// 284 (OSVERSIONINFOEXW). RtlGetVersion tells the truth where GetVersionExW
// may be shimmed; GetVersionExW is the fallback. Last error set.
bool GetOsVersion(OSVERSIONINFOW* info);
inline bool GetOsVersion(OSVERSIONINFOEXW* info) {
    return GetOsVersion(reinterpret_cast<OSVERSIONINFOW*>(info));
}

// The Windows error code of an NTSTATUS, also set as the last error. A status
// the system cannot translate comes back as itself.
DWORD NtStatusToWin32Error(LONG status);

namespace detail {
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW* info);
// GetOsVersion with the RtlGetVersion to use (null: missing).
bool GetOsVersionWith(RtlGetVersionFn rtlGetVersion, OSVERSIONINFOW* info);
} // namespace detail

} // namespace tarvane
#endif
