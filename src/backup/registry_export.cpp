#include "backup/registry_export.h"

#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

#include <memory>
#include <new>
#include <vector>

namespace tarvane {
namespace {

constexpr DWORD kSubKeyNameCapacity = 1024;
constexpr std::size_t kWrapColumn = 75;

struct REG_KEY_NAME_VAL {
    LONG isDefault = 0;
    std::wstring name;
    std::wstring valueText;
};

void AppendHexByte(std::wstring& text, BYTE byte) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
}

// The prefix, then the bytes as "xx," wrapped by the column count of the
// text after the equals sign, then a line feed.
std::wstring HexValueText(const std::wstring& prefix, const BYTE* data, DWORD size) {
    std::wstring text = prefix;
    text.reserve(prefix.size() + size * 3 + size / 24 * 4 + 1);
    std::size_t column = prefix.size();
    for (DWORD i = 0; i < size; ++i) {
        const bool last = i + 1 == size;
        AppendHexByte(text, data[i]);
        if (!last) {
            text.push_back(L',');
        }
        column += last ? 2 : 3;
        if (column > kWrapColumn) {
            column = 2;
            if (!last) {
                text += L"\\\n  ";
            }
        }
    }
    text.push_back(L'\n');
    return text;
}

std::wstring StringValueText(const BYTE* data, DWORD size) {
    const DWORD units = size / 2;
    for (DWORD i = 0; i < units; ++i) {
        const unsigned unit = data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8);
        if (unit != 0 && (unit < 0x20 || unit > 0x7F)) {
            return HexValueText(L"hex(1):", data, size);
        }
    }
    std::wstring text;
    text.push_back(L'"');
    for (DWORD i = 0; i < units && (data[2 * i] != 0 || data[2 * i + 1] != 0); ++i) {
        const auto ch = static_cast<wchar_t>(data[2 * i]);
        if (ch == L'\\' || ch == L'"') {
            text.push_back(L'\\');
        }
        text.push_back(ch);
    }
    text += L"\"\n";
    return text;
}

// The quoted form gives back the text and one terminating NUL, nothing else.
bool QuotedFormKeepsEveryByte(const BYTE* data, DWORD size) {
    if (size < 2 || size % 2 != 0 || data[size - 2] != 0 || data[size - 1] != 0) {
        return false;
    }
    for (DWORD i = 0; i + 2 < size; i += 2) {
        if (data[i] == 0 && data[i + 1] == 0) {
            return false;
        }
    }
    return true;
}

// Default value first, then named values in ascending order of lstrcmpiW.
void OrderValues(std::vector<REG_KEY_NAME_VAL>& records) {
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        for (std::size_t j = i + 1; j < records.size(); ++j) {
            if (records[j].isDefault != 0 ||
                (records[i].isDefault == 0 && CompareNoCase(records[i].name, records[j].name) > 0)) {
                std::swap(records[i], records[j]);
            }
        }
    }
}

void LogWithError(LONG error) {
    SetThreadLastError(static_cast<DWORD>(error));
}

} // namespace

bool ExportLineCarriesName(std::wstring_view name, bool isKeyName) {
    for (wchar_t ch : name) {
        if (ch == L'\r' || ch == L'\n' || (isKeyName && ch < 0x20)) {
            return false;
        }
    }
    return true;
}

std::wstring FormatValueData(DWORD type, const BYTE* data, DWORD size, StringForm form) {
    switch (type) {
    case REG_SZ:
        if (form == StringForm::Exact && !QuotedFormKeepsEveryByte(data, size)) {
            return HexValueText(L"hex(1):", data, size);
        }
        return StringValueText(data, size);
    case REG_DWORD:
        if (size == 4) {
            return Format(L"dword:%08x\n", ReadDwordLe(data));
        }
        break;
    case REG_BINARY:
        return HexValueText(L"hex:", data, size);
    default:
        break;
    }
    return HexValueText(Format(L"hex(%x):", type), data, size);
}

std::wstring FormatValueLine(bool isDefault, std::wstring_view name, std::wstring_view valueText) {
    if (isDefault) {
        return Format(L"@=%s", valueText);
    }
    std::wstring quoted;
    quoted.reserve(name.size() + 2);
    for (wchar_t ch : name) {
        if (ch == L'\\' || ch == L'"') {
            quoted.push_back(L'\\');
        }
        quoted.push_back(ch);
    }
    return Format(L"\"%s\"=%s", quoted, valueText);
}

