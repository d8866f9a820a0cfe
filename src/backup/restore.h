// File -> Restore From Backup, a drop of a backup file and the start-up
// restore: the file read once and strictly, a copy of what it says handed to
// the registry import tool, the stale dynamic years removed, the backed-up
// current zone made current, the list reloaded.
#pragma once

#include "backup/backup_context.h"
#include "core/time_zone_record.h"

#include <string>
#include <vector>

namespace tarvane {

// The registry import tool is given this long to finish.
inline constexpr DWORD kImportTimeoutMs = 10000;

// How a restore ended: it failed (said to the user), nothing was done (not
// in view mode, cancelled, handed to an elevated copy, or nothing to
// change), or the time zones were restored.
enum class RestoreOutcome { kFailed = -1, kNothingDone = 0, kRestored = 1 };

// How far an import got.
struct ImportOutcome {
    // The file was refused, or the restore stopped, before anything was written.
    bool refused = false;
    // The registry holds exactly the file's content (the import tool ran to
    // exit code 0 and the clean-up succeeded), whatever failed after it.
    bool imported = false;
    // The import or its clean-up failed and the database was put back as it
    // was before; `putBackFailed` when that failed too, with the saved state
    // kept in `keptState` (empty when it could not be saved).
    bool putBack = false;
    bool putBackFailed = false;
    std::wstring keptState;
    // Everything else succeeded; only making the backed-up current zone the
    // machine's zone failed.
    bool onlyActivationFailed = false;
    // What went wrong, in words, and its code.
    std::wstring reason;
    DWORD error = 0;
};

// How far it got in `reached` when given (a caller without a window tells a
// refused file from a failure).
RestoreOutcome RestoreFromBackup(BackupContext& context, const std::wstring& path, bool allowRelaunch,
                                 ImportOutcome* reached = nullptr);

// A file with the extension .reg that names no current zone and holds one
// zone's key with its subkeys (File > Export Time Zone) is imported the same
// way, without a zone to make current.
//
// 1 when the import, the zone load and the activation all succeeded, else 0
// with the code of the first failure in the last-error slot. The import tool
// reads a private copy written from the strict reading of the file, never
// the file itself; afterwards the Time Zones key (or the one zone's key)
// holds exactly what the file holds. The database is saved first, and put
// back when the import or its clean-up fails.
int ImportBackup(BackupContext& context, const std::wstring& path, ImportOutcome* outcome = nullptr);

// The Time Zones key cannot be opened for writing (for a reason other than
// its absence).
bool TimeZonesWriteDenied(RegistryApi& registry);

// The zone `keyName` from the registry, without dynamic years. On failure the
// record is empty and the last error holds the code (13 for a value that
// could not be read).
bool LoadZoneByKeyName(RegistryApi& registry, const std::wstring& keyName, TimeZoneRecord& record);

// Deletes every per-year value outside a zone's FirstEntry..LastEntry range.
bool ResetDynamicYears(RegistryApi& registry);

// The drop handler with the dropped names in drop order: the first existing
// backup file (not a folder, extension .trvbkp) is restored; beeps when none
// qualified or the restore failed.
void DropBackupFiles(BackupContext& context, const std::vector<std::wstring>& names);

// The extension of `path` as PathFindExtensionW finds it: from the last dot
// of the last component, unless a space follows that dot; empty when none.
std::wstring PathExtension(const std::wstring& path);

} // namespace tarvane
