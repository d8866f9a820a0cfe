// The command line: a backup file to restore, or the switches "e", "bkp",
// "tz", "new" and "del" with which an instance hands a command over to an
// elevated copy of itself; and the start-up action that carries the request
// out.
#pragma once

#include "backup/backup_context.h"

#include <string>

namespace tarvane {

// What the program does once its window is up: nothing, edit startZoneKey,
// restore startBackupPath, make a new zone, or delete startZoneKey.
enum class StartAction : LONG { kNone = 0, kEdit = 1, kRestore = 2, kNewZone = 3, kDeleteZone = 4 };

// The start-up request, filled once before the main window exists.
struct StartRequest {
    std::wstring startRestorePath; // a backup file given as the first argument
    StartAction startAction = StartAction::kNone;
    std::wstring startZoneKey;    // the value of "e", "tz", "new" or "del"
    std::wstring startBackupPath; // the value of "bkp"
};

// Fills `request` from the arguments (argv[0] is the program); always true.
bool ParseCommandLine(int argc, const wchar_t* const* argv, FileApi& files, StartRequest& request);

// `argument` is `name`, alone or after "/", "-" or "\", without regard to case.
bool MatchSwitch(const std::wstring& argument, const std::wstring& name);

// `value` for use between double quotes on a command line: it arrives as one
// argument holding the value, except that a line feed, carriage return and
// tab arrive as backslash + n, r and t.
std::wstring EscapeForCommandLine(const std::wstring& value);

// The start-up action, once after the main window's first paint: 0, or -1
// when the backup named as the first argument is not there or cannot be read
// (said in a message). The caller makes the result the exit code.
int RunStartAction(BackupContext& context, const StartRequest& request);

} // namespace tarvane
