#include "ui/tz_database.h"

#include "platform/diagnostic_log.h"
#include "platform/module_resource.h"
#include "resources/resource.h"

#include <optional>

namespace tarvane::ui {

const TzTable* ProgramTzTable() {
    // A resource does not change while the program runs: one try is enough.
    static const std::optional<TzTable> table = []() -> std::optional<TzTable> {
        const BYTE* data = nullptr;
        std::size_t size = 0;
        if (!ReadModuleResource(IDR_TZ_TABLE, &data, &size)) {
            LogMessage(L"[250] id=%d", IDR_TZ_TABLE);
            return std::nullopt;
        }
        TzTable read;
        if (!ReadTzTable(data, size, &read)) {
            LogMessage(L"[251] sz=%u", static_cast<DWORD>(size));
            return std::nullopt;
        }
        return read;
    }();
    return table ? &*table : nullptr;
}

std::wstring TzDatabaseLine() {
    const TzTable* table = ProgramTzTable();
    return L"IANA tz database: " + (table != nullptr ? table->version : std::wstring(L"not available"));
}

} // namespace tarvane::ui
