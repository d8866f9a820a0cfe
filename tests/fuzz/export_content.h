// Comparing what two readings of a registry export hold: the keys in their
// order, and in each key the same values whatever their order.
#pragma once

#include "backup/export_text_reader.h"

#include <algorithm>
#include <tuple>

namespace tarvane::fuzz {

inline std::vector<const ExportValue*> SortedValues(const ExportKey& key) {
    std::vector<const ExportValue*> values;
    for (const ExportValue& value : key.values) {
        values.push_back(&value);
    }
    std::sort(values.begin(), values.end(), [](const ExportValue* a, const ExportValue* b) {
        if (a->isDefault != b->isDefault) {
            return a->isDefault;
        }
        return std::tie(a->name, a->type, a->data) < std::tie(b->name, b->type, b->data);
    });
    return values;
}

// The same keys in the same order, each with the same values (name, type and
// bytes) and IANA source; line numbers and texts do not count.
inline bool SameContent(const ExportContent& a, const ExportContent& b) {
    if (a.keys.size() != b.keys.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.keys.size(); ++i) {
        if (a.keys[i].path != b.keys[i].path || a.keys[i].values.size() != b.keys[i].values.size() ||
            a.keys[i].tzSource != b.keys[i].tzSource) {
            return false;
        }
        const auto left = SortedValues(a.keys[i]);
        const auto right = SortedValues(b.keys[i]);
        for (std::size_t j = 0; j < left.size(); ++j) {
            if (left[j]->isDefault != right[j]->isDefault || left[j]->name != right[j]->name ||
                left[j]->type != right[j]->type || left[j]->data != right[j]->data) {
                return false;
            }
        }
    }
    return true;
}

} // namespace tarvane::fuzz
