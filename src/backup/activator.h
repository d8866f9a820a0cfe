// The activation the restore uses in the program: the zone handed to the
// system through ActivateTimeZone.
#pragma once

#include "backup/host.h"
#include "platform/time_zone_api.h"

namespace tarvane {

class SystemZoneActivator : public ZoneActivator {
public:
    SystemZoneActivator(TimeZoneApi& timeZones, bool isLegacyOs)
        : timeZones_(timeZones), isLegacyOs_(isLegacyOs) {}
    bool Activate(const TimeZoneRecord& record) override;

private:
    TimeZoneApi& timeZones_;
    bool isLegacyOs_;
};

} // namespace tarvane
