// The tz table: the IANA tz database as the build compiles it into the
// program (tools/tz_table_maker, with the compiler of tz_source.h), and the
// questions asked of one zone in it. Reading is a pure function over bytes:
// no system call, nothing read outside the bytes given, and a table that is
// not whole and consistent is refused.
//
// The layout, all integers little-endian, texts a length byte and ASCII:
//     "TVTZ", u16 format (2), text tz version, text CLDR version
//     u16 zone count, then per zone:
//         u8 type count, per type: i32 UTC offset in seconds, u8 daylight flag
//         u8 type in force on 1970-01-01 00:00 UTC
//         u16 transition count, per transition: u32 seconds since the previous
//             one (the first: since 1970-01-01 00:00 UTC), u8 type
//         text rule that continues after the last transition (may be empty)
//     u16 name count, sorted by name, per name: text name, u16 zone
//     u16 mapping count, sorted by key then territory, per mapping: text
//         Windows key, text territory ("001" or two capital letters), u8 zone
//         count (at least 1), per zone: u16 name; every key has a "001" row
#pragma once

#include "platform/win_types.h"
#include "tzdb/posix_tz.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvane {

struct TzOffsetType {
    LONG offset; // seconds east of UTC
    bool daylight;
};

struct TzTransition {
    std::int64_t time; // UTC seconds since 1970-01-01 00:00
    std::uint8_t type;
};

// One zone from 1970 on: the type in force then, the listed transitions in
// time order, and the rule that continues after the last of them (none: the
// last type stays).
struct TzZone {
    std::vector<TzOffsetType> types;
    std::uint8_t initialType = 0;
    std::vector<TzTransition> transitions;
    std::wstring ruleText;
    std::optional<PosixTz> rule;
};

// CLDR's territory for the mapping that holds everywhere else.
inline constexpr wchar_t kWorldTerritory[] = L"001";

// CLDR's IANA zones for one Windows zone key in one territory.
struct TzMapping {
    std::wstring windowsKey;
    std::wstring territory; // "001" or an ISO 3166 code ("CA")
    // Indices into the table's `names`, in CLDR's order: the first is the
    // territory's main zone.
    std::vector<std::uint16_t> names;
};

struct TzTable {
    std::wstring version;     // "2026f"
    std::wstring cldrVersion; // "48"
    std::vector<TzZone> zones;
    // Every zone and link name, in the table's (ASCII) order, with its zone.
    std::vector<std::pair<std::wstring, std::uint16_t>> names;
    // Windows zone key to the main zone of territory 001, an index into
    // `names`: the part of `mappings` that holds everywhere.
    std::vector<std::pair<std::wstring, std::uint16_t>> windowsKeys;
    // Every mapping, sorted by key, then territory.
    std::vector<TzMapping> mappings;
};

// False, with `table` unchanged, when the bytes are no table of this format.
bool ReadTzTable(const BYTE* data, std::size_t size, TzTable* table);

// The table in this format, as ReadTzTable reads it back: each zone's types
// cut to those in use from 1970 on, transitions that change neither offset
// nor daylight flag left out, and zones whose data is the same stored once.
// False with a reason when the table does not fit the format (more than
// 65535 zones or names, a text longer than 255 characters or not ASCII).
bool WriteTzTable(const TzTable& table, std::string* bytes, std::wstring* reason);

// The zone of an IANA name (exact, as the names are spelt), or null.
const TzZone* FindTzZone(const TzTable& table, std::wstring_view name);

// The IANA name of a Windows zone key (case-insensitive, as registry keys
// are), or null when CLDR maps none.
const std::wstring* MappedTzName(const TzTable& table, std::wstring_view windowsKey);

// The main zone of the key in `territory` where CLDR maps the key there,
// else that of territory 001 (`territoryUsed` says which); null when CLDR
// maps the key nowhere.
const std::wstring* MappedTzName(const TzTable& table, std::wstring_view windowsKey,
                                 std::wstring_view territory, std::wstring* territoryUsed);

// Every mapping of the key, in the table's order.
std::vector<const TzMapping*> MappingsOfKey(const TzTable& table, std::wstring_view windowsKey);

// "IANA tz database 2026f, CLDR 48".
std::wstring TzReleaseText(const TzTable& table);

// The zone's UTC offset at UTC second `time` (from 1970 on).
LONG TzOffsetAt(const TzZone& zone, std::int64_t time);

// The zone's changes after `from` up to and including `to` (UTC seconds), in
// time order; changes at one instant are merged into the last of them.
std::vector<TzChange> TzChangesBetween(const TzZone& zone, std::int64_t from, std::int64_t to);

} // namespace tarvane
