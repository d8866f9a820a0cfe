#include "platform/registry_values.h"

#include "platform/last_error.h"
#include "platform/text.h"

#include <array>

namespace tarvane {
namespace registry_detail {

bool ProbeValue(const RegKey& key, std::wstring_view name, DWORD* type, DWORD* size) {
    BYTE none = 0;
    *type = REG_NONE;
    *size = 0;
    const LONG result = key.QueryValue(name, type, &none, size);
    if (result != static_cast<LONG>(ERROR_MORE_DATA)) {
        SetThreadLastError(static_cast<DWORD>(result));
        return false;
    }
    return true;
}

bool Fail(DWORD code) {
    SetThreadLastError(code);
    return false;
}

OneRead ReadWhole(const RegKey& key, std::wstring_view name, BYTE* buffer, DWORD capacity, DWORD* type,
                  DWORD* size) {
    *type = REG_NONE;
    *size = capacity;
    const LONG result = key.QueryValue(name, type, buffer, size);
    // A registry that reports more than it was given room for is not trusted
    // with this buffer either.
    if (result == static_cast<LONG>(ERROR_MORE_DATA) || (result == ERROR_SUCCESS && *size > capacity)) {
        return OneRead::TooLarge;
    }
    if (result != ERROR_SUCCESS || *size == 0) {
        Fail(static_cast<DWORD>(result));
        return OneRead::Failed;
    }
    return OneRead::Read;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The text of string data: at most `units` characters, up to the first NUL.
std::wstring TextUpToNul(const BYTE* data, std::size_t units) {
    std::size_t length = 0;
    while (length < units && (data[2 * length] != 0 || data[2 * length + 1] != 0)) {
        ++length;
    }
    return FromUtf16Le(data, length);
}

} // namespace registry_detail

using registry_detail::Fail;
using registry_detail::IsStringType;
using registry_detail::OneRead;
using registry_detail::ProbeValue;
using registry_detail::ReadWhole;
using registry_detail::TextUpToNul;

bool ReadStringValue(const RegKey& key, std::wstring_view name, std::wstring* text) {
    text->clear();
    DWORD type = 0;
    DWORD firstSize = 0;
    if (!ProbeValue(key, name, &type, &firstSize)) {
        return false;
    }
    if (!IsStringType(type)) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    const std::size_t units = firstSize / 2 + 1;
    std::vector<BYTE> buffer(units * 2, 0);
    DWORD size = firstSize;
    const LONG result = key.QueryValue(name, &type, buffer.data(), &size);
    if (result != ERROR_SUCCESS) {
        return Fail(static_cast<DWORD>(result));
    }
    if (!IsStringType(type) || size > firstSize) {
        return Fail(ERROR_INVALID_DATA);
    }
    // The character at size / 2 ends the text even when the stored data has no terminator.
    *text = TextUpToNul(buffer.data(), units - 1);
    SetThreadLastError(0);
    return true;
}

bool ReadNumberValue(const RegKey& key, std::wstring_view name, DWORD* value) {
    *value = 0;
    DWORD type = 0;
    DWORD firstSize = 0;
    if (!ProbeValue(key, name, &type, &firstSize)) {
        return false;
    }
    if (type != REG_DWORD) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    BYTE buffer[4] = {};
    DWORD size = sizeof buffer;
    const LONG result = key.QueryValue(name, &type, buffer, &size);
    if (result != ERROR_SUCCESS) {
        return Fail(static_cast<DWORD>(result));
    }
    if (type != REG_DWORD) {
        return Fail(ERROR_INVALID_DATA);
    }
    *value = ReadDwordLe(buffer);
    SetThreadLastError(0);
    return true;
}

bool ReadStringValueInOneCall(const RegKey& key, std::wstring_view name, std::wstring* text) {
    text->clear();
    std::array<BYTE, 512> buffer;
    DWORD type = 0;
    DWORD size = 0;
    switch (ReadWhole(key, name, buffer.data(), static_cast<DWORD>(buffer.size()), &type, &size)) {
    case OneRead::TooLarge:
        return ReadStringValue(key, name, text);
    case OneRead::Failed:
        return false;
    case OneRead::Read:
        break;
    }
    if (!IsStringType(type)) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    *text = TextUpToNul(buffer.data(), size / 2);
    SetThreadLastError(0);
    return true;
}

bool ReadNumberValueInOneCall(const RegKey& key, std::wstring_view name, DWORD* value) {
    *value = 0;
    BYTE buffer[4] = {};
    DWORD type = 0;
    DWORD size = 0;
    switch (ReadWhole(key, name, buffer, sizeof buffer, &type, &size)) {
    case OneRead::TooLarge:
        return ReadNumberValue(key, name, value);
    case OneRead::Failed:
        return false;
    case OneRead::Read:
        break;
    }
    if (type != REG_DWORD) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    *value = ReadDwordLe(buffer);
    SetThreadLastError(0);
    return true;
}

} // namespace tarvane
