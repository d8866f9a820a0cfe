// The main window's zone commands: Edit > New Time Zone makes a zone in
// memory and edits it, and Save Changes creates its key; Edit > Delete Time
// Zone removes the selected zone's key. Both write the machine's database, so
// without write access they hand over to an elevated copy, as Edit Time Zone
// does.
#include "backup/command_line.h"
#include "backup/make_backup.h"
#include "core/zone_keys.h"
#include "core/zone_loader.h"
#include "core/zone_sources.h"
#include "core/zone_writer.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tzdb/tz_check.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"
#include "ui/tz_database.h"
#include "win/wait_cursor.h"

#include <algorithm>

namespace tarvane::ui {
namespace {

constexpr UINT kStop = MB_OK | MB_ICONERROR;

} // namespace

bool CTarvaneDlg::OnZoneCommand(WORD id) {
    switch (id) {
    case ID_EDIT_NEW_ZONE:
        NewTimeZone(true);
        return true;
    case ID_EDIT_DELETE_ZONE:
        DeleteTimeZone(true);
        return true;
    default:
        return false;
    }
}

bool CTarvaneDlg::EditingNewZone() const {
    return mode_ == EditMode::kEdit && newZone_ && newZone_->id == editedZoneId_;
}

void CTarvaneDlg::NewTimeZone(bool allowRelaunch) {
    if (mode_ != EditMode::kView || relaunching_) {
        return;
    }
    const TimeZoneRecord* selected = SelectedZone();
    const std::wstring selectedKey = selected != nullptr ? selected->keyName : std::wstring();
    if (allowRelaunch && registryNotWritable_) {
        // The copy selects the same zone, which the new one may copy.
        RelaunchAndClose(Format(L"%s \"%s\"", L"new", EscapeForCommandLine(selectedKey)));
        return;
    }

    NewZoneExchange exchange;
    exchange.table = TzTableForCommand(Hwnd(), services_.registry);
    exchange.copySource = selected;
    // Keys the list leaves out (a zone with a damaged value) count too. An
    // enumeration that fails is logged; the keys loaded still count, and
    // Save Changes never writes into a key it did not create.
    LONG enumerated = 0;
    exchange.existingKeys = ZoneKeyNames(services_.registry, &enumerated);
    for (const TimeZoneRecord& zone : zones_) {
        exchange.existingKeys.push_back(zone.keyName);
    }
    if (exchange.table != nullptr && selected != nullptr) {
        if (const std::wstring* tzName =
                TzNameOfZone(*exchange.table, selected->keyName, ReadZoneSources(services_.registry),
                             TerritoryOfRegion(Region().code))) {
            exchange.tzName = *tzName;
        }
    }
    exchange.firstYear = clock_.LocalNow().wYear;
    exchange.lastYear = exchange.firstYear + kCheckedYears - 1;
    const INT_PTR answer = runNewZoneDialog(Hwnd(), exchange);
    if (answer == -1) {
        LogMessage(L"[270] dlg=%d", IDD_NEW_ZONE);
        ShowMessage(Hwnd(), L"ERROR: Can't display window to create a time zone", kStop);
        return;
    }
    if (answer != IDOK || mode_ != EditMode::kView) {
        return;
    }

    // A record and a row of its own, the next free id, like a loaded zone.
    TimeZoneRecord zone = exchange.zone;
    zone.id = 0;
    for (const TimeZoneRecord& other : zones_) {
        zone.id = std::max(zone.id, other.id);
    }
    do {
        ++zone.id;
    } while (zone.id == 0 || zone.id == -1);
    zone.isCurrent = 0;
    const int row = zoneList_.InsertItem(zoneList_.ItemCount(), zone.displayName);
    if (row < 0 || !zoneList_.SetItemData(row, static_cast<LPARAM>(zone.id))) {
        LogMessage(L"[272] row=%d, key=%s", row, zone.keyName);
        ShowMessage(Hwnd(), L"ERROR: Failed to add the new time zone to the list", kStop);
        ReloadZoneList(false);
        return;
    }
    zones_.push_back(zone);
    SelectZoneById(zone.id);
    newZone_ = NewZoneState{zone.id, exchange.tzName, selectedKey, false, {}};
    SetEditMode(EditMode::kEdit, {.allowRelaunch = false});
    if (mode_ != EditMode::kEdit) {
        newZone_.reset();
    }
}

bool CTarvaneDlg::SaveEditedZone(const TimeZoneRecord& zone) {
    if (!newZone_ || newZone_->id != zone.id) {
        return SaveTimeZone(services_.registry, services_.facts.is64BitOs, zone);
    }
    if (!CreateTimeZone(services_.registry, services_.facts.is64BitOs, zone, &newZone_->keyLeftOver)) {
        if (newZone_->keyLeftOver) {
            newZone_->keyMade = zone.keyName;
        }
        return false;
    }
    // The zone is whole: a source that cannot be remembered only leaves the
    // check without a mapping for it (logged).
    SetZoneSource(services_.registry, zone.keyName, newZone_->tzName);
    newZone_.reset();
    SetThreadLastError(0);
    return true;
}

void CTarvaneDlg::LeaveNewZone() {
    if (!newZone_) {
        return;
    }
    const NewZoneState state = *newZone_;
    newZone_.reset();
    if (state.keyLeftOver && !state.keyMade.empty()) {
        // Exactly the key that the failed save made, whatever the record says
        // now; nothing of it is written back, as it never was a zone.
        const LastErrorKeeper keep;
        RegKey root(services_.registry);
        LONG removed =
            root.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
        std::wstring failed = state.keyMade;
        if (removed == ERROR_SUCCESS) {
            bool removedSome = false;
            removed = DeleteKeyTree(root, state.keyMade, services_.facts.is64BitOs, &failed, &removedSome);
        }
        if (removed != ERROR_SUCCESS && removed != static_cast<LONG>(ERROR_FILE_NOT_FOUND)) {
            SetThreadLastError(static_cast<DWORD>(removed));
            LogMessage(L"[319] err=%d, key=%s, sub=\"%s\"", removed, state.keyMade, failed);
        }
    }
    // The reload drops the record; the zone the user came from is shown again.
    for (const TimeZoneRecord& zone : zones_) {
        if (EqualNoCase(zone.keyName, state.previousKey)) {
            SelectZoneById(zone.id);
            break;
        }
    }
}

void CTarvaneDlg::DeleteTimeZone(bool allowRelaunch) {
    if (mode_ != EditMode::kView || relaunching_) {
        return;
    }
    int index = -1;
    const TimeZoneRecord* selected = SelectedZone(&index);
    if (selected == nullptr) {
        LogText(EVENTLOG_ERROR_TYPE, L"[279]");
        ShowMessage(Hwnd(), L"Select time zone first to be able to delete it", kStop);
        return;
    }
    // Copied: the prompts below run message loops, and the list may reload.
    const TimeZoneRecord zone = *selected;
    const auto refuseCurrent = [&] {
        LogMessage(L"[280] key=%s", zone.keyName);
        ShowMessage(
            Hwnd(),
            Format(L"The time zone \"%s\" is this computer's current time zone and cannot be deleted: "
                   L"the system would be left without its rules.\n\nTo delete it, make another zone "
                   L"current first.",
                   zone.keyName),
            kStop);
    };
    if (zone.isCurrent != 0) {
        refuseCurrent();
        return;
    }
    if (allowRelaunch && registryNotWritable_) {
        RelaunchAndClose(Format(L"%s \"%s\"", L"del", EscapeForCommandLine(zone.keyName)));
        return;
    }

    const std::wstring question = Format(
        L"Delete the time zone \"%s\"?\n\n%s\n\nIts key and its dynamic daylight saving years are removed "
        L"from the system registry. A backup, or the zone's own file from File > Export Time Zone, brings it "
        L"back.",
        zone.keyName, zone.displayName);
    if (backupNoticeShown_) {
        const int answer = ShowMessage(
            Hwnd(),
            question + L" No backup has been made yet.\n\n"
                       L"Yes: make a backup first, then delete the zone.\nNo: delete the zone without a "
                       L"backup.\nCancel: keep the zone.",
            MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDYES) {
            MakeBackup(backup_);
            // No backup (cancelled, or failed and said so): the zone stays.
            if (backupNoticeShown_) {
                return;
            }
        } else if (answer != IDNO) {
            return;
        }
    } else if (ShowMessage(Hwnd(), question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    if (mode_ != EditMode::kView) {
        return;
    }
    // The list's mark is as old as the last reload: while the questions were
    // open another program may have made this zone current.
    std::wstring currentKey;
    QueryCurrentZone(services_.timeZones, nullptr, &currentKey);
    if (EqualKeyNames(TrimWhiteSpace(currentKey), zone.keyName)) {
        refuseCurrent();
        return;
    }

    win::ScopedWaitCursor wait;
    const bool deleted = tarvane::DeleteTimeZone(services_.registry, services_.facts.is64BitOs, zone);
    const DWORD error = GetThreadLastError();
    if (deleted) {
        SetZoneSource(services_.registry, zone.keyName, std::wstring());
        // The row after it takes its place in the selection (the one before at the end).
        const std::size_t at = static_cast<std::size_t>(index);
        const std::size_t neighbour = at + 1 < zones_.size() ? at + 1 : at - 1;
        if (index >= 0 && neighbour < zones_.size()) {
            SelectZoneById(zones_[neighbour].id);
        }
    }
    const bool reloaded = ReloadZoneList(false);
    if (!reloaded) {
        LogText(EVENTLOG_ERROR_TYPE, L"[286]");
    }
    wait.End();
    if (!deleted) {
        ShowMessage(
            Hwnd(),
            Format(L"ERROR: Failed to delete the time zone \"%s\" from the system registry.\n\n(%d) %s",
                   zone.keyName, error, GetErrorText(error)),
            kStop);
    } else if (!reloaded) {
        ShowMessage(Hwnd(), L"ERROR: Failed to reload list of time zones", kStop);
    }
}

} // namespace tarvane::ui
