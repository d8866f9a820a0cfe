// Reading a backup file: the text in any of the usual encodings, and the
// zone that was current when the backup was made.
#pragma once

#include "backup/file_api.h"

#include <string>
#include <vector>

namespace tarvane {

inline constexpr wchar_t kTimeZoneInformationHeader[] =
    L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]";

// Whether others may write a file while it is read.
enum class ReadSharing { AllowWriters, DenyWriters };

// The whole file's bytes. A file that does not exist gives no bytes and
// success with last error 2; other failures leave their code.
bool LoadFileBytes(FileApi& files, const std::wstring& path, std::vector<BYTE>* bytes,
                   ReadSharing sharing = ReadSharing::AllowWriters);

// The text of file bytes by their byte-order mark: UTF-8, UTF-16 in either
// order, or the ANSI code page without one; the marks of SCSU and UTF-32
// big-endian are refused with 50. With `stopAtNul` the text ends at its
// first NUL; without it every character is kept.
bool DecodeBackupText(const std::vector<BYTE>& bytes, bool stopAtNul, std::wstring* text);

// LoadFileBytes and DecodeBackupText, the text ending at its first NUL.
bool LoadTextFile(FileApi& files, const std::wstring& path, std::wstring& text);

// The TimeZoneKeyName (StandardName on a legacy system) of the
// TimeZoneInformation section; `keyName` is empty unless found. Last error:
// 87 for an empty path, the loader's code, else 0.
bool ReadBackupTimeZoneKey(FileApi& files, bool isLegacyOs, const std::wstring& path, std::wstring& keyName);

// The same for a file's bytes already read: decoded as LoadTextFile decodes
// them. Last error: the decoder's code, else 0.
bool ReadBackupTimeZoneKey(const std::vector<BYTE>& bytes, bool isLegacyOs, std::wstring& keyName);

// The same search in a text already loaded.
bool FindBackupTimeZoneKey(const std::wstring& text, bool isLegacyOs, std::wstring& keyName);

} // namespace tarvane
