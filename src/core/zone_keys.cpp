#include "core/zone_keys.h"

#include "core/zone_writer.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"

#include <string_view>

namespace tarvane {
namespace {

constexpr REGSAM kWriteAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
// The registry's longest key name, with its terminator.
constexpr DWORD kKeyNameCapacity = 256;

bool IsAsciiLetterOrDigit(wchar_t ch) {
    return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z') || (ch >= L'0' && ch <= L'9');
}

bool FitsZoneKey(wchar_t ch) {
    return IsAsciiLetterOrDigit(ch) || std::wstring_view(L" .+-()").find(ch) != std::wstring_view::npos;
}

std::wstring CharacterText(wchar_t ch) {
    if (ch < 0x20 || ch == 0x7F) {
        return Format(L"the character U+%04X", static_cast<DWORD>(ch));
    }
    return Format(L"\"%s\"", std::wstring(1, ch));
}

} // namespace

LONG DeleteKeyTree(const RegKey& parent, const std::wstring& name, bool is64BitOs, std::wstring* failed,
                   bool* removedSome) {
    *failed = name;
    RegistryApi& registry = parent.Api();
    std::vector<std::wstring> children;
    {
        RegKey key(registry);
        // A link is deleted itself; what it points to is never walked.
        if (const LONG opened = key.OpenNoLink(parent.Handle(), name, KEY_READ); opened != ERROR_SUCCESS) {
            return opened;
        }
        // Every name first: deleting while enumerating would skip keys.
        RegistryKeyIterator subKeys(registry, key.Handle(), kKeyNameCapacity);
        while (subKeys.Next()) {
            children.push_back(subKeys.Name());
        }
        if (subKeys.Result() != static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            return subKeys.Result();
        }
        for (const std::wstring& child : children) {
            std::wstring childFailed;
            const LONG removed = DeleteKeyTree(key, child, is64BitOs, &childFailed, removedSome);
            if (removed != ERROR_SUCCESS && removed != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
                *failed = name + L"\\" + childFailed;
                return removed;
            }
        }
    }
    const LONG removed = DeleteSubKey(parent, name, is64BitOs);
    if (removed == ERROR_SUCCESS) {
        *removedSome = true;
    }
    return removed;
}

std::wstring NewZoneKeyProblem(const std::wstring& name, const std::vector<std::wstring>& existing) {
    if (name.empty()) {
        return L"Provide the key name of the new time zone.";
    }
    if (name.size() > kMaxZoneKeyLength) {
        return Format(L"The key name has %u characters; a time zone's key name has at most %u.",
                      static_cast<DWORD>(name.size()), static_cast<DWORD>(kMaxZoneKeyLength));
    }
    for (wchar_t ch : name) {
        if (!FitsZoneKey(ch)) {
            return Format(
                L"The key name may hold letters (A to Z), digits, spaces and the characters . + - ( ) "
                L"only, not %s.",
                CharacterText(ch));
        }
    }
    if (!IsAsciiLetterOrDigit(name.front())) {
        return L"The key name must begin with a letter or a digit.";
    }
    if (name.back() == L' ') {
        return L"The key name must not end with a space.";
    }
    for (const std::wstring& key : existing) {
        if (EqualNoCase(key, name)) {
            return Format(L"There is a time zone with the key name \"%s\" already.", key);
        }
    }
    return std::wstring();
}

std::vector<std::wstring> ZoneKeyNames(RegistryApi& registry, LONG* error) {
    std::vector<std::wstring> names;
    *error = ERROR_SUCCESS;
    RegKey root(registry);
    if (const LONG opened = root.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_ENUMERATE_SUB_KEYS);
        opened != ERROR_SUCCESS) {
        *error = opened;
    } else {
        RegistryKeyIterator zones(registry, root.Handle(), kKeyNameCapacity);
        while (zones.Next()) {
            names.push_back(zones.Name());
        }
        if (zones.Result() != static_cast<LONG>(ERROR_NO_MORE_ITEMS)) {
            *error = zones.Result();
        }
    }
    if (*error != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(*error));
        LogMessage(L"[287] err=%d, keys=%u", *error, static_cast<DWORD>(names.size()));
    }
    return names;
}

bool CreateTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record, bool* leftOver) {
    const std::wstring& name = record.keyName;
    // The writer would make whatever path the name spells: only a sound key.
    if (!NewZoneKeyProblem(name, {}).empty()) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        LogMessage(L"[271] key=\"%s\"", name);
        return false;
    }
    RegKey root(registry);
    if (const LONG opened = root.Open(kHkeyLocalMachine, kTimeZonesPath, kWriteAccess);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        LogMessage(L"[273] err=%d, key=%s", opened, name);
        return false;
    }
    {
        RegKey zoneKey(registry);
        DWORD disposition = 0;
        if (const LONG created = zoneKey.Create(root.Handle(), name, kWriteAccess, &disposition);
            created != ERROR_SUCCESS) {
            SetThreadLastError(static_cast<DWORD>(created));
            LogMessage(L"[274] err=%d, key=%s", created, name);
            return false;
        }
        if (disposition == REG_OPENED_EXISTING_KEY && !*leftOver) {
            SetThreadLastError(ERROR_ALREADY_EXISTS);
            LogMessage(L"[275] key=%s", name);
            return false;
        }
    }
    if (SaveTimeZone(registry, is64BitOs, record)) {
        *leftOver = false;
        return true;
    }
    // Nothing half-made stays: the key this save made goes again.
    const DWORD error = GetThreadLastError();
    std::wstring failed;
    bool removedSome = false;
    const LONG removed = DeleteKeyTree(root, name, is64BitOs, &failed, &removedSome);
    if (removed == ERROR_SUCCESS || removed == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
        *leftOver = false;
        SetThreadLastError(error);
        LogMessage(L"[276] err=%d, key=%s", error, name);
    } else {
        *leftOver = true;
        SetThreadLastError(static_cast<DWORD>(removed));
        LogMessage(L"[277] err=%d, key=%s, sub=\"%s\"", removed, name, failed);
    }
    SetThreadLastError(error);
    return false;
}

bool DeleteTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record) {
    const std::wstring& name = record.keyName;
    // An empty name would be the Time Zones key itself, a backslash a key below
    // a zone, a NUL a name that the system reads as a shorter one.
    if (name.empty() || name.find(L'\\') != std::wstring::npos || HoldsNul(name)) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        LogMessage(L"[281] key=\"%s\"", name);
        return false;
    }
    RegKey root(registry);
    if (const LONG opened = root.Open(kHkeyLocalMachine, kTimeZonesPath, kWriteAccess);
        opened != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(opened));
        LogMessage(L"[282] err=%d, key=%s", opened, name);
        return false;
    }
    std::wstring failed;
    bool removedSome = false;
    const LONG removed = DeleteKeyTree(root, name, is64BitOs, &failed, &removedSome);
    if (removed == ERROR_SUCCESS || (removed == static_cast<LONG>(ERROR_FILE_NOT_FOUND) && failed == name)) {
        return true;
    }
    SetThreadLastError(static_cast<DWORD>(removed));
    LogMessage(L"[283] err=%d, key=%s, sub=\"%s\"", removed, name, failed);
    if (removedSome && !SaveTimeZone(registry, is64BitOs, record)) {
        LogMessage(L"[284] key=%s", name);
    }
    SetThreadLastError(static_cast<DWORD>(removed));
    return false;
}

} // namespace tarvane
