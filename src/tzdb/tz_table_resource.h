// The IANA tz database that a program file carries as a resource (Windows
// only): the window and the console program read the same table the same way.
#pragma once

#include "tzdb/tz_table.h"

#include <optional>

namespace tarvane {

// The table in RCDATA resource `id` of the program file; none, and a line in
// the diagnostic log, when the resource is missing or no whole table.
std::optional<TzTable> ReadTzTableResource(int id);

// The program's table, read on first use and kept; null when it is missing
// or damaged, which the first use logs.
const TzTable* ProgramTzTable();

} // namespace tarvane
