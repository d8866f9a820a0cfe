// The main window's menus: the rules that enable each command (the menu bar
// shows them, and a disabled command does not run from the keyboard either),
// the zone list's context menu, and the commands whose work is done here.
#include "resources/resource.h"
#include "win/icon_menu.h"
#include "ui/tarvane_dlg.h"
#include "win/wait_cursor.h"

#include <commctrl.h>

namespace tarvane::ui {

void CTarvaneDlg::InstallCommandRules() {
    const auto always = [] { return true; };
    const auto viewMode = [this] { return mode_ == EditMode::kView; };
    const auto viewModeWithZone = [this] { return mode_ == EditMode::kView && SelectedZone() != nullptr; };
    // Restoring and editing may relaunch elevated: not while a relaunch waits.
    enabledWhen_ = {
        {ID_FILE_MAKE_BACKUP, always},
        {ID_FILE_RESTORE, [this] { return mode_ == EditMode::kView && !relaunching_; }},
        {ID_FILE_EXPORT_ZONE, viewModeWithZone},
        {ID_FILE_EXIT, always},
        {ID_EDIT_TIME_ZONE, [viewModeWithZone, this] { return viewModeWithZone() && !relaunching_; }},
        {ID_EDIT_NEW_ZONE, [this] { return mode_ == EditMode::kView && !relaunching_; }},
        {ID_EDIT_DELETE_ZONE, [viewModeWithZone, this] { return viewModeWithZone() && !relaunching_; }},
        {ID_VIEW_CURRENT_ZONE, viewMode},
        {ID_VIEW_REFRESH, viewMode},
        {ID_TOOLS_ADJUST_TIME, always},
        {ID_TOOLS_EVENT_LOG, always},
        {ID_TOOLS_TZ_CHECK, viewMode},
        {ID_EDIT_TZ_FILL, [this] { return CanFillFromTzDatabase(); }},
        {ID_HELP_ABOUT, always},
    };
    for (const auto& [id, enabled] : enabledWhen_) {
        SetUpdateRule(id, [enabled = enabled](const win::CommandUI& item) { item.Enable(enabled()); });
    }
}

bool CTarvaneDlg::CommandEnabled(UINT id) const {
    const auto rule = enabledWhen_.find(id);
    return rule == enabledWhen_.end() || rule->second();
}

void CTarvaneDlg::PutShieldOn(HMENU menu, std::initializer_list<UINT> commands) const {
    if (shieldBitmap_ == nullptr || menu == nullptr) {
        return;
    }
    for (UINT command : commands) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_BITMAP;
        item.hbmpItem = shieldBitmap_;
        ::SetMenuItemInfoW(menu, command, FALSE, &item);
    }
}

void CTarvaneDlg::ShowContextMenu(const POINT* listPoint) {
    win::ScopedWaitCursor wait;
    bool shown = false;
    HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
    HMENU popup = menu != nullptr ? ::GetSubMenu(menu, 0) : nullptr;
    if (popup != nullptr) {
        POINT screen{};
        const POINT* at = nullptr;
        if (listPoint != nullptr) {
            screen = *listPoint;
            ::ClientToScreen(zoneList_.Hwnd(), &screen);
            at = &screen;
        }
        if (registryNotWritable_) {
            PutShieldOn(popup, {ID_CONTEXT_EDIT_TIME_ZONE});
        }
        const bool editable = mode_ != EditMode::kEdit && SelectedZone() != nullptr && !relaunching_;
        ::EnableMenuItem(popup, ID_CONTEXT_EDIT_TIME_ZONE,
                         MF_BYCOMMAND | (editable ? MF_ENABLED : MF_GRAYED));
        ::SetMenuDefaultItem(popup, ID_CONTEXT_EDIT_TIME_ZONE, FALSE);
        UINT command = 0;
        wait.End();
        shown = win::TrackContextMenu(at, Hwnd(), popup, &command);
        if (shown && command == ID_CONTEXT_EDIT_TIME_ZONE && mode_ != EditMode::kEdit && !relaunching_) {
            SetEditMode(EditMode::kEdit, {});
        }
    }
    if (menu != nullptr) {
        ::DestroyMenu(menu);
    }
    if (!shown) {
        ::MessageBeep(MB_ICONHAND);
    }
    wait.End();
}

void CTarvaneDlg::ShowContextMenuFromKeyboard() {
    POINT point{0, 0};
    HWND header = ListView_GetHeader(zoneList_.Hwnd());
    if (header != nullptr) {
        RECT rect{};
        ::GetWindowRect(header, &rect);
        POINT bottom{rect.left, rect.bottom};
        ::ScreenToClient(zoneList_.Hwnd(), &bottom);
        point.y = bottom.y + 1;
    }
    ShowContextMenu(&point);
}

void CTarvaneDlg::GoToCurrentZone() {
    TimeZoneRecord* current = mode_ == EditMode::kView ? CurrentZone() : nullptr;
    if (current == nullptr || !SelectZoneById(current->id)) {
        ::MessageBeep(MB_ICONHAND);
    }
}

} // namespace tarvane::ui
