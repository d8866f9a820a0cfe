#include "tzdb/tz_table.h"

#include "platform/registry.h"
#include "platform/text.h"
#include "tzdb/civil_time.h"

#include <algorithm>
#include <tuple>

namespace tarvane {
namespace {

constexpr BYTE kMagic[4] = {'T', 'V', 'T', 'Z'};
constexpr std::uint16_t kFormat = 2;

// Little-endian fields, each read only when it lies wholly inside the bytes.
class ByteReader {
public:
    ByteReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool Bytes(std::size_t count, const BYTE** out) {
        if (count > size_ - at_) {
            return false;
        }
        *out = data_ + at_;
        at_ += count;
        return true;
    }
    bool U8(std::uint8_t* value) {
        const BYTE* p = nullptr;
        if (!Bytes(1, &p)) {
            return false;
        }
        *value = p[0];
        return true;
    }
    bool U16(std::uint16_t* value) {
        const BYTE* p = nullptr;
        if (!Bytes(2, &p)) {
            return false;
        }
        *value = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
        return true;
    }
    bool U32(std::uint32_t* value) {
        const BYTE* p = nullptr;
        if (!Bytes(4, &p)) {
            return false;
        }
        *value = ReadDwordLe(p);
        return true;
    }
    // A length byte and that many printable ASCII characters.
    bool Text(std::wstring* text) {
        std::uint8_t length = 0;
        const BYTE* p = nullptr;
        if (!U8(&length) || !Bytes(length, &p)) {
            return false;
        }
        text->clear();
        for (std::size_t i = 0; i < length; ++i) {
            if (p[i] < 0x20 || p[i] > 0x7E) {
                return false;
            }
            text->push_back(static_cast<wchar_t>(p[i]));
        }
        return true;
    }
    bool AtEnd() const { return at_ == size_; }

private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

bool ReadZone(ByteReader& in, TzZone* zone) {
    std::uint8_t typeCount = 0;
    if (!in.U8(&typeCount) || typeCount == 0) {
        return false;
    }
    for (int i = 0; i < typeCount; ++i) {
        std::uint32_t offset = 0;
        std::uint8_t daylight = 0;
        if (!in.U32(&offset) || !in.U8(&daylight) || daylight > 1) {
            return false;
        }
        const auto seconds = static_cast<LONG>(offset);
        // Real offsets stay within a day; anything else is damage.
        if (seconds <= -kSecondsPerDay || seconds >= kSecondsPerDay) {
            return false;
        }
        zone->types.push_back(TzOffsetType{seconds, daylight != 0});
    }
    std::uint16_t transitionCount = 0;
    if (!in.U8(&zone->initialType) || zone->initialType >= typeCount || !in.U16(&transitionCount)) {
        return false;
    }
    std::int64_t time = 0;
    for (int i = 0; i < transitionCount; ++i) {
        std::uint32_t delta = 0;
        std::uint8_t type = 0;
        if (!in.U32(&delta) || delta == 0 || !in.U8(&type) || type >= typeCount) {
            return false;
        }
        time += delta;
        zone->transitions.push_back(TzTransition{time, type});
    }
    if (!in.Text(&zone->ruleText)) {
        return false;
    }
    if (!zone->ruleText.empty()) {
        zone->rule = ParsePosixTz(zone->ruleText);
        if (!zone->rule) {
            return false;
        }
    }
    return true;
}

// A count, then that many pairs of a text that is not empty and an index
// below `limit`.
bool ReadIndexedTexts(ByteReader& in, std::uint16_t limit,
                      std::vector<std::pair<std::wstring, std::uint16_t>>* out) {
    std::uint16_t count = 0;
    if (!in.U16(&count)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        std::wstring text;
        std::uint16_t index = 0;
        if (!in.Text(&text) || text.empty() || !in.U16(&index) || index >= limit) {
            return false;
        }
        out->emplace_back(std::move(text), index);
    }
    return true;
}

// The rule's changes in the years around [from, to], after the last listed
// transition.
void AppendRuleChanges(const TzZone& zone, std::int64_t from, std::int64_t to, std::vector<TzChange>* out) {
    if (!zone.rule || !zone.rule->hasDaylight) {
        return;
    }
    const std::int64_t listedEnd = zone.transitions.empty() ? 0 : zone.transitions.back().time;
    const int firstYear = CivilTime(std::max(from, listedEnd)).wYear - 1;
    const int lastYear = CivilTime(to).wYear + 1;
    std::vector<TzChange> changes;
    for (int year = firstYear; year <= lastYear; ++year) {
        AppendPosixTzChanges(*zone.rule, year, &changes);
    }
    for (const TzChange& change : changes) {
        if (change.time > listedEnd && change.time > from && change.time <= to) {
            out->push_back(change);
        }
    }
}

bool IsTerritory(const std::wstring& text) {
    if (text == kWorldTerritory) {
        return true;
    }
    return text.size() == 2 && text[0] >= L'A' && text[0] <= L'Z' && text[1] >= L'A' && text[1] <= L'Z';
}

// The mappings, in strictly increasing (key, territory) order, each key with
// a row for territory 001, each row with at least one zone.
bool ReadMappings(ByteReader& in, std::size_t nameCount, TzTable* table) {
    std::uint16_t count = 0;
    if (!in.U16(&count)) {
        return false;
    }
    bool keyHasWorld = false;
    for (int i = 0; i < count; ++i) {
        TzMapping mapping;
        std::uint8_t zoneCount = 0;
        if (!in.Text(&mapping.windowsKey) || mapping.windowsKey.empty() || !in.Text(&mapping.territory) ||
            !IsTerritory(mapping.territory) || !in.U8(&zoneCount) || zoneCount == 0) {
            return false;
        }
        for (int z = 0; z < zoneCount; ++z) {
            std::uint16_t name = 0;
            if (!in.U16(&name) || name >= nameCount) {
                return false;
            }
            mapping.names.push_back(name);
        }
        const bool newKey =
            table->mappings.empty() || table->mappings.back().windowsKey != mapping.windowsKey;
        if (!table->mappings.empty()) {
            const TzMapping& previous = table->mappings.back();
            if (std::tie(previous.windowsKey, previous.territory) >=
                std::tie(mapping.windowsKey, mapping.territory)) {
                return false;
            }
            if (newKey && !keyHasWorld) {
                return false;
            }
        }
        if (newKey) {
            keyHasWorld = false;
        }
        if (mapping.territory == kWorldTerritory) {
            keyHasWorld = true;
            table->windowsKeys.emplace_back(mapping.windowsKey, mapping.names.front());
        }
        table->mappings.push_back(std::move(mapping));
    }
    if (!table->mappings.empty() && !keyHasWorld) {
        return false;
    }
    // Keys are looked up without regard to case, as registry keys are: two
    // that differ only in case would make one of them unreachable.
    std::vector<std::wstring_view> keys;
    for (const auto& [key, name] : table->windowsKeys) {
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end(),
              [](std::wstring_view a, std::wstring_view b) { return CompareNoCase(a, b) < 0; });
    return std::adjacent_find(keys.begin(), keys.end(), [](std::wstring_view a, std::wstring_view b) {
               return EqualNoCase(a, b);
           }) == keys.end();
}

} // namespace

bool ReadTzTable(const BYTE* data, std::size_t size, TzTable* table) {
    if (data == nullptr) {
        return false;
    }
    ByteReader in(data, size);
    const BYTE* magic = nullptr;
    std::uint16_t format = 0;
    if (!in.Bytes(4, &magic) || !std::equal(magic, magic + 4, kMagic) || !in.U16(&format) ||
        format != kFormat) {
        return false;
    }
    TzTable read;
    std::uint16_t zoneCount = 0;
    if (!in.Text(&read.version) || !in.Text(&read.cldrVersion) || !in.U16(&zoneCount)) {
        return false;
    }
    read.zones.resize(zoneCount);
    for (TzZone& zone : read.zones) {
        if (!ReadZone(in, &zone)) {
            return false;
        }
    }
    if (!ReadIndexedTexts(in, zoneCount, &read.names) || !ReadMappings(in, read.names.size(), &read)) {
        return false;
    }
    if (!in.AtEnd()) {
        return false;
    }
    *table = std::move(read);
    return true;
}

const TzZone* FindTzZone(const TzTable& table, std::wstring_view name) {
    for (const auto& [zoneName, zone] : table.names) {
        if (zoneName == name) {
            return &table.zones[zone];
        }
    }
    return nullptr;
}

const std::wstring* MappedTzName(const TzTable& table, std::wstring_view windowsKey) {
    for (const auto& [key, name] : table.windowsKeys) {
        if (EqualNoCase(key, windowsKey)) {
            return &table.names[name].first;
        }
    }
    return nullptr;
}

const std::wstring* MappedTzName(const TzTable& table, std::wstring_view windowsKey,
                                 std::wstring_view territory, std::wstring* territoryUsed) {
    for (const TzMapping* mapping : MappingsOfKey(table, windowsKey)) {
        if (mapping->territory == territory) {
            *territoryUsed = mapping->territory;
            return &table.names[mapping->names.front()].first;
        }
    }
    const std::wstring* world = MappedTzName(table, windowsKey);
    if (world != nullptr) {
        *territoryUsed = kWorldTerritory;
    }
    return world;
}

std::vector<const TzMapping*> MappingsOfKey(const TzTable& table, std::wstring_view windowsKey) {
    std::vector<const TzMapping*> found;
    for (const TzMapping& mapping : table.mappings) {
        if (EqualNoCase(mapping.windowsKey, windowsKey)) {
            found.push_back(&mapping);
        }
    }
    return found;
}

std::wstring TzReleaseText(const TzTable& table) {
    std::wstring text = L"IANA tz database " + table.version;
    if (!table.cldrVersion.empty()) {
        text += L", CLDR " + table.cldrVersion;
    }
    return text;
}

LONG TzOffsetAt(const TzZone& zone, std::int64_t time) {
    const auto after = std::upper_bound(zone.transitions.begin(), zone.transitions.end(), time,
                                        [](std::int64_t t, const TzTransition& tr) { return t < tr.time; });
    const LONG listed =
        zone.types[after == zone.transitions.begin() ? zone.initialType : (after - 1)->type].offset;
    if (after != zone.transitions.end()) {
        return listed;
    }
    // Past the list the rule goes on from the last listed type; a rule with
    // daylight time changes at least once a year.
    std::vector<TzChange> changes;
    AppendRuleChanges(zone, time - 2 * 366 * kSecondsPerDay, time, &changes);
    if (changes.empty()) {
        return listed;
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TzChange& a, const TzChange& b) { return a.time < b.time; });
    return changes.back().offset;
}

std::vector<TzChange> TzChangesBetween(const TzZone& zone, std::int64_t from, std::int64_t to) {
    std::vector<TzChange> changes;
    for (const TzTransition& transition : zone.transitions) {
        if (transition.time > from && transition.time <= to) {
            const TzOffsetType& type = zone.types[transition.type];
            changes.push_back(TzChange{transition.time, type.offset, type.daylight});
        }
    }
    AppendRuleChanges(zone, from, to, &changes);
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TzChange& a, const TzChange& b) { return a.time < b.time; });
    std::vector<TzChange> merged;
    for (const TzChange& change : changes) {
        if (!merged.empty() && merged.back().time == change.time) {
            merged.back() = change;
        } else {
            merged.push_back(change);
        }
    }
    return merged;
}

} // namespace tarvane
