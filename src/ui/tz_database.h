// The IANA tz database the program uses: the release it carries as a
// resource, or one the user chose (Tools > tz Database Release...), which
// the user's settings remember and the first tz command of a run reads again.
#pragma once

#include "platform/registry.h"
#include "tzdb/tz_release_choice.h"
#include "tzdb/tz_table.h"
#include "tzdb/tz_table_resource.h"

#include <string>

namespace tarvane::ui {

using tarvane::ReadTzTableResource;

// The program's own table (tarvane::ProgramTzTable), read on first use and
// kept; null when it is missing or damaged, which the first use logs.
const TzTable* BuiltInTzTable();

// The release in use: the chosen one, else the built-in one (null when that
// is missing or damaged).
const TzTable* ProgramTzTable();

// The chosen release's path; empty while the built-in one is used.
const std::wstring& TzReleasePathInUse();

// The release in use for a tz command. On the first call of a run the
// release remembered in the user's settings is read again; one that is gone,
// changed or damaged is told to the user over `owner`, and the built-in
// release is used instead.
const TzTable* TzTableForCommand(HWND owner, RegistryApi& registry);

// Makes `table` (compiled from `path`) the release in use, with the built-in
// CLDR mapping; remembering it is the caller's part.
void UseTzRelease(TzTable table, const std::wstring& path);
void UseBuiltInTzRelease();

// The built-in release again, with the settings still to be read: a new run,
// as tests need it.
void ResetTzReleaseInUse();

// How releases are read from this computer's files.
TzReleaseFiles SystemTzReleaseFiles();

// The release in use, as the About box and the release window name it:
// "IANA tz database 2026f, CLDR 48" and, for a chosen one, " (from <path>)".
std::wstring TzDatabaseLine();

} // namespace tarvane::ui
