#include "core/activation.h"

#include "platform/last_error.h"

namespace tarvane {

bool ActivateTimeZone(TimeZoneApi&, bool, const TimeZoneRecord* record) {
    SetThreadLastError(record == nullptr ? 9 : 50);
    return false;
}

} // namespace tarvane
