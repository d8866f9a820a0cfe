// The meaning of a backup's zone values, checked before anything is written:
// an import only adds and overwrites, so a value the zone loader cannot read
// (a TZI cut short by a truncated file, a year of the wrong type) would stay
// in the registry and hide the zone or its later years.
#pragma once

#include "backup/export_text_reader.h"

namespace tarvane {

// True when every value below Time Zones that the loader reads has the type
// and size it needs: in a zone's key TZI 44 bytes of REG_BINARY and Display,
// Std and Dlt non-empty REG_SZ or REG_EXPAND_SZ; in its Dynamic DST key
// FirstEntry and LastEntry 4 bytes of REG_DWORD and each year (a name of
// decimal digits without a leading zero) 44 bytes of REG_BINARY. Other values
// are left alone. Otherwise false with the first such value's line.
bool CheckZoneValues(const ExportContent& content, TextRefusal* refusal);

} // namespace tarvane
