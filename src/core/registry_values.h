// The three registry value readers of the time-zone database. Each leaves the
// Windows error code of its failure in the thread's last-error slot (0 after
// success).
#pragma once

#include "core/time_zone_record.h"
#include "platform/registry.h"
#include "platform/registry_values.h"

#include <string>

namespace tarvane {

// A REG_BINARY value of exactly 44 bytes; all zero when the read fails.
bool ReadTziValue(const RegKey& key, std::wstring_view name, TziBlock* block);

// The same read with one registry call instead of two (see
// ReadStringValueInOneCall); same results and error codes.
bool ReadTziValueInOneCall(const RegKey& key, std::wstring_view name, TziBlock* block);

} // namespace tarvane
