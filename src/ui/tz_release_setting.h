// The tz release the user chose, remembered per user beside the program's
// other settings (HKEY_CURRENT_USER\Software\<maker>\Tarvane\Settings):
// its path, its version and the SHA-256 of its bytes, so that the next start
// reads the same release again and knows when the file is no longer it.
#pragma once

#include "platform/registry.h"
#include "tzdb/tz_release_choice.h"

#include <optional>

namespace tarvane::ui {

inline constexpr wchar_t kTzReleasePathValue[] = L"TzReleasePath";
inline constexpr wchar_t kTzReleaseVersionValue[] = L"TzReleaseVersion";
inline constexpr wchar_t kTzReleaseSha256Value[] = L"TzReleaseSha256";

// None when no release is remembered (the built-in one is used); a value
// that cannot be read is left empty, which the recall calls damaged.
std::optional<RememberedTzRelease> ReadRememberedTzRelease(RegistryApi& registry);

// The last error is the registry result of the failing call.
bool WriteRememberedTzRelease(RegistryApi& registry, const RememberedTzRelease& release);
bool ForgetRememberedTzRelease(RegistryApi& registry);

} // namespace tarvane::ui
