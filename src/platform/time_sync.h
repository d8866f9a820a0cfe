// The time service's synchronisation setting.
#pragma once

#include "platform/registry.h"

#include <string>

namespace tarvane {

inline constexpr wchar_t kTimeServiceParametersPath[] =
    L"SYSTEM\\CurrentControlSet\\Services\\W32Time\\Parameters";

// The expanded text of the time service's "Type" value ("NoSync", "NTP",
// "NT5DS", ...). Fails (last error set) when the key or the value is missing,
// or the value is not a string.
bool ReadTimeSyncType(RegistryApi& registry, bool isLegacyOs, std::wstring* type);

} // namespace tarvane
