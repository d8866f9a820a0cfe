#include "ui/tarvane_dlg.h"

#include "backup/export_zone.h"
#include "backup/make_backup.h"
#include "backup/restore.h"
#include "ui/file_drop.h"
#include "core/clock_panel.h"
#include "core/zone_loader.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/launchers.h"
#include "platform/product.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/about_dlg.h"
#include "win/icon_menu.h"
#include "ui/prompts.h"
#include "ui/zone_list.h"
#include "win/wait_cursor.h"

#include <commctrl.h>
#include <shellapi.h>

namespace tarvane::ui {
namespace {

RECT ScreenRectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// The band's colour for the backup link. Some link controls delete the brush
// their parent hands them after painting, which must not take the band's own
// brush with it: this one is made again whenever it is gone.
HBRUSH BandBrushForLink() {
    static HBRUSH brush = nullptr;
    if (brush == nullptr || ::GetObjectType(brush) != OBJ_BRUSH) {
        brush = ::CreateSolidBrush(RGB(252, 250, 122));
    }
    return brush;
}

} // namespace

CTarvaneDlg::CTarvaneDlg(MainWindowServices services)
    : win::Dialog(IDD_TARVANE_DIALOG), services_(std::move(services)),
      backupFlag_(services_.registry, services_.settingsLocation),
      activator_(services_.timeZones, services_.facts.isLegacyOs), backup_{services_.registry,
                                                                           SystemFiles(),
                                                                           SystemProcesses(),
                                                                           prompts_,
                                                                           *this,
                                                                           backupFlag_,
                                                                           activator_,
                                                                           services_.facts.isLegacyOs,
                                                                           services_.facts.is64BitOs} {
    if (!services_.registryWatch) {
        services_.registryWatch = MakeSystemRegistryWatch({kTimeZonesPath, kTimeZoneInformationPath});
    }
    appIcon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    informationIcon_ = win::LoadSmallSystemIcon(win::kInformationIconId);
    warningIcon_ = win::LoadSmallSystemIcon(win::kWarningIconId);
    bandBrush_ = ::CreateSolidBrush(RGB(252, 250, 122));
    largeIcon_ = win::ScaledIcon::Load(win::OwnModule(), IDR_MAINFRAME, 64, 64, win::DpiOf(nullptr));
    if (!win::GetIconSize(largeIcon_.Get(), &largeIconWidth_, &largeIconHeight_)) {
        largeIcon_.Reset();
    }

    // Writable means the Time Zones key opens for writing; a missing key
    // would be created on the first save, so that does not count.
    RegKey probe(services_.registry);
    const LONG opened =
        probe.Open(kHkeyLocalMachine, kTimeZonesPath, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
    registryNotWritable_ = opened != ERROR_SUCCESS && opened != static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    probe.Close();
    if (!services_.facts.isLegacyOs) {
        shieldBitmap_ = win::IconToMenuBitmap(win::ScaledIcon::Load(nullptr, win::kShieldIconId,
                                                                    ::GetSystemMetrics(SM_CXMENUCHECK),
                                                                    ::GetSystemMetrics(SM_CYMENUCHECK), 0));
    }

    // Watching first, so that a change made while the list is read is seen.
    ArmRegistryWatch();
    startLoad_ = std::make_unique<BackgroundZoneLoad>(services_.registry, services_.timeZones);
}

CTarvaneDlg::~CTarvaneDlg() {
    if (shieldBitmap_ != nullptr) {
        ::DeleteObject(shieldBitmap_);
    }
    if (bandBrush_ != nullptr) {
        ::DeleteObject(bandBrush_);
    }
}

bool CTarvaneDlg::OnInit() {
    if (services_.windowCreated) {
        services_.windowCreated(Hwnd());
    }
    prompts_.SetOwner(Hwnd());
    if (appIcon_ != nullptr) {
        ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
        ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
    }
    accelerators_ = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ::DragAcceptFiles(Hwnd(), TRUE);
    statusBar_.Create(Hwnd(), IDW_STATUS_BAR);

    editor_.Create();
    InstallYearCommandRules();

    zoneList_.Attach(Item(IDC_ZONE_LIST));
    zoneList_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    const LONG_PTR style = ::GetWindowLongPtrW(zoneList_.Hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(zoneList_.Hwnd(), GWL_STYLE, style | LVS_SHOWSELALWAYS);
    RECT client{};
    ::GetClientRect(zoneList_.Hwnd(), &client);
    zoneList_.InsertColumn(0, L"Time Zones", client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL));

    ZoneListControl view(zoneList_);
    const bool read = startLoad_->Take(zones_);
    startLoad_.reset();
    if (!FillZoneList(view, zones_, services_.startZoneKey) || !read) {
        LogText(EVENTLOG_ERROR_TYPE, L"[102]");
        ShowMessage(Hwnd(), L"ERROR: Failed to load time zones list", MB_OK | MB_ICONERROR);
    }
    UpdateTitle();
    // Written straight back, so the setting exists from the first run on.
    WriteAllowEditDSTzNames(services_.registry, ReadAllowEditDSTzNames(services_.registry));
    if (ReadBackupSavedOnce(services_.registry, services_.settingsLocation.root,
                            services_.settingsLocation.path) == kBackupSavedPresent) {
        RemoveBackupNotice();
    }
    InstallCommandRules();
    if (registryNotWritable_) {
        PutShieldOn(::GetMenu(Hwnd()),
                    {ID_EDIT_TIME_ZONE, ID_FILE_RESTORE, ID_EDIT_NEW_ZONE, ID_EDIT_DELETE_ZONE});
    }

    if (mode_ != EditMode::kView) {
        SetEditMode(EditMode::kView, {.reloadOnLeave = false});
        // That showed the zone the load selected. The show the selection
        // asked for would come after the first paint and only paint the
        // whole panel a second time.
        StopTimer(kSelectionTimerId);
    }
    RefreshClock(statusBar_, clock_, services_.timeZones);
    ::SetTimer(Hwnd(), kClockTimerId, kClockTimerPeriodMs, nullptr);
    ::SetFocus(zoneList_.Hwnd());
    return false;
}

void CTarvaneDlg::OnTimer(UINT_PTR id) {
    if (id == kClockTimerId) {
        RefreshClock(statusBar_, clock_, services_.timeZones);
        ReloadOnRegistryChange();
    }
}

void CTarvaneDlg::UpdateTitle() {
    std::wstring currentKey;
    QueryCurrentZone(services_.timeZones, nullptr, &currentKey);
    std::wstring title = kApplicationName;
    if (!currentKey.empty()) {
        for (const TimeZoneRecord& zone : zones_) {
            if (EqualNoCase(zone.keyName, currentKey)) {
                if (!zone.displayName.empty()) {
                    title = Format(L"%s - \"%s\"", kApplicationName, zone.displayName);
                }
                break;
            }
        }
    }
    SetTitle(title);
}

void CTarvaneDlg::RemoveBackupNotice() {
    if (!backupNoticeShown_) {
        return;
    }
    backupNoticeShown_ = false;
    ShowItem(IDC_BACKUP_ICON, false);
    ShowItem(IDC_BACKUP_LINK, false);
    const LONG offset = ScreenRectOf(Item(IDC_BACKUP_LINK)).top - ScreenRectOf(zoneList_.Hwnd()).top;
    struct MoveContext {
        HWND dialog;
        LONG offset;
        HWND skip[2];
    } context{Hwnd(), offset, {Item(IDC_BACKUP_ICON), Item(IDC_BACKUP_LINK)}};
    ::EnumChildWindows(
        Hwnd(),
        [](HWND child, LPARAM param) -> BOOL {
            auto* move = reinterpret_cast<MoveContext*>(param);
            if (::GetParent(child) != move->dialog || child == move->skip[0] || child == move->skip[1]) {
                return TRUE;
            }
            RECT rect = win::ClientRectOf(move->dialog, child);
            ::SetWindowPos(child, nullptr, rect.left, rect.top + move->offset, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    RECT window = ScreenRectOf(Hwnd());
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + offset,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                       SWP_NOOWNERZORDER);
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CTarvaneDlg::OnSelectionChanged() {
    StartTimer(kSelectionTimerId, 1, [this] {
        StopTimer(kSelectionTimerId);
        ::PostMessageW(Hwnd(), kShowSelectedMessage, 0, 0);
    });
}

bool CTarvaneDlg::OnCommand(WORD id, WORD code, HWND control) {
    // From the menu or the keyboard, a disabled command does nothing.
    if (control == nullptr && (code == 0 || code == 1) && !CommandEnabled(id)) {
        return true;
    }
    if (OnYearCommand(id, code) || OnTzCommand(id, code) || OnZoneCommand(id)) {
        return true;
    }
    switch (id) {
    case ID_FILE_EXIT:
        ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
        return true;
    case ID_FILE_MAKE_BACKUP:
        MakeBackup(backup_);
        return true;
    case ID_FILE_RESTORE:
        if (mode_ == EditMode::kView && !relaunching_) {
            RestoreFromBackup(backup_, std::wstring(), true);
        }
        return true;
    case ID_FILE_EXPORT_ZONE:
        // The zone as the registry holds it, so only in view mode, where no
        // unsaved edit can differ from it.
        if (mode_ == EditMode::kView && SelectedZone() != nullptr) {
            ExportTimeZone(backup_, SelectedZone()->keyName);
        }
        return true;
    case ID_EDIT_TIME_ZONE:
    case ID_CONTEXT_EDIT_TIME_ZONE:
        if (mode_ == EditMode::kView && SelectedZone() != nullptr && !relaunching_) {
            SetEditMode(EditMode::kEdit, {});
        }
        return true;
    case ID_HELP_ABOUT:
        ShowAboutBox(Hwnd());
        return true;
    case ID_TOOLS_ADJUST_TIME:
        OnAdjustSystemTimeCommand(Hwnd(), services_.facts.isLegacyOs);
        return true;
    case ID_TOOLS_EVENT_LOG:
        OnOpenEventLogCommand(Hwnd());
        return true;
    case ID_VIEW_CURRENT_ZONE:
        GoToCurrentZone();
        return true;
    case ID_VIEW_REFRESH:
        if (mode_ == EditMode::kView) {
            win::ScopedWaitCursor wait;
            if (!ReloadZoneList(false)) {
                ::MessageBeep(MB_ICONHAND);
            }
            UpdateTitle();
            wait.End();
        }
        return true;
    case IDC_SAVE_CHANGES:
        if (code == BN_CLICKED && mode_ == EditMode::kEdit) {
            SaveChanges();
        }
        return true;
    case IDC_CANCEL_EDIT:
        if (code == BN_CLICKED && mode_ != EditMode::kView) {
            SetEditMode(EditMode::kView, {});
        }
        return true;
    default:
        return editor_.OnCommand(id, code);
    }
}

bool CTarvaneDlg::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.idFrom == IDC_SYNC_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        OnInternetTimeLink(Hwnd(), services_.facts.isLegacyOs);
        *result = 0;
        return true;
    }
    if (header.idFrom == IDC_BACKUP_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        MakeBackup(backup_);
        *result = 0;
        return true;
    }
    if (header.idFrom == IDC_ZONE_LIST) {
        if (header.code == LVN_ITEMCHANGED) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) != 0 &&
                ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) != 0) {
                OnSelectionChanged();
            }
            *result = 0;
            return true;
        }
        if (header.code == NM_RCLICK) {
            const POINT point = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
            ShowContextMenu(&point);
            *result = 0;
            return true;
        }
        if (header.code == NM_DBLCLK) {
            // As Edit Time Zone, which tells the user to select a zone first.
            if (mode_ == EditMode::kView && !relaunching_) {
                SetEditMode(EditMode::kEdit, {});
            }
            *result = 0;
            return true;
        }
    }
    return false;
}

