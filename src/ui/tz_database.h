// The IANA tz database that the program carries as a resource.
#pragma once

#include "tzdb/tz_table_resource.h"

#include <string>

namespace tarvane::ui {

using tarvane::ProgramTzTable;
using tarvane::ReadTzTableResource;

// The About box's line: "IANA tz database 2026f, CLDR 48".
std::wstring TzDatabaseLine();

} // namespace tarvane::ui
