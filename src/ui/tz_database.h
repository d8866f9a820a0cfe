// The IANA tz database that the program carries as a resource.
#pragma once

#include "tzdb/tz_table.h"

#include <optional>
#include <string>

namespace tarvane::ui {

// The table in RCDATA resource `id` of the program file; none, and a line in
// the diagnostic log, when the resource is missing or no whole table.
std::optional<TzTable> ReadTzTableResource(int id);

// The program's table, read on first use and kept; null when it is missing
// or damaged, which the first use logs.
const TzTable* ProgramTzTable();

// The About box's line: "IANA tz database 2026f, CLDR 48".
std::wstring TzDatabaseLine();

} // namespace tarvane::ui
