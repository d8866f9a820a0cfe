// An independent reader of registry-export text for the tests: the keys and
// values a .reg text names, and a stand-in for "reg.exe import" that writes
// them into the in-memory registry.
#pragma once

#include "fakes/memory_registry.h"

#include <map>
#include <string>
#include <vector>

namespace tarvane::test {

struct RegFileValue {
    std::wstring name; // empty for the default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool deleted = false; // "name"=-
    bool operator==(const RegFileValue& other) const {
        return name == other.name && type == other.type && data == other.data && deleted == other.deleted;
    }
};

struct RegFileKey {
    std::wstring path;                           // as written
    bool deleted = false;                        // [-path]
    std::map<std::wstring, RegFileValue> values; // by upper-case name
    bool operator==(const RegFileKey& other) const {
        return deleted == other.deleted && values == other.values;
    }
};

using RegFile = std::map<std::wstring, RegFileKey>; // by upper-case path

// Parses the text (header, key lines, value lines with continuation). False
// with a description of the first line it could not read.
bool ParseRegText(const std::wstring& text, RegFile* file, std::string* error);

// Each REG_SZ as its text up to the first NUL with one terminator, so that
// writers that differ only in what they keep after the text compare equal.
RegFile NormalizeStrings(RegFile file);

// Writes the file into the registry as the import tool does.
void ApplyRegFile(MemoryRegistry& registry, const RegFile& file);

// A readable list of the differences, empty when equal.
std::string DiffRegFiles(const RegFile& expected, const RegFile& actual);

} // namespace tarvane::test