LONG ExportRegistryKey(RegistryApi& registry, RegHandle rootKey, const std::wstring& rootName,
                       const std::wstring& keyPath, std::wstring& text) {
    RegKey key(registry);
    LONG result = key.Open(rootKey, keyPath, KEY_READ);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    text += Format(L"[%s\\%s]\n", rootName, keyPath);

    RegKeyInfo info;
    result = key.QueryInfo(&info);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // Sized once from the key's own report and never grown: a value that
    // outgrows them is reported as MORE_DATA and left out.
    const DWORD nameCapacity = info.maxValueNameLength + 1;
    const DWORD dataCapacity = info.maxValueDataLength;
    std::unique_ptr<wchar_t[]> nameBuffer(new (std::nothrow) wchar_t[nameCapacity]);
    std::unique_ptr<BYTE[]> dataBuffer(new (std::nothrow) BYTE[dataCapacity == 0 ? 1 : dataCapacity]);
    if (!nameBuffer || !dataBuffer) {
        return static_cast<LONG>(ERROR_OUTOFMEMORY);
    }

    // The counts come from the same report: the enumerations stop there
    // without asking for the one past the end (a call per key each, about
    // a seventh of the calls of a whole export).
    std::vector<REG_KEY_NAME_VAL> records;
    for (DWORD index = 0; index < info.values; ++index) {
        std::wstring name;
        DWORD type = REG_NONE;
        DWORD size = dataCapacity;
        const LONG status =
            registry.EnumValue(key.Handle(), index, nameCapacity, &name, &type, dataBuffer.get(), &size);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            break;
        }
        // A registry that reports more than it was given room for is not
        // trusted: that value is left out as one too large for the buffer.
        if (status == static_cast<LONG>(ERROR_MORE_DATA) ||
            (status == ERROR_SUCCESS && size > dataCapacity)) {
            const LONG tooLarge = static_cast<LONG>(ERROR_MORE_DATA);
            LogWithError(tooLarge);
            LogMessage(L"[121] MORE_DATA_ERROR: %d, Value index: %d, key: '%s'", tooLarge, index, keyPath);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            LogWithError(status);
            LogMessage(L"[123] OSErr: %d, Value index: %d, key: '%s'", status, index, keyPath);
            break;
        }
        if (!ExportLineCarriesName(name, false)) {
            LogWithError(static_cast<LONG>(ERROR_INVALID_DATA));
            LogMessage(L"[290] Line break in name, Value index: %d, key: '%s'", index, keyPath);
            continue;
        }
        REG_KEY_NAME_VAL record;
        record.isDefault = name.empty() ? 1 : 0;
        record.name = name.empty() ? L"@" : name;
        if (type == REG_DWORD && size != 4) {
            LogWithError(status);
            LogMessage(L"[122] Wrong size DWORD: %s", name);
            continue;
        }
        record.valueText = FormatValueData(type, dataBuffer.get(), size, StringForm::Export);
        records.push_back(std::move(record));
    }

    OrderValues(records);
    for (const auto& record : records) {
        text += FormatValueLine(record.isDefault != 0, record.name, record.valueText);
    }
    text.push_back(L'\n');
    records.clear();

    result = ERROR_SUCCESS;
    for (DWORD index = 0; index < info.subKeys; ++index) {
        std::wstring subKey;
        const LONG status = registry.EnumKey(key.Handle(), index, kSubKeyNameCapacity, &subKey);
        if (status == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            break;
        }
        if (status == static_cast<LONG>(ERROR_MORE_DATA)) {
            LogWithError(status);
            LogMessage(L"[124] MORE_DATA_ERROR: %d, Subkey index: %d, key: '%s'", status, index, keyPath);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            LogWithError(status);
            LogMessage(L"[125] OSErr: %d, Subkey index: %d, key: '%s'", status, index, keyPath);
            result = status;
            break;
        }
        if (!ExportLineCarriesName(subKey, true)) {
            LogWithError(static_cast<LONG>(ERROR_INVALID_DATA));
            LogMessage(L"[291] Control character in name, Subkey index: %d, key: '%s'", index, keyPath);
            continue;
        }
        const std::wstring childPath = Format(L"%s\\%s", keyPath, subKey);
        const LONG childResult = ExportRegistryKey(registry, rootKey, rootName, childPath, text);
        if (childResult != ERROR_SUCCESS) {
            LogWithError(childResult);
            LogMessage(L"[126] OSErr: %d, Subkey Values: '%s'", childResult, childPath);
        }
    }
    return result;
}

bool ExportTimeZoneDatabase(RegistryApi& registry, std::wstring& text) {
    text = Format(L"%s\n\n", kRegistryFileHeader);
    for (const wchar_t* path : {kTimeZoneInformationPath, kTimeZonesPath}) {
        const LONG result = ExportRegistryKey(registry, kHkeyLocalMachine, kLocalMachineName, path, text);
        if (result != ERROR_SUCCESS) {
            SetThreadLastError(static_cast<DWORD>(result));
            return false;
        }
    }
    text = TrimWhiteSpace(text) + L"\n\n";
    SetThreadLastError(0);
    return true;
}

void AddZoneSourceComments(const ZoneSources& sources, std::wstring& text) {
    for (const auto& [zone, tzName] : sources) {
        if (!IsTzNameForm(tzName) || zone.find(L'\\') != std::wstring::npos) {
            continue;
        }
        const std::wstring keyLine = Format(L"\n[%s\\%s\\%s]\n", kLocalMachineName, kTimeZonesPath, zone);
        const std::size_t at = text.find(keyLine);
        if (at != std::wstring::npos) {
            text.insert(at + keyLine.size(), kZoneSourceComment + tzName + L"\n");
        }
    }
}

} // namespace tarvane
