// The time-zone keys as the text of a registry export ("Windows Registry
// Editor Version 5.00"), the content of a backup file. Lines end with a bare
// line feed here; the backup command writes carriage return + line feed.
#pragma once

#include "platform/registry.h"

#include <string>

namespace tarvane {

inline constexpr wchar_t kRegistryFileHeader[] = L"Windows Registry Editor Version 5.00";
inline constexpr wchar_t kLocalMachineName[] = L"HKEY_LOCAL_MACHINE";

// Replaces `text` with the export of TimeZoneInformation and Time Zones.
// True with last error 0; false with the failing registry call's code.
bool ExportTimeZoneDatabase(RegistryApi& registry, std::wstring& text);

// Appends the section of `keyPath` below `rootKey` and, depth first, of all
// its subkeys. 0 or a Windows error code.
LONG ExportRegistryKey(RegistryApi& registry, RegHandle rootKey, const std::wstring& rootName,
                       const std::wstring& keyPath, std::wstring& text);

} // namespace tarvane
