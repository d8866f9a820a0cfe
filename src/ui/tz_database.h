// The IANA tz database that the program carries as a resource.
#pragma once

#include "tzdb/tz_table.h"

#include <string>

namespace tarvane::ui {

// The table, read from the resource on first use and kept; null when the
// resource is missing or damaged, which the first use logs.
const TzTable* ProgramTzTable();

// The About box's line: "IANA tz database: 2026f".
std::wstring TzDatabaseLine();

} // namespace tarvane::ui
