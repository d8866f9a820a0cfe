// File -> Make Backup: the time-zone database saved to a backup file.
#pragma once

#include "backup/backup_context.h"
#include "backup/file_api.h"

#include <string>
#include <vector>

namespace tarvane {

inline constexpr wchar_t kBackupExtension[] = L".trvbkp";

// The command; every outcome is shown to the user and logged.
void MakeBackup(BackupContext& context);

// The file name Make Backup suggests for a backup made on `today`:
// "Time Zones 2026-12-09.trvbkp".
std::wstring SuggestedBackupFileName(const SYSTEMTIME& today);

// The log lines of one command's file writing, each with a tag of its own:
// the file cannot be created, the mark cannot be written or is written short,
// the text cannot be written or is written short. Their arguments are those of
// Make Backup's lines [129] to [133].
struct RegistryFileLogLines {
    const wchar_t* create;    // file
    const wchar_t* markWrite; // file
    const wchar_t* markShort; // bytes written, 2, file
    const wchar_t* textWrite; // file, length in characters
    const wchar_t* textShort; // bytes written, bytes expected, file
};

// Writes the file of a registry export as a backup file is written: FF FE,
// then `text` in UTF-16 little-endian with every line ended by carriage
// return + line feed, no terminator. True when the file is complete; else
// false with `error` set to the failure's code, after one of `lines` was
// logged. A partly written file is left as it is.
bool WriteRegistryFile(FileApi& files, const std::wstring& path, const std::wstring& text,
                       const RegistryFileLogLines& lines, DWORD* error);

// The bytes of a backup file for the export `text`: FF FE, then the text in
// UTF-16 little-endian with every line ended by carriage return + line feed.
std::vector<BYTE> BackupFileBytes(const std::wstring& text);

} // namespace tarvane