bool CTarvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case kShowSelectedMessage:
        editor_.ShowZone(SelectedZone());
        *result = 0;
        return true;
    case kCancelEditMessage:
        if (mode_ != EditMode::kView) {
            SetEditMode(EditMode::kView, {});
        }
        *result = 0;
        return true;
    case WM_PAINT:
        Paint();
        *result = 0;
        return true;
    case WM_HELP:
        OpenHelpPage(Hwnd());
        *result = TRUE;
        return true;
    case WM_INITMENUPOPUP: {
        // After the default processing: the items of our own menus follow their rules.
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        const bool systemMenu = HIWORD(lParam) != 0;
        if (!systemMenu && win::IsSubMenu(::GetMenu(Hwnd()), popup)) {
            win::UpdateMenuCommandUI(popup, *this, false);
        }
        return false;
    }
    case WM_DROPFILES:
        if (!relaunching_) {
            OnDropFiles(backup_, reinterpret_cast<HDROP>(wParam));
        }
        return false;
    case WM_QUERYDRAGICON:
        *result = reinterpret_cast<LRESULT>(appIcon_);
        return true;
    case kStartActionMessage:
        if (services_.startAction) {
            services_.startAction(*this);
        }
        *result = 0;
        return true;
    default:
        (void)wParam;
        return false;
    }
}

