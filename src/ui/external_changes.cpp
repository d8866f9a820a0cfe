// Changes that other programs make to the time-zone database while the window
// is open: another copy of Tarvane restoring a backup, reg.exe, an update of
// the system. The list follows them in view mode, and a save never writes
// over them unasked.
#include "core/zone_loader.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"

namespace tarvane::ui {

void CTarvaneDlg::ArmRegistryWatch() {
    if (const LONG armed = services_.registryWatch->Arm(); armed != ERROR_SUCCESS) {
        SetThreadLastError(static_cast<DWORD>(armed));
        LogMessage(L"[236] err=%d", armed);
    }
}

void CTarvaneDlg::ReloadOnRegistryChange() {
    // Not in edit mode (leaving it reloads anyway), not while a relaunch
    // waits, and not under a dialog or message box of this window, which may
    // hold on to the records that a reload replaces.
    if (mode_ != EditMode::kView || relaunching_ || !::IsWindowEnabled(Hwnd()) ||
        !services_.registryWatch->Changed()) {
        return;
    }
    ReloadZoneList(false);
    UpdateTitle();
}

bool CTarvaneDlg::ConfirmOverwrite(const TimeZoneRecord& zone) {
    TimeZoneRecord stored;
    const bool loaded = LoadZone(services_.registry, zone.keyName, &stored);
    const DWORD error = loaded ? 0 : GetThreadLastError();
    const bool exists = loaded || error != ERROR_FILE_NOT_FOUND;
    if (!loaded && exists) {
        SetThreadLastError(error);
        LogMessage(L"[238] key=%s", zone.keyName);
    }
    // A zone that is unreadable now counts as changed.
    const bool unchanged =
        exists == editZoneStored_ && (!exists || (loaded && SameStoredZone(stored, editSnapshot_)));
    if (unchanged) {
        return true;
    }
    LogMessage(L"[237] key=%s", zone.keyName);
    const int answer = ShowMessage(
        Hwnd(),
        Format(L"The time zone \"%s\" was changed in the registry by another program after you began editing "
               L"it.\n\nDo you want to save your changes over those?\n\n"
               L"Yes: save your changes, replacing what the other program wrote.\n"
               L"No: discard your changes and show the time zone as the registry holds it now.\n"
               L"Cancel: go on editing.",
               zone.displayName),
        MB_YESNOCANCEL | MB_ICONWARNING);
    if (answer == IDYES) {
        return true;
    }
    if (answer == IDNO) {
        SetEditMode(EditMode::kView, {});
    }
    return false;
}

} // namespace tarvane::ui
