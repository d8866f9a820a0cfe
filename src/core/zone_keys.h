// A zone's key in the registry's time-zone database made and removed whole:
// the names a new zone's key may have, a new zone written by the same writer
// as every other zone (its key removed again when that fails), and a zone
// removed with everything below it.
#pragma once

#include "core/time_zone_record.h"
#include "platform/registry.h"

#include <string>
#include <vector>

namespace tarvane {

// The system's dynamic time-zone record holds the current zone's key name in
// 128 characters with the terminator: a longer key could never be current.
constexpr std::size_t kMaxZoneKeyLength = 127;

// Why `name` cannot be the key of a new zone, as the user reads it; empty
// when it can. A key holds ASCII letters, digits, spaces and the punctuation
// of the system's own keys (. + - ( )), begins with a letter or a digit, does
// not end with a space, and is none of `existing` (compared without case).
std::wstring NewZoneKeyProblem(const std::wstring& name, const std::vector<std::wstring>& existing);

// The names of the keys below Time Zones; what could be read when the
// enumeration fails (logged), with the code in `error` (0 when none).
std::vector<std::wstring> ZoneKeyNames(RegistryApi& registry, LONG* error);

// Removes `name` below `parent` with every key below it, the deepest first.
// The first failure ends it: its code, and in `failed` the path of the key
// it concerned, relative to `parent`. `removedSome` is set once any key went.
LONG DeleteKeyTree(const RegKey& parent, const std::wstring& name, bool is64BitOs, std::wstring* failed,
                   bool* removedSome);

// Writes a new zone. Its key is created first, and a key of that name that
// exists already is left alone (false, last error ERROR_ALREADY_EXISTS);
// then SaveTimeZone writes the record, and when it fails the key made here
// is removed again with everything below it. `leftOver`: in, the key stands
// from an earlier call whose removal failed, so it is this zone's own and is
// written rather than refused; out, whether such a key stands now. True when
// the zone was written whole; else the last error is the code of the first
// failure.
bool CreateTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record, bool* leftOver);

// Removes the zone's key and every key below it. Should the zone's own key
// stay after keys below it went, the record (as it was loaded) is written
// back, so that the zone keeps its dynamic years. True when the key is gone,
// also when it was gone before; else the last error is the failing code.
bool DeleteTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record);

} // namespace tarvane