bool CTarvaneDlg::PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    drag_.Observe(Hwnd(), message, wParam);
    if (message == WM_ERASEBKGND && backupNoticeShown_) {
        *result = EraseBackground(reinterpret_cast<HDC>(wParam)) ? 1 : 0;
        return true;
    }
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        HWND control = reinterpret_cast<HWND>(lParam);
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (control == Item(IDC_BACKUP_LINK) && backupNoticeShown_) {
            ::SetBkMode(dc, TRANSPARENT);
            *result = reinterpret_cast<LRESULT>(BandBrushForLink());
            return true;
        }
        if (control == Item(IDC_SYNC_LINK)) {
            *result = win::NoteColors(dc);
            return true;
        }
    }
    editor_.TakeEdit(message, wParam, lParam);
    return false;
}

bool CTarvaneDlg::PreTranslateMessage(MSG& message, bool& dialogProcessing) {
    if (accelerators_ != nullptr && ::TranslateAcceleratorW(Hwnd(), accelerators_, &message) != 0) {
        return true;
    }
    if (message.message == WM_KEYUP && message.wParam == VK_APPS && message.hwnd == zoneList_.Hwnd()) {
        ShowContextMenuFromKeyboard();
    }
    if (editor_.PreTranslateMessage(message)) {
        return true;
    }
    if (mode_ == EditMode::kView && message.hwnd == zoneList_.Hwnd() && message.message == WM_CHAR) {
        SearchZoneList(static_cast<wchar_t>(message.wParam), message.time);
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && mode_ != EditMode::kEdit) {
        // Enter never presses a button or closes the window in view mode.
        dialogProcessing = false;
    } else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        search_.clear();
        // Esc never closes the window. In edit mode it cancels the edit, unless
        // it only closes an open drop-down list or calendar.
        dialogProcessing = false;
        if (mode_ == EditMode::kEdit) {
            bool closesPopup = false;
            for (HWND focus = ::GetFocus(); focus != nullptr && focus != Hwnd(); focus = ::GetParent(focus)) {
                wchar_t className[32] = {};
                ::GetClassNameW(focus, className, 32);
                if (EqualNoCase(className, L"ComboBox") && win::ComboBox(focus).IsDroppedDown()) {
                    closesPopup = true;
                }
            }
            if (!closesPopup && !editor_.CalendarOpen()) {
                ::PostMessageW(Hwnd(), kCancelEditMessage, 0, 0);
            }
        }
    }
    return false;
}

