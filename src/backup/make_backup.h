// File -> Make Backup: the time-zone database saved to a backup file.
#pragma once

#include "backup/backup_context.h"

#include <string>
#include <vector>

namespace tarvane {

inline constexpr wchar_t kBackupExtension[] = L".trvbkp";

// The command; every outcome is shown to the user and logged.
void MakeBackup(BackupContext& context);

// The bytes of a backup file for the export `text`: FF FE, then the text in
// UTF-16 little-endian with every line ended by carriage return + line feed.
std::vector<BYTE> BackupFileBytes(const std::wstring& text);

} // namespace tarvane
