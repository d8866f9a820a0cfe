#include "tzdb/cldr_mappings.h"

#include <map>
#include <optional>
#include <string_view>

namespace tarvane {

void CarryCldrMappings(const TzTable& source, TzTable* release) {
    // By name: a compiled release numbers its names its own way.
    std::map<std::wstring_view, std::uint16_t> index;
    for (std::size_t i = 0; i < release->names.size(); ++i) {
        index.emplace(release->names[i].first, static_cast<std::uint16_t>(i));
    }
    const auto find = [&](std::uint16_t sourceName) -> std::optional<std::uint16_t> {
        if (sourceName >= source.names.size()) {
            return std::nullopt;
        }
        const auto found = index.find(source.names[sourceName].first);
        return found == index.end() ? std::nullopt : std::optional<std::uint16_t>(found->second);
    };
    release->cldrVersion = source.cldrVersion;
    release->windowsKeys.clear();
    for (const auto& [key, name] : source.windowsKeys) {
        if (const auto mapped = find(name)) {
            release->windowsKeys.emplace_back(key, *mapped);
        }
    }
    release->mappings.clear();
    for (const TzMapping& mapping : source.mappings) {
        TzMapping carried{mapping.windowsKey, mapping.territory, {}};
        for (const std::uint16_t name : mapping.names) {
            if (const auto mapped = find(name)) {
                carried.names.push_back(*mapped);
            }
        }
        if (!carried.names.empty()) {
            release->mappings.push_back(std::move(carried));
        }
    }
}

} // namespace tarvane
