// The main window.
#pragma once

#include "core/time_zone_record.h"
#include "platform/clock_api.h"
#include "platform/registry.h"
#include "platform/time_zone_api.h"
#include "ui/dialog.h"
#include "ui/list_view.h"
#include "ui/status_bar.h"

#include <string>
#include <vector>

namespace tarvane::ui {

class CTarvaneDlg : public Dialog {
public:
    CTarvaneDlg(RegistryApi& registry, TimeZoneApi& timeZones, std::wstring startZoneKey);

    const std::vector<TimeZoneRecord>& Zones() const { return zones_; }
    void UpdateTitle();

protected:
    bool OnInit() override;
    void OnTimer(UINT_PTR id) override;

private:
    RegistryApi& registry_;
    TimeZoneApi& timeZones_;
    ClockApi& clock_ = SystemClock();
    std::wstring startZoneKey_;
    StatusBar statusBar_;
    ListView zoneList_;
    std::vector<TimeZoneRecord> zones_;
};

} // namespace tarvane::ui
