#include "core/zone_sources.h"

#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/product.h"
#include "platform/registry_values.h"
#include "platform/settings_store.h"
#include "platform/text.h"

namespace tarvane {
namespace {

// The registry's longest value name, with its terminator.
constexpr DWORD kValueNameCapacity = 16384;

} // namespace

bool IsTzNameForm(std::wstring_view name) {
    if (name.empty() || name.size() > 64 || name.front() == L'/' || name.back() == L'/' ||
        name.find(L"//") != std::wstring_view::npos) {
        return false;
    }
    for (wchar_t ch : name) {
        const bool letter = (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z');
        if (!letter && !(ch >= L'0' && ch <= L'9') &&
            std::wstring_view(L"/_+-").find(ch) == std::wstring_view::npos) {
            return false;
        }
    }
    return true;
}

std::wstring ZoneSourcesPath() {
    return Format(L"SOFTWARE\\%s\\%s\\Zone Sources", kMakerKeyWord, kApplicationName);
}

ZoneSources ReadZoneSources(RegistryApi& registry) {
    ZoneSources sources;
    RegKey key(registry);
    const LONG opened = key.Open(kHkeyLocalMachine, ZoneSourcesPath(), KEY_READ);
    if (opened == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        return sources;
    }
    LONG result = opened;
    for (DWORD index = 0; result == ERROR_SUCCESS; ++index) {
        std::wstring name;
        result =
            registry.EnumValue(key.Handle(), index, kValueNameCapacity, &name, nullptr, nullptr, nullptr);
        std::wstring tzName;
        if (result == ERROR_SUCCESS && ReadStringValue(key, name, &tzName) && !tzName.empty()) {
            sources.emplace_back(name, tzName);
        }
    }
    if (result != static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
        SetThreadLastError(static_cast<DWORD>(result));
        LogMessage(L"[288] err=%d, read=%u", result, static_cast<DWORD>(sources.size()));
    }
    return sources;
}

const std::wstring* FindZoneSource(const ZoneSources& sources, const std::wstring& zoneKey) {
    for (const auto& [key, tzName] : sources) {
        if (EqualNoCase(key, zoneKey)) {
            return &tzName;
        }
    }
    return nullptr;
}

LONG SetZoneSource(RegistryApi& registry, const std::wstring& zoneKey, const std::wstring& tzName) {
    RegKey key(registry);
    LONG result = ERROR_SUCCESS;
    if (tzName.empty()) {
        result = key.Open(kHkeyLocalMachine, ZoneSourcesPath(), KEY_SET_VALUE);
        if (result == ERROR_SUCCESS) {
            result = key.DeleteValue(zoneKey);
        }
        if (result == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            return ERROR_SUCCESS;
        }
    } else {
        result = key.Create(kHkeyLocalMachine, ZoneSourcesPath(), KEY_SET_VALUE);
        if (result == ERROR_SUCCESS) {
            result = key.SetString(zoneKey, tzName);
        }
    }
    if (result != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(result));
        LogMessage(L"[278] err=%d, key=%s, tz=\"%s\"", result, zoneKey, tzName);
    }
    return result;
}

} // namespace tarvane
