#include "tzdb/tz_table_resource.h"

#include "platform/diagnostic_log.h"
#include "platform/module_resource.h"
#include "resources/resource.h"

namespace tarvane {

std::optional<TzTable> ReadTzTableResource(int id) {
    const BYTE* data = nullptr;
    std::size_t size = 0;
    if (!ReadModuleResource(id, &data, &size)) {
        LogMessage(L"[250] id=%d", id);
        return std::nullopt;
    }
    TzTable table;
    if (!ReadTzTable(data, size, &table)) {
        LogMessage(L"[251] id=%d, sz=%u", id, static_cast<DWORD>(size));
        return std::nullopt;
    }
    return table;
}

const TzTable* ProgramTzTable() {
    // A resource does not change while the program runs: one try is enough.
    static const std::optional<TzTable> table = ReadTzTableResource(IDR_TZ_TABLE);
    return table ? &*table : nullptr;
}

} // namespace tarvane
