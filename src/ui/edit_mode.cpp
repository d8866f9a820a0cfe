// Edit mode of the main window: switching modes, and asking before the window
// closes on unsaved changes.
#include "backup/command_line.h"
#include "core/zone_loader.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"
#include "win/wait_cursor.h"

namespace tarvane::ui {

void CTarvaneDlg::SetEditMode(EditMode mode, EditModeOptions options) {
    const bool enter = mode == EditMode::kEdit;
    win::ScopedWaitCursor wait;
    if (enter) {
        TimeZoneRecord* zone = SelectedZone();
        if (zone == nullptr) {
            LogText(EVENTLOG_ERROR_TYPE, L"[106]");
            ShowMessage(Hwnd(), L"Select time zone first to be able to edit it", MB_OK | MB_ICONERROR);
            wait.End();
            return;
        }
        editedZoneId_ = zone->id;
        editStartedOnCurrent_ = zone->isCurrent != 0;
        // What the user's edit starts from: a save compares the registry
        // with it, and closing the window with the edit.
        editSnapshot_ = *zone;
        addedYears_.clear();
        editor_.BeginEdit();
        RegKey stored(services_.registry);
        editZoneStored_ = stored.Open(kHkeyLocalMachine, Format(L"%s\\%s", kTimeZonesPath, zone->keyName),
                                      KEY_READ) != static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        if (options.allowRelaunch && registryNotWritable_) {
            RelaunchAndClose(Format(L"%s \"%s\"", L"e", EscapeForCommandLine(zone->keyName)));
            wait.End();
            return;
        }
    } else {
        LeaveNewZone();
        editedZoneId_ = 0;
    }
    mode_ = enter ? EditMode::kEdit : EditMode::kView;
    editor_.TakeEdits(false);
    const bool listHadFocus = ::GetFocus() == zoneList_.Hwnd();
    bool reloadFailed = false;
    if (!enter && options.reloadOnLeave && !ReloadZoneList(false)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[157]");
        reloadFailed = true;
    }
    ::ShowWindow(zoneList_.Hwnd(), enter ? SW_HIDE : SW_SHOW);
    for (int id : {IDC_ADD_YEAR, IDC_REMOVE_YEAR, IDC_TZ_FILL, IDC_SAVE_CHANGES, IDC_CANCEL_EDIT}) {
        ShowItem(id, enter);
    }
    if (enter) {
        ::SendMessageW(Item(IDC_CANCEL_EDIT), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        ::SendMessageW(Item(IDC_SAVE_CHANGES), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        ::SendMessageW(Hwnd(), DM_SETDEFID, IDC_SAVE_CHANGES, 0);
        editor_.UpdateYearButtons();
        syncNoticeShown_ = services_.timeSyncIsAutomatic && services_.timeSyncIsAutomatic();
    } else {
        syncNoticeShown_ = false;
    }
    ShowItem(IDC_SYNC_LINK, syncNoticeShown_);
    editor_.ShowZone(SelectedZone());
    editor_.TakeEdits(enter);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ::UpdateWindow(Hwnd());
    if (reloadFailed) {
        ShowMessage(Hwnd(), L"ERROR: Failed to reload list of time zones", MB_OK | MB_ICONERROR);
    }
    if (const TimeZoneRecord* zone = enter ? SelectedZone() : nullptr; zone && !zone->damagedYears.empty()) {
        ShowMessage(Hwnd(),
                    Format(L"These dynamic daylight saving years of \"%s\" cannot be read from the registry: "
                           L"%s.\n\nSave Changes will drop exactly these years and keep every other year.",
                           zone->displayName, YearRunsText(zone->damagedYears)),
                    MB_OK | MB_ICONWARNING);
    }
    if (!enter) {
        ::SetFocus(zoneList_.Hwnd());
    } else if (listHadFocus) {
        ::SetFocus(Item(IDC_YEAR));
    }
    wait.End();
}

bool CTarvaneDlg::ConfirmClose() {
    const TimeZoneRecord* zone = mode_ == EditMode::kEdit ? FindZoneById(editedZoneId_) : nullptr;
    if (zone == nullptr ||
        (SameStoredZone(*zone, editSnapshot_) && zone->isCurrent == editSnapshot_.isCurrent)) {
        return true;
    }
    const int answer = ShowMessage(Hwnd(),
                                   Format(L"The time zone \"%s\" has changes that are not saved.\n\n"
                                          L"Do you want to save them before closing?",
                                          zone->displayName),
                                   MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDNO) {
        return true;
    }
    if (answer == IDYES) {
        SaveChanges();
        return mode_ == EditMode::kView; // saved: Save Changes left edit mode
    }
    return false;
}

} // namespace tarvane::ui
