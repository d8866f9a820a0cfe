#include "ui/tarvane_dlg.h"

#include "core/clock_panel.h"
#include "core/zone_loader.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace tarvane::ui {

CTarvaneDlg::CTarvaneDlg(RegistryApi& registry, TimeZoneApi& timeZones, std::wstring startZoneKey)
    : Dialog(IDD_TARVANE_DIALOG), registry_(registry), timeZones_(timeZones),
      startZoneKey_(std::move(startZoneKey)) {}

bool CTarvaneDlg::OnInit() {
    statusBar_.Create(Hwnd(), IDW_STATUS_BAR);

    zoneList_.Attach(Item(IDC_ZONE_LIST));
    zoneList_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    const LONG_PTR style = ::GetWindowLongPtrW(zoneList_.Hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(zoneList_.Hwnd(), GWL_STYLE, style | LVS_SHOWSELALWAYS);
    RECT client{};
    ::GetClientRect(zoneList_.Hwnd(), &client);
    zoneList_.InsertColumn(0, L"Time Zones", client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL));

    ZoneListControl view(zoneList_);
    if (!LoadTimeZones(registry_, timeZones_, view, zones_, startZoneKey_)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[102]");
        ::MessageBoxW(Hwnd(), L"ERROR: Failed to load time zones list", L"Tarvane", MB_OK | MB_ICONERROR);
    }
    UpdateTitle();
    RefreshClock(statusBar_, clock_, timeZones_);
    ::SetTimer(Hwnd(), kClockTimerId, kClockTimerPeriodMs, nullptr);
    ::SetFocus(zoneList_.Hwnd());
    return false;
}

void CTarvaneDlg::OnTimer(UINT_PTR id) {
    if (id == kClockTimerId) {
        RefreshClock(statusBar_, clock_, timeZones_);
    }
}

void CTarvaneDlg::UpdateTitle() {
    std::wstring currentKey;
    QueryCurrentZone(timeZones_, nullptr, &currentKey);
    std::wstring title = L"Tarvane";
    if (!currentKey.empty()) {
        for (const TimeZoneRecord& zone : zones_) {
            if (EqualNoCase(zone.keyName, currentKey)) {
                if (!zone.displayName.empty()) {
                    title = Format(L"%s - \"%s\"", L"Tarvane", zone.displayName);
                }
                break;
            }
        }
    }
    SetTitle(title);
}

} // namespace tarvane::ui
