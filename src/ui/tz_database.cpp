#include "ui/tz_database.h"

namespace tarvane::ui {

std::wstring TzDatabaseLine() {
    const TzTable* table = ProgramTzTable();
    return table != nullptr ? TzReleaseText(*table) : std::wstring(L"IANA tz database: not available");
}

} // namespace tarvane::ui
