// File -> Export Time Zone: one zone's key with its subkeys (Dynamic DST)
// saved as a registry file, written as a backup file is written, so that
// "reg.exe import" applies the zone on other computers.
#pragma once

#include "backup/backup_context.h"

#include <string>

namespace tarvane {

inline constexpr wchar_t kZoneFileExtension[] = L".reg";

// The file name the save dialog proposes: the zone's key name, each character
// that a file name cannot hold replaced by "_", and ".reg".
std::wstring ZoneFileName(const std::wstring& keyName);

// The registry-file text of the zone `keyName`: the header, the zone's key and
// its subkeys, one empty line at the end; lines end with a line feed. 0 or a
// Windows error code (87 for a name that is not one key's name).
LONG ExportZoneText(RegistryApi& registry, const std::wstring& keyName, std::wstring& text);

// The command on the zone `keyName`; every outcome is shown to the user and
// logged.
void ExportTimeZone(BackupContext& context, const std::wstring& keyName);

} // namespace tarvane
