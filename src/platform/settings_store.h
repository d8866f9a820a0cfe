// The two per-user settings. `AllowEditDSTzNames` lives in the running user's
// own profile key (HKEY_CURRENT_USER), reached as the classic profile
// functions reach it; `BackupSavedOnce` lives at the settings location, which
// is the interactive user's key even when this process runs elevated under
// another account.
#pragma once

#include "platform/account_api.h"
#include "platform/product.h"
#include "platform/registry.h"

#include <string>
#include <string_view>

namespace tarvane {

inline constexpr wchar_t kSettingsSection[] = L"Settings";
inline constexpr wchar_t kAllowEditDSTzNamesValue[] = L"AllowEditDSTzNames";
inline constexpr wchar_t kBackupSavedOnceValue[] = L"BackupSavedOnce";

// "Software\<maker>\Tarvane\Settings".
std::wstring PerUserSettingsPath();

struct SettingsLocation {
    RegHandle root = kHkeyCurrentUser;
    std::wstring path;
};

// The interactive user's account, domain and user name joined by a
// backslash, compared with the account of this process's token: 1 same user,
// 0 different user, -1 failure with the step's code in `specificError`
// (183-194; 0 otherwise). The last error carries the Windows error.
int CompareInteractiveUser(AccountApi& accounts, const NameCompareFn& nameCompare,
                           std::wstring* qualifiedName, int* specificError);

// The SID of `name` in string form. False with the last error set on failure
// (87 for an empty name, 8 when memory runs out, 9 when the conversion gives
// no text).
bool LookupUserSid(AccountApi& accounts, const std::wstring& name, std::wstring* sid);

// Where `BackupSavedOnce` is kept. True when the interactive user's hive
// below HKEY_USERS was chosen; every failure falls back to HKEY_CURRENT_USER
// (logged).
bool ComputeSettingsLocation(AccountApi& accounts, const NameCompareFn& nameCompare,
                             SettingsLocation* location);

// Results of ReadBackupSavedOnce.
enum : int { kBackupSavedPresent = 0, kBackupSavedAbsent = 1, kBackupSavedUndetermined = 2 };

// Whether `BackupSavedOnce` exists (key or value missing: absent; an empty
// value or any other failure: undetermined). The last error is the registry
// result of the last call.
int ReadBackupSavedOnce(RegistryApi& registry, RegHandle root, std::wstring_view path);

// Creates the key when needed and sets `BackupSavedOnce` to the REG_DWORD 1.
// The last error is the registry result.
bool WriteBackupSavedOnce(RegistryApi& registry, RegHandle root, std::wstring_view path);

// The profile functions over HKEY_CURRENT_USER\Software\<maker>\Tarvane\<section>:
// the key is opened or created on every call; a missing key, a missing value
// or a value that is not a 4-byte REG_DWORD gives the default.
int GetProfileInt(RegistryApi& registry, std::wstring_view section, std::wstring_view entry,
                  int defaultValue);
bool WriteProfileInt(RegistryApi& registry, std::wstring_view section, std::wstring_view entry, int value);

// Nonzero allows editing the display, standard and daylight names (default 0).
int ReadAllowEditDSTzNames(RegistryApi& registry);
bool WriteAllowEditDSTzNames(RegistryApi& registry, int value);

} // namespace tarvane
