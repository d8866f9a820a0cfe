// Writing one zone back to the registry's time-zone database.
#pragma once

#include "core/time_zone_record.h"
#include "platform/registry.h"

namespace tarvane {

// Writes the record's names, its TZI and its dynamic years (the "Dynamic DST"
// subkey is rebuilt, or removed when the record has no years). Each failing
// step is logged and the writer goes on; true when every step succeeded. The
// last error is the code of the last step that failed (0 when none did).
bool SaveTimeZone(RegistryApi& registry, bool is64BitOs, const TimeZoneRecord& record);

// Removes the subkey `name` (which has no subkeys of its own) of an open key,
// in this process's registry view: the registry's own code, ERROR_NOT_SUPPORTED
// on a 64-bit system that cannot name the view.
LONG DeleteSubKey(const RegKey& parent, std::wstring_view name, bool is64BitOs);

// Removes the "Dynamic DST" subkey of an open zone key, in this process's
// registry view. 0 on success, also when there was nothing to remove; else a
// Windows error code (ERROR_NOT_SUPPORTED on a 64-bit system that cannot
// name the view).
LONG DeleteDynamicDstKey(const RegKey& zoneKey, bool is64BitOs);

} // namespace tarvane
