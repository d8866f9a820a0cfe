// The time-zone database as the keys and values of a registry export: read
// from the registry exactly as stored (what a restore saves before it writes
// anything), compared zone by zone with what a backup holds, and written so
// that a key and everything below it hold exactly what a content says.
#pragma once

#include "backup/export_text_reader.h"
#include "platform/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// Reads TimeZoneInformation and Time Zones with every key and value as
// stored, key paths written with the root name. 0, or the failing call's
// code after [310] naming the key.
DWORD ReadDatabaseState(RegistryApi& registry, ExportContent* state);

// Makes the key `rootPath` (below HKEY_LOCAL_MACHINE) and every key below it
// hold exactly the keys of `content` that lie there: with `writeValues` each
// of their values is written first and a key they name that is missing is
// created; then every value and every key that `content` does not hold is
// removed (key names and value names compare without regard to case).
// Without `writeValues` only the removing is done, and a missing root is
// nothing to do. 0, or the first failure's code after [311] naming the key
// (the rest is still done).
DWORD MirrorKeyTree(RegistryApi& registry, bool is64BitOs, std::wstring_view rootPath,
                    const ExportContent& content, bool writeValues);

// The zones a restore changes: the names of the keys directly below Time
// Zones that `from` and `to` both hold with a difference anywhere in them,
// that only `to` holds, and that only `from` holds; each in `to`'s or
// `from`'s order.
struct ZoneChanges {
    std::vector<std::wstring> changed;
    std::vector<std::wstring> added;
    std::vector<std::wstring> deleted;
    std::size_t fromZones = 0;
    std::size_t toZones = 0;
};
ZoneChanges CompareZones(const ExportContent& from, const ExportContent& to);

// The names of the zones (keys directly below Time Zones) that `content` holds, in its order.
std::vector<std::wstring> ZoneNames(const ExportContent& content);

// The string value `name` of the key `keyPath` (with its root name) as the
// registry would hold it after an import of `content`, without the NULs at
// its end (one inside is kept); false when `content` does not hold it as REG_SZ.
bool FindStringValue(const ExportContent& content, std::wstring_view keyPath, std::wstring_view name,
                     std::wstring* text);

} // namespace tarvane
