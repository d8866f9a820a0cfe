// The main window: the zone list on the left, the editor panel on the right,
// the reminder band on top.
#pragma once

#include "backup/activator.h"
#include "backup/backup_context.h"
#include "core/time_zone_record.h"
#include "core/zone_loader.h"
#include "platform/clock_api.h"
#include "platform/registry.h"
#include "platform/registry_watch.h"
#include "platform/settings_store.h"
#include "platform/system_facts.h"
#include "platform/time_zone_api.h"
#include "platform/user_region.h"
#include "ui/add_year_dlg.h"
#include "ui/editor_panel.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/drag_by_body.h"
#include "win/icon_menu.h"
#include "win/list_view.h"
#include "ui/main_window_host.h"
#include "ui/new_zone_dlg.h"
#include "ui/clock_status_bar.h"
#include "ui/tz_check_dlg.h"
#include "ui/tz_fill_dlg.h"
#include "ui/tz_release_dlg.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvane::ui {

// Window messages of the main window (wParam and lParam 0).
constexpr UINT kShowSelectedMessage = WM_APP + 100;
constexpr UINT kCancelEditMessage = WM_APP + 101;
constexpr UINT kStartActionMessage = WM_APP + 102;

constexpr UINT_PTR kSelectionTimerId = 257;

// What the main window needs from the rest of the program.
struct MainWindowServices {
    MainWindowServices(RegistryApi& registryApi, TimeZoneApi& timeZoneApi)
        : registry(registryApi), timeZones(timeZoneApi) {}

    RegistryApi& registry;
    TimeZoneApi& timeZones;
    SystemFacts facts;
    // Where BackupSavedOnce is kept.
    SettingsLocation settingsLocation;
    // The zone to select at the first load (empty: the current zone).
    std::wstring startZoneKey;
    // What the command line asked for, run once after the first paint.
    std::function<void(class CTarvaneDlg&)> startAction;
    // Starts an elevated copy with these parameters and closes `window` once
    // the copy runs (kRunning). Null: no copy is started.
    std::function<RelaunchOutcome(const std::wstring& parameters, HWND window)> relaunchAndClose;
    // The event that ends a relaunch still waiting for its copy, signalled
    // when the window is cancelled (the application object's).
    std::function<HANDLE()> quitEvent;
    // Told the window's handle as soon as it initialises.
    std::function<void(HWND window)> windowCreated;
    // True when the time service synchronises the clock on its own.
    std::function<bool()> timeSyncIsAutomatic;
    // Tells of changes to the two time-zone keys made by anyone; null: the
    // registry's own notifications.
    std::shared_ptr<RegistryWatch> registryWatch;
    // The user's Country or Region setting; null: the system's.
    std::function<UserRegion()> userRegion;
};

class CTarvaneDlg : public win::Dialog, public MainWindowOps, private EditorHost {
public:
    explicit CTarvaneDlg(MainWindowServices services);
    ~CTarvaneDlg() override;

    // The zones and the list, as other parts of the program see them.
    std::vector<TimeZoneRecord>& Zones() { return zones_; }
    // The zone whose row has the focus, or null; its index in Zones() when asked.
    TimeZoneRecord* SelectedZone(int* index);
    TimeZoneRecord* SelectedZone() override { return SelectedZone(nullptr); }
    const TimeZoneRecord* SelectedZone() const override {
        return const_cast<CTarvaneDlg*>(this)->SelectedZone(nullptr);
    }
    TimeZoneRecord* FindZoneById(LONG id);
    TimeZoneRecord* CurrentZone();
    bool SelectZoneById(LONG id);
    // Reloads the list from the registry; view mode only.
    bool ReloadZoneList(bool selectCurrent) override;
    void UpdateTitle() override;
    void RemoveBackupNotice() override;
    RelaunchOutcome RelaunchAndClose(const std::wstring& parameters) override;

