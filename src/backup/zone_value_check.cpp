#include "backup/zone_value_check.h"

#include "backup/import_scope.h"
#include "core/time_zone_record.h"
#include "platform/registry.h"
#include "platform/text.h"

#include "platform/format.h"

#include <string_view>

namespace tarvane {
namespace {

bool IsYearName(std::wstring_view name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == L'0')) {
        return false;
    }
    for (wchar_t ch : name) {
        if (ch < L'0' || ch > L'9') {
            return false;
        }
    }
    return true;
}

bool IsString(const ExportValue& value) {
    return (value.type == REG_SZ || value.type == REG_EXPAND_SZ) && !value.data.empty();
}

bool IsTzi(const ExportValue& value) {
    return value.type == REG_BINARY && value.data.size() == kTziSize;
}

// False when the value is one the loader reads and it would fail there.
bool ZoneValueReadable(const ExportValue& value) {
    if (value.isDefault) {
        return true;
    }
    if (EqualAsciiNoCase(value.name, L"TZI")) {
        return IsTzi(value);
    }
    for (const wchar_t* name : {L"Display", L"Std", L"Dlt"}) {
        if (EqualAsciiNoCase(value.name, name)) {
            return IsString(value);
        }
    }
    return true;
}

bool YearValueReadable(const ExportValue& value) {
    if (value.isDefault) {
        return true;
    }
    if (EqualAsciiNoCase(value.name, L"FirstEntry") || EqualAsciiNoCase(value.name, L"LastEntry")) {
        return value.type == REG_DWORD && value.data.size() == 4;
    }
    return !IsYearName(value.name) || IsTzi(value);
}

// What is wrong with a value that the checks above refused.
void Explain(const ExportValue& value, std::wstring_view zone, bool years, TextRefusal* refusal) {
    const std::wstring line = GroupedNumber(value.line);
    const auto size = static_cast<DWORD>(value.data.size());
    std::wstring problem;
    if (!years && EqualAsciiNoCase(value.name, L"TZI")) {
        problem = value.type == REG_BINARY ? Format(L"has a TZI of %u bytes", size)
                                           : L"has a TZI that is not binary";
        problem += L"; a zone's TZI has 44";
    } else if (!years) {
        problem = Format(L"has a %s value that is not a text", value.name);
    } else if (IsYearName(value.name)) {
        problem =
            Format(L"has a year %s of %u bytes; a year's TZI has 44 bytes of binary data", value.name, size);
    } else {
        problem = Format(L"has a %s that is not a 4-byte number", value.name);
    }
    refusal->reason = Format(L"the zone %s %s (line %s)", std::wstring(zone), problem, line);
    refusal->plainReason = Format(L"line %s: a zone value %s", line, problem);
}

} // namespace

bool CheckZoneValues(const ExportContent& content, TextRefusal* refusal) {
    for (const ExportKey& key : content.keys) {
        const std::wstring_view below = PathBelowTimeZones(key.path);
        const std::size_t separator = below.find(L'\\');
        const bool zone = !below.empty() && separator == std::wstring_view::npos;
        const bool years = separator != std::wstring_view::npos &&
                           below.find(L'\\', separator + 1) == std::wstring_view::npos &&
                           EqualAsciiNoCase(below.substr(separator + 1), kDynamicDstName);
        for (const ExportValue& value : key.values) {
            if ((zone && !ZoneValueReadable(value)) || (years && !YearValueReadable(value))) {
                refusal->line = value.line;
                refusal->text = value.lineText;
                Explain(value, below.substr(0, separator), years, refusal);
                return false;
            }
        }
    }
    return true;
}

} // namespace tarvane
