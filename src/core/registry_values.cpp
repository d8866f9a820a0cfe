#include "core/registry_values.h"

#include "platform/last_error.h"

namespace tarvane {

using registry_detail::Fail;
using registry_detail::ProbeValue;

bool ReadTziValue(const RegKey& key, std::wstring_view name, TziBlock* block) {
    *block = TziBlock{};
    DWORD type = 0;
    DWORD firstSize = 0;
    if (!ProbeValue(key, name, &type, &firstSize)) {
        return false;
    }
    if (type != REG_BINARY) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    TziBytes buffer{};
    DWORD size = kTziSize;
    const LONG result = key.QueryValue(name, &type, buffer.data(), &size);
    if (result != ERROR_SUCCESS) {
        return Fail(static_cast<DWORD>(result));
    }
    if (size != kTziSize) {
        return Fail(ERROR_INVALID_DATA);
    }
    *block = TziFromBytes(buffer.data());
    SetThreadLastError(0);
    return true;
}

} // namespace tarvane
