#include "core/registry_values.h"

#include "platform/last_error.h"

namespace tarvane {

using registry_detail::Fail;
using registry_detail::OneRead;
using registry_detail::ProbeValue;
using registry_detail::ReadWhole;

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

bool ReadTziValueInOneCall(const RegKey& key, std::wstring_view name, TziBlock* block) {
    *block = TziBlock{};
    TziBytes buffer{};
    DWORD type = 0;
    DWORD size = 0;
    switch (ReadWhole(key, name, buffer.data(), kTziSize, &type, &size)) {
    case OneRead::TooLarge:
        // Longer than a block: the two reads fail it with the code of its type or size.
        return ReadTziValue(key, name, block);
    case OneRead::Failed:
        return false;
    case OneRead::Read:
        break;
    }
    if (type != REG_BINARY) {
        return Fail(ERROR_BAD_DEV_TYPE);
    }
    if (size != kTziSize) {
        return Fail(ERROR_INVALID_DATA);
    }
    *block = TziFromBytes(buffer.data());
    SetThreadLastError(0);
    return true;
}

} // namespace tarvane
