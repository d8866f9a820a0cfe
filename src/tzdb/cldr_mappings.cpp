#include "tzdb/cldr_mappings.h"

#include <algorithm>
#include <optional>

namespace tarvane {
namespace {

// The index of `name` in the table's names, which are in ASCII order.
std::optional<std::uint16_t> NameIndex(const TzTable& table, const std::wstring& name) {
    const auto found = std::lower_bound(table.names.begin(), table.names.end(), name,
                                        [](const std::pair<std::wstring, std::uint16_t>& entry,
                                           const std::wstring& wanted) { return entry.first < wanted; });
    if (found == table.names.end() || found->first != name) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(found - table.names.begin());
}

} // namespace

void CarryCldrMappings(const TzTable& source, TzTable* release) {
    release->cldrVersion = source.cldrVersion;
    release->windowsKeys.clear();
    for (const auto& [key, name] : source.windowsKeys) {
        if (const auto index = NameIndex(*release, source.names[name].first)) {
            release->windowsKeys.emplace_back(key, *index);
        }
    }
    release->mappings.clear();
    for (const TzMapping& mapping : source.mappings) {
        TzMapping carried{mapping.windowsKey, mapping.territory, {}};
        for (const std::uint16_t name : mapping.names) {
            if (const auto index = NameIndex(*release, source.names[name].first)) {
                carried.names.push_back(*index);
            }
        }
        if (!carried.names.empty()) {
            release->mappings.push_back(std::move(carried));
        }
    }
}

} // namespace tarvane
