// The IANA zone each zone that Tarvane created from the tz database was made
// from, so that Check Against tz Database knows a zone that CLDR does not map.
// Windows has no value for it and must not find one it does not know in a
// zone's key: the sources live in a key of the program's own,
// HKEY_LOCAL_MACHINE\SOFTWARE\Tarvane Labs\Tarvane\Zone Sources, machine-wide
// like the zones (a value per zone key, its data the IANA name). Backups and
// exported zones carry it as a comment line right after the zone's key line
// ("; IANA tz zone: Asia/Kathmandu"), which the registry import tool skips
// and a restore reads back.
#pragma once

#include "platform/registry.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvane {

// Zone key and IANA name.
using ZoneSources = std::vector<std::pair<std::wstring, std::wstring>>;

// The comment line's text before the IANA name.
inline constexpr wchar_t kZoneSourceComment[] = L"; IANA tz zone: ";

// Whether `name` has the form of an IANA zone name ("America/Argentina/Salta",
// "Etc/GMT+3"): 1 to 64 of letters, digits and "/_+-", not starting or ending
// with "/" nor holding "//". Only such a name is taken from a file.
bool IsTzNameForm(std::wstring_view name);

// "SOFTWARE\Tarvane Labs\Tarvane\Zone Sources", below HKEY_LOCAL_MACHINE.
std::wstring ZoneSourcesPath();

// Every remembered source that can be read (a missing key holds none); a
// failure other than a missing key is logged and ends the reading.
ZoneSources ReadZoneSources(RegistryApi& registry);

// The IANA name remembered for `zoneKey` (without regard to case), or null.
const std::wstring* FindZoneSource(const ZoneSources& sources, const std::wstring& zoneKey);

// Remembers `tzName` as the source of `zoneKey`, or, with an empty name,
// forgets any source it had. 0 or the registry's error code (logged).
LONG SetZoneSource(RegistryApi& registry, const std::wstring& zoneKey, const std::wstring& tzName);

} // namespace tarvane
