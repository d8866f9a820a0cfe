#include "platform/time_sync.h"

#include "platform/environment.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

bool Fail(DWORD code) {
    SetThreadLastError(code);
    return false;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

bool ReadTimeSyncType(RegistryApi& registry, bool isLegacyOs, std::wstring* type) {
    type->clear();
    RegKey key(registry);
    if (const LONG opened = key.Open(kHkeyLocalMachine, kTimeServiceParametersPath, KEY_READ);
        opened != ERROR_SUCCESS) {
        return Fail(static_cast<DWORD>(opened));
    }
    // The size probe: an existing value with data answers ERROR_MORE_DATA.
    BYTE none = 0;
    DWORD valueType = REG_NONE;
    DWORD firstSize = 0;
    if (const LONG probed = key.QueryValue(L"Type", &valueType, &none, &firstSize);
        probed != static_cast<LONG>(ERROR_MORE_DATA)) {
        return Fail(static_cast<DWORD>(probed));
    }
    if (!IsStringType(valueType)) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    const std::size_t units = firstSize / 2 + 1;
    std::vector<BYTE> buffer(units * 2, 0);
    DWORD size = firstSize;
    if (const LONG read = key.QueryValue(L"Type", &valueType, buffer.data(), &size); read != ERROR_SUCCESS) {
        return Fail(static_cast<DWORD>(read));
    }
    if (!IsStringType(valueType) || size > firstSize) {
        return Fail(ERROR_INVALID_DATA);
    }
    std::size_t length = 0;
    while (length < units - 1 && (buffer[2 * length] != 0 || buffer[2 * length + 1] != 0)) {
        ++length;
    }
    const std::wstring stored = FromUtf16Le(buffer.data(), length);
    key.Close();
    return ExpandEnvironmentText(stored.c_str(), type, isLegacyOs);
}

} // namespace tarvane