    EditMode Mode() const override { return mode_; }
    LONG EditedZoneId() const { return editedZoneId_; }
    bool RegistryNotWritable() const override { return registryNotWritable_; }
    // What the backup and restore commands work with.
    BackupContext& Backup() { return backup_; }

    // The editor panel, which shows the selected zone.
    EditorPanel& Editor() { return editor_; }

    // Switches between view mode (0) and edit mode (1).
    void SetEditMode(EditMode mode, EditModeOptions options) override;

protected:
    bool OnInit() override;
    void OnTimer(UINT_PTR id) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreTranslateMessage(MSG& message, bool& dialogProcessing) override;
    void OnOK() override {}
    void OnCancel() override;

private:
    // Save Changes.
    void SaveChanges();
    bool CheckRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules);
    bool Refuse(int focusId, const std::wstring& message);
    // Before a save: true to go on, when the rules change no clock in a way
    // that is almost never meant or the user saves anyway.
    bool ConfirmClockWarnings(const TimeZoneRecord& zone);

    // Closing the window during an edit with unsaved changes asks first;
    // true when the window may close.
    bool ConfirmClose();

    // Changes that other programs make to the database.
    void ArmRegistryWatch();
    // On the clock's tick: in view mode, a change reloads the list.
    void ReloadOnRegistryChange();
    // Before a save: true to go on, when the registry still holds the zone
    // as it was when editing began or the user chooses to overwrite it.
    bool ConfirmOverwrite(const TimeZoneRecord& zone);

    // The user's Country or Region, which the tz commands compare with.
    UserRegion Region() const;

    // Menus and commands.
    void InstallCommandRules();
    bool CommandEnabled(UINT id) const;
    void PutShieldOn(HMENU menu, std::initializer_list<UINT> commands) const;
    void ShowContextMenu(const POINT* listPoint);
    void ShowContextMenuFromKeyboard();
    void GoToCurrentZone();

    // Window behaviour.
    void OnSelectionChanged();
    // A key typed into the zone list in view mode: the first zone with a word
    // of its display name or key that starts with what was typed is
    // selected; Backspace takes a letter back, Esc or a pause starts anew.
    void SearchZoneList(wchar_t typed, DWORD time);
    bool EraseBackground(HDC dc);
    void Paint();

    MainWindowServices services_;
    MainWindowPrompts prompts_;
    SettingsBackupFlag backupFlag_;
    SystemZoneActivator activator_;
    BackupContext backup_;
    HICON appIcon_ = nullptr;
    win::ScaledIcon largeIcon_;
    int largeIconWidth_ = 0;
    int largeIconHeight_ = 0;
    win::ScaledIcon informationIcon_;
    win::ScaledIcon warningIcon_;
    HBRUSH bandBrush_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HBITMAP shieldBitmap_ = nullptr;
    std::map<UINT, std::function<bool()>> enabledWhen_;
    win::DragByBody drag_;
    bool backupNoticeShown_ = true;
    bool syncNoticeShown_ = false;
    EditMode mode_ = EditMode::kStarting;
    LONG editedZoneId_ = 0;
    bool editStartedOnCurrent_ = false;
    // The edited zone as it was when editing began, and whether the registry
    // held it then.
    TimeZoneRecord editSnapshot_;
    // The years Add Year made in this edit, with the rules it gave them.
    std::vector<DynamicYearRecord> addedYears_;
    // What was typed into the zone list, and when the last key came.
    std::wstring search_;
    DWORD searchTime_ = 0;
    bool editZoneStored_ = false;
    bool registryNotWritable_ = false;
    // An elevated copy is being started; its wait dispatches this window's messages.
    bool relaunching_ = false;
    ClockApi& clock_ = SystemClock();
    ClockStatusBar statusBar_;
    win::ListView zoneList_;
    std::vector<TimeZoneRecord> zones_;
    // After the clock it reads.
    EditorPanel editor_{*this, *this, services_.registry, clock_};

    // Dynamic years commands.
