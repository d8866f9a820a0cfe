// Which keys a backup may write. The registry import tool writes every key a
// file names, so the restore hands it only a copy of its own making, and that
// copy holds only these keys.
#pragma once

#include <string_view>

namespace tarvane {

// TimeZoneInformation, Time Zones or a key below Time Zones, written with the
// root name HKEY_LOCAL_MACHINE; letters compare without regard to ASCII case.
// A key below Time Zones has no empty part ("\\" or a trailing backslash).
bool IsImportKeyAllowed(std::wstring_view key);

// The part of `key` below Time Zones ("Zone\Dynamic DST"), or empty when the
// key is not below Time Zones.
std::wstring_view PathBelowTimeZones(std::wstring_view key);

} // namespace tarvane
