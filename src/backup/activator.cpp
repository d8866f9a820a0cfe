#include "backup/activator.h"

#include "core/activation.h"

namespace tarvane {

bool SystemZoneActivator::Activate(const TimeZoneRecord& record) {
    return ActivateTimeZone(timeZones_, isLegacyOs_, &record);
}

} // namespace tarvane
