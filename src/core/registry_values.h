// The three registry value readers of the time-zone database. Each leaves the
// Windows error code of its failure in the thread's last-error slot (0 after
// success).
#pragma once

#include "core/time_zone_record.h"
#include "platform/registry.h"

#include <string>

namespace tarvane {

// A REG_SZ or REG_EXPAND_SZ value (not expanded), up to its first NUL.
bool ReadStringValue(const RegKey& key, std::wstring_view name, std::wstring* text);

// A REG_DWORD value; 0 when the read fails.
bool ReadNumberValue(const RegKey& key, std::wstring_view name, DWORD* value);

// A REG_BINARY value of exactly 44 bytes; all zero when the read fails.
bool ReadTziValue(const RegKey& key, std::wstring_view name, TziBlock* block);

} // namespace tarvane
