#include "ui/tz_release_setting.h"

#include "platform/last_error.h"
#include "platform/registry_values.h"
#include "platform/settings_store.h"

namespace tarvane::ui {
namespace {

constexpr REGSAM kAccess = KEY_READ | KEY_SET_VALUE;

} // namespace

std::optional<RememberedTzRelease> ReadRememberedTzRelease(RegistryApi& registry) {
    RegKey key(registry);
    if (key.Open(kHkeyCurrentUser, PerUserSettingsPath(), KEY_READ) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RememberedTzRelease release;
    if (!ReadStringValue(key, kTzReleasePathValue, &release.path) &&
        GetThreadLastError() == static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) {
        return std::nullopt;
    }
    if (!ReadStringValue(key, kTzReleaseVersionValue, &release.version)) {
        release.version.clear();
    }
    if (!ReadStringValue(key, kTzReleaseSha256Value, &release.sha256)) {
        release.sha256.clear();
    }
    return release;
}

bool WriteRememberedTzRelease(RegistryApi& registry, const RememberedTzRelease& release) {
    RegKey key(registry);
    LONG result = key.Create(kHkeyCurrentUser, PerUserSettingsPath(), kAccess);
    // The path last: a record without it is no record, so a write that stops
    // halfway leaves nothing that looks whole.
    if (result == ERROR_SUCCESS) {
        result = key.SetString(kTzReleaseVersionValue, release.version);
    }
    if (result == ERROR_SUCCESS) {
        result = key.SetString(kTzReleaseSha256Value, release.sha256);
    }
    if (result == ERROR_SUCCESS) {
        result = key.SetString(kTzReleasePathValue, release.path);
    }
    SetThreadLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

bool ForgetRememberedTzRelease(RegistryApi& registry) {
    RegKey key(registry);
    LONG result = key.Open(kHkeyCurrentUser, PerUserSettingsPath(), kAccess);
    if (result == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        result = ERROR_SUCCESS;
    } else if (result == ERROR_SUCCESS) {
        for (const wchar_t* name : {kTzReleasePathValue, kTzReleaseVersionValue, kTzReleaseSha256Value}) {
            const LONG deleted = key.DeleteValue(name);
            if (deleted != ERROR_SUCCESS && deleted != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
                result = deleted;
                break;
            }
        }
    }
    SetThreadLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

} // namespace tarvane::ui
