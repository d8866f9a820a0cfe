// The main window's zone list: the loader's adapter to the list-view
// control, the selection, the reload from the registry and the search as the
// user types.
#include "ui/zone_list.h"

#include "core/zone_search.h"
#include "platform/diagnostic_log.h"
#include "ui/tarvane_dlg.h"

#include <commctrl.h>

namespace tarvane::ui {

void ZoneListControl::SelectRow(int row) {
    list_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

TimeZoneRecord* CTarvaneDlg::SelectedZone(int* index) {
    if (index != nullptr) {
        *index = -1;
    }
    const int row = zoneList_.NextItem(-1, LVNI_FOCUSED);
    if (row < 0 || zones_.empty()) {
        return nullptr;
    }
    const LPARAM id = zoneList_.ItemData(row);
    if (id == -1) {
        return nullptr;
    }
    for (std::size_t i = 0; i < zones_.size(); ++i) {
        if (zones_[i].id == static_cast<LONG>(id)) {
            if (index != nullptr) {
                *index = static_cast<int>(i);
            }
            return &zones_[i];
        }
    }
    return nullptr;
}

TimeZoneRecord* CTarvaneDlg::FindZoneById(LONG id) {
    if (id == 0 || id == -1) {
        return nullptr;
    }
    for (auto& zone : zones_) {
        if (zone.id == id) {
            return &zone;
        }
    }
    return nullptr;
}

TimeZoneRecord* CTarvaneDlg::CurrentZone() {
    for (auto& zone : zones_) {
        if (zone.isCurrent) {
            return &zone;
        }
    }
    return nullptr;
}

bool CTarvaneDlg::SelectZoneById(LONG id) {
    if (id == 0 || id == -1 || zones_.empty()) {
        return false;
    }
    const int rows = zoneList_.ItemCount();
    int found = -1;
    for (int row = 0; row < rows; ++row) {
        if (found == -1 && zoneList_.ItemData(row) == static_cast<LPARAM>(id)) {
            found = row;
            zoneList_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        } else if (::SendMessageW(zoneList_.Hwnd(), LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                  LVIS_SELECTED | LVIS_FOCUSED) != 0) {
            zoneList_.SetItemState(row, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    if (found == -1) {
        return false;
    }
    zoneList_.EnsureVisible(found, false);
    ::SetFocus(zoneList_.Hwnd());
    return true;
}

bool CTarvaneDlg::ReloadZoneList(bool selectCurrent) {
    if (mode_ != EditMode::kView) {
        return false;
    }
    // Copied now: the load replaces the records the selection points into.
    const TimeZoneRecord* selected = SelectedZone();
    const void* selectedAddress = selected;
    const std::wstring selectedKey = selected ? selected->keyName : std::wstring();
    std::wstring selectKey;
    if (!selectCurrent && selected != nullptr) {
        selectKey = selectedKey;
    }
    ZoneListControl view(zoneList_);
    // Before the load reads anything: a change made while it reads is seen
    // at the next tick.
    ArmRegistryWatch();
    if (!LoadTimeZones(services_.registry, services_.timeZones, view, zones_, selectKey)) {
        LogMessage(L"[105] pTz=0x%p, tz=\"%s\"", selectedAddress,
                   selectedAddress ? selectedKey : std::wstring(L"-"));
        return false;
    }
    return true;
}

void CTarvaneDlg::SearchZoneList(wchar_t typed, DWORD time) {
    // A pause longer than the list's own type-ahead starts a new search.
    constexpr DWORD kSearchPause = 1000;
    if (time - searchTime_ > kSearchPause) {
        search_.clear();
    }
    searchTime_ = time;
    if (typed == L'\b') {
        if (!search_.empty()) {
            search_.pop_back();
        }
    } else if (typed >= L' ') {
        search_.push_back(typed);
    } else {
        return;
    }
    for (int row = 0; row < zoneList_.ItemCount() && !search_.empty(); ++row) {
        const TimeZoneRecord* zone = FindZoneById(static_cast<LONG>(zoneList_.ItemData(row)));
        if (zone != nullptr &&
            (MatchesAtWordStart(zone->displayName, search_) || MatchesAtWordStart(zone->keyName, search_))) {
            SelectZoneById(zone->id);
            return;
        }
    }
    if (!search_.empty()) {
        ::MessageBeep(MB_OK);
    }
}

} // namespace tarvane::ui
