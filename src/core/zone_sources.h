// The IANA zone each zone that Tarvane created from the tz database was made
// from, so that Check Against tz Database knows a zone that CLDR does not map.
// Windows has no value for it and must not find one it does not know in a
// zone's key: the sources live in a key of the program's own,
// HKEY_LOCAL_MACHINE\SOFTWARE\Tarvane Labs\Tarvane\Zone Sources, machine-wide
// like the zones (a value per zone key, its data the IANA name). Backups and
// exported zones hold the Time Zones keys only, so they do not carry it.
#pragma once

#include "platform/registry.h"

#include <string>
#include <utility>
#include <vector>

namespace tarvane {

// Zone key and IANA name.
using ZoneSources = std::vector<std::pair<std::wstring, std::wstring>>;

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
