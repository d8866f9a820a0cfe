#include "platform/time_sync.h"

#include "platform/environment.h"
#include "platform/last_error.h"
#include "platform/registry_values.h"
#include "platform/text.h"

namespace tarvane {
bool ReadTimeSyncType(RegistryApi& registry, bool isLegacyOs, std::wstring* type) {
    type->clear();
    RegKey key(registry);
    if (const LONG opened = key.Open(kHkeyLocalMachine, kTimeServiceParametersPath, KEY_READ);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        return false;
    }
    std::wstring stored;
    if (!ReadStringValue(key, L"Type", &stored)) {
        return false;
    }
    key.Close();
    return ExpandEnvironmentText(stored.c_str(), type, isLegacyOs);
}

} // namespace tarvane