RelaunchOutcome CTarvaneDlg::RelaunchAndClose(const std::wstring& parameters) {
    // The wait for the copy keeps this window answering: a second command
    // that writes must not start a second copy. Once a copy runs this window
    // only closes, so it stays refused.
    if (relaunching_ || !services_.relaunchAndClose) {
        return RelaunchOutcome::kFailed;
    }
    relaunching_ = true;
    const RelaunchOutcome result = services_.relaunchAndClose(parameters, Hwnd());
    relaunching_ = result == RelaunchOutcome::kRunning;
    return result;
}

void CTarvaneDlg::OnCancel() {
    if (!ConfirmClose()) {
        return;
    }
    // Ends a relaunch that is still waiting for its copy.
    HANDLE quit = services_.quitEvent ? services_.quitEvent() : nullptr;
    if (!::SetEvent(quit)) {
        LogMessage(L"[198] h=0x%p", static_cast<const void*>(quit));
    }
    End(IDCANCEL);
}

bool CTarvaneDlg::EraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const RECT iconPlace = win::ClientRectOf(Hwnd(), Item(IDC_BACKUP_ICON));
    const int iconHeight = ::GetSystemMetrics(SM_CYSMICON);
    const int center = (iconPlace.top + iconPlace.bottom) / 2;
    RECT band{client.left, center - iconHeight / 2, client.right, center - iconHeight / 2 + iconHeight};
    const RECT link = win::ClientRectOf(Hwnd(), Item(IDC_BACKUP_LINK));
    const LONG above = band.top - link.top;
    const LONG below = link.bottom - band.bottom;
    const LONG grow = above > below ? above : below;
    if (grow > 0) {
        band.top -= grow;
        band.bottom += grow;
    }
    ::FillRect(dc, &band, bandBrush_);
    return true;
}

void CTarvaneDlg::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (::IsIconic(Hwnd())) {
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, appIcon_);
    } else {
        if (largeIcon_.Get() != nullptr) {
            const RECT place = win::ClientRectOf(Hwnd(), Item(IDC_APP_ICON));
            const int x = (place.left + place.right - largeIconWidth_) / 2;
            ::DrawIconEx(dc, x, place.top, largeIcon_.Get(), largeIconWidth_, largeIconHeight_, 0, nullptr,
                         DI_NORMAL);
        }
        const int small = ::GetSystemMetrics(SM_CXSMICON);
        const int smallHeight = ::GetSystemMetrics(SM_CYSMICON);
        auto drawCentered = [&](int id, HICON icon) {
            const RECT place = win::ClientRectOf(Hwnd(), Item(id));
            ::DrawIconEx(dc, (place.left + place.right - small) / 2,
                         (place.top + place.bottom - smallHeight) / 2, icon, small, smallHeight, 0, nullptr,
                         DI_NORMAL);
        };
        if (backupNoticeShown_ && informationIcon_.Get() != nullptr) {
            drawCentered(IDC_BACKUP_ICON, informationIcon_.Get());
        }
        if (syncNoticeShown_ && warningIcon_.Get() != nullptr) {
            drawCentered(IDC_SYNC_ICON, warningIcon_.Get());
        }
    }
    ::EndPaint(Hwnd(), &paint);
    // The start-up action runs once in the program's life, after the window
    // has been seen.
    static bool firstPaintDone = false;
    if (!firstPaintDone) {
        firstPaintDone = true;
        ::PostMessageW(Hwnd(), kStartActionMessage, 0, 0);
    }
}

} // namespace tarvane::ui
