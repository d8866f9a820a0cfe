#include "tzdb/tz_table.h"

#include <map>
#include <optional>
#include <tuple>

namespace tarvane {
namespace {

constexpr std::uint16_t kFormat = 2;

class ByteWriter {
public:
    explicit ByteWriter(std::string* out) : out_(out) {}
    void U8(std::uint32_t value) { out_->push_back(static_cast<char>(value & 0xFF)); }
    void U16(std::uint32_t value) {
        U8(value);
        U8(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    bool Text(const std::wstring& text, std::wstring* reason) {
        if (text.size() > 255) {
            *reason = L"a text longer than 255 characters: " + text.substr(0, 40);
            return false;
        }
        U8(static_cast<std::uint32_t>(text.size()));
        for (const wchar_t c : text) {
            if (c < 0x20 || c > 0x7E) {
                *reason = L"a text that is not printable ASCII";
                return false;
            }
            U8(static_cast<std::uint32_t>(c));
        }
        return true;
    }

private:
    std::string* out_;
};

// A zone as the format stores it: its types in order of first use from 1970
// on, the type in force then, and the transitions that change something.
struct StoredZone {
    std::vector<std::pair<LONG, bool>> types;
    std::uint8_t initial = 0;
    std::vector<std::pair<std::int64_t, std::uint8_t>> transitions;
    std::wstring rule;

    bool operator<(const StoredZone& other) const {
        return std::tie(types, initial, transitions, rule) <
               std::tie(other.types, other.initial, other.transitions, other.rule);
    }
};

bool Store(const TzZone& zone, StoredZone* stored, std::wstring* reason) {
    if (zone.initialType >= zone.types.size()) {
        *reason = L"a zone's initial type is not one of its types";
        return false;
    }
    auto typeOf = [&](std::uint8_t index) -> std::optional<std::uint8_t> {
        if (index >= zone.types.size()) {
            return std::nullopt;
        }
        const std::pair<LONG, bool> type{zone.types[index].offset, zone.types[index].daylight};
        for (std::size_t i = 0; i < stored->types.size(); ++i) {
            if (stored->types[i] == type) {
                return static_cast<std::uint8_t>(i);
            }
        }
        if (stored->types.size() == 255) {
            return std::nullopt;
        }
        stored->types.push_back(type);
        return static_cast<std::uint8_t>(stored->types.size() - 1);
    };
    // The type in force at 1970: that of the last transition before or at
    // it, else the zone's first.
    std::uint8_t initial = zone.initialType;
    for (const TzTransition& transition : zone.transitions) {
        if (transition.time <= 0) {
            initial = transition.type;
        }
    }
    const std::optional<std::uint8_t> first = typeOf(initial);
    if (!first) {
        *reason = L"a zone's transition names no type of it";
        return false;
    }
    stored->initial = *first;
    std::uint8_t current = *first;
    std::int64_t previous = 0;
    for (const TzTransition& transition : zone.transitions) {
        if (transition.time <= 0) {
            continue;
        }
        const std::optional<std::uint8_t> type = typeOf(transition.type);
        if (!type || transition.time <= previous || transition.time - previous > 0xFFFFFFFFll) {
            *reason = L"a zone's transitions are out of order or its types too many";
            return false;
        }
        if (stored->types[*type] != stored->types[current]) {
            stored->transitions.emplace_back(transition.time, *type);
            previous = transition.time;
            current = *type;
        }
    }
    stored->rule = zone.ruleText;
    return true;
}

} // namespace

bool WriteTzTable(const TzTable& table, std::string* bytes, std::wstring* reason) {
    std::vector<const StoredZone*> order;
    std::map<StoredZone, std::uint16_t> index;
    std::vector<std::uint16_t> zoneOf(table.zones.size());
    std::vector<StoredZone> stored;
    for (std::size_t i = 0; i < table.zones.size(); ++i) {
        StoredZone zone;
        if (!Store(table.zones[i], &zone, reason)) {
            return false;
        }
        const auto [at, added] = index.emplace(std::move(zone), static_cast<std::uint16_t>(index.size()));
        zoneOf[i] = at->second;
        if (added) {
            order.push_back(&at->first);
        }
    }
    if (order.size() > 0xFFFF || table.names.size() > 0xFFFF || table.mappings.size() > 0xFFFF) {
        *reason = L"more zones, names or mappings than the format holds";
        return false;
    }
    std::string out = "TVTZ";
    ByteWriter write(&out);
    write.U16(kFormat);
    if (!write.Text(table.version, reason) || !write.Text(table.cldrVersion, reason)) {
        return false;
    }
    write.U16(static_cast<std::uint32_t>(order.size()));
    for (const StoredZone* zone : order) {
        write.U8(static_cast<std::uint32_t>(zone->types.size()));
        for (const auto& [offset, daylight] : zone->types) {
            write.U32(static_cast<std::uint32_t>(offset));
            write.U8(daylight ? 1 : 0);
        }
        write.U8(zone->initial);
        if (zone->transitions.size() > 0xFFFF) {
            *reason = L"a zone with more transitions than the format holds";
            return false;
        }
        write.U16(static_cast<std::uint32_t>(zone->transitions.size()));
        std::int64_t previous = 0;
        for (const auto& [time, type] : zone->transitions) {
            write.U32(static_cast<std::uint32_t>(time - previous));
            write.U8(type);
            previous = time;
        }
        if (!write.Text(zone->rule, reason)) {
            return false;
        }
    }
    write.U16(static_cast<std::uint32_t>(table.names.size()));
    for (const auto& [name, zone] : table.names) {
        if (zone >= zoneOf.size() || !write.Text(name, reason)) {
            *reason = reason->empty() ? L"a name of no zone" : *reason;
            return false;
        }
        write.U16(zoneOf[zone]);
    }
    write.U16(static_cast<std::uint32_t>(table.mappings.size()));
    for (const TzMapping& mapping : table.mappings) {
        if (mapping.names.empty() || mapping.names.size() > 255 || !write.Text(mapping.windowsKey, reason) ||
            !write.Text(mapping.territory, reason)) {
            *reason = reason->empty() ? L"a mapping with no zone or too many" : *reason;
            return false;
        }
        write.U8(static_cast<std::uint32_t>(mapping.names.size()));
        for (const std::uint16_t name : mapping.names) {
            write.U16(name);
        }
    }
    *bytes = std::move(out);
    return true;
}

} // namespace tarvane