public:
    // Add Year, Remove Year, Copy and Paste Year Settings on the selected
    // zone's record in memory; Save Changes writes them.
    void AddYear();
    void RemoveYear();
    void CopyYearSettings();
    void PasteYearSettings();
    // When the commands are available (the menu's update rules and the "+"
    // and "-" buttons ask these).
    bool CanCopyYear();
    bool CanPasteYear();
    // Runs the Add Year dialog modally over the main window: IDOK, IDCANCEL,
    // or -1 when it could not be shown. Tests drive or answer it here.
    std::function<INT_PTR(HWND owner, AddYearExchange& exchange)> runAddYearDialog = RunAddYearDialog;

private:
    // The year commands from the menu, the accelerators and the buttons;
    // true when `id` was one of them.
    bool OnYearCommand(WORD id, WORD code);
    void InstallYearCommandRules();

    // The tz database commands.
public:
    // Check Against tz Database over the loaded zones (view mode), and Fill
    // From tz Database on the edited zone's record (edit mode).
    void CheckAgainstTzDatabase();
    void FillFromTzDatabase();
    bool CanFillFromTzDatabase();
    // The two dialogs, modally over the main window; tests answer them here.
    std::function<INT_PTR(HWND owner, TzCheckExchange& exchange)> runTzCheckDialog = RunTzCheckDialog;
    std::function<INT_PTR(HWND owner, TzFillExchange& exchange)> runTzFillDialog = RunTzFillDialog;
    std::function<INT_PTR(HWND owner, TzChooseExchange& exchange)> runTzChooseDialog = RunTzChooseDialog;
    // Tools > tz Database Release...: the release the tz commands use.
    void ChooseTzRelease();
    std::function<INT_PTR(HWND owner, TzReleaseExchange& exchange)> runTzReleaseDialog = RunTzReleaseDialog;

private:
    bool OnTzCommand(WORD id, WORD code);
    // Asks which IANA zone the check compares `zoneKey` with and remembers
    // it as the zone's source; a failure is said.
    void ChooseTzSource(const TzTable& table, const std::wstring& zoneKey);

    // The zone commands.
public:
    // Edit > New Time Zone: a zone made in memory from the New Time Zone
    // dialog and edited at once (Save Changes creates its key); Edit > Delete
    // Time Zone: the selected zone's key removed after a confirmation. Both
    // work in view mode; without write access, when `allowRelaunch` is set,
    // they hand over to an elevated copy.
    void NewTimeZone(bool allowRelaunch) override;
    void DeleteTimeZone(bool allowRelaunch) override;
    // The New Time Zone dialog, modally over the main window; tests answer it here.
    std::function<INT_PTR(HWND owner, NewZoneExchange& exchange)> runNewZoneDialog = RunNewZoneDialog;

private:
    // The zone New Time Zone made, while it is edited and not yet saved.
    struct NewZoneState {
        LONG id = 0;              // its record's id
        std::wstring tzName;      // the IANA zone it was made from; empty for a copy
        std::wstring previousKey; // the zone selected before, selected again when it is dropped
        bool keyLeftOver = false; // a failed save could not remove the key it made
        std::wstring keyMade;     // that key's name, removed with all below it when the zone is dropped
    };
    bool OnZoneCommand(WORD id);
    // The zone being edited is a new one, not in the registry yet.
    bool EditingNewZone() const override;
    // Save Changes' write: a new zone's key is created, any other zone saved.
    bool SaveEditedZone(const TimeZoneRecord& zone);
    // On leaving edit mode: a new zone that was not saved is dropped.
    void LeaveNewZone();
    std::optional<NewZoneState> newZone_;

    // The database read at start-up while the window's controls are built.
    // Last, so that it is gone before the services it reads through.
    std::unique_ptr<BackgroundZoneLoad> startLoad_;
};

} // namespace tarvane::ui
