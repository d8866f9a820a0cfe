#include "platform/registry_values.h"

#include "platform/last_error.h"
#include "platform/text.h"

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

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace registry_detail

using registry_detail::Fail;
using registry_detail::IsStringType;
using registry_detail::ProbeValue;

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
    buffer[(units - 1) * 2] = 0;
    buffer[(units - 1) * 2 + 1] = 0;
    std::size_t length = 0;
    while (buffer[2 * length] != 0 || buffer[2 * length + 1] != 0) {
        ++length;
    }
    *text = FromUtf16Le(buffer.data(), length);
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

} // namespace tarvane
