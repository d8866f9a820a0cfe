// What the backup and restore commands need from the program around them: the
// user's prompts, the main window's operations, the settings store and the
// activation of a zone. The commands run against these small interfaces, so
// each of them runs without a window; the main window supplies the real ones.
#pragma once

#include "core/time_zone_record.h"
#include "platform/file_dialog.h"
#include "platform/product.h"
#include "platform/win_types.h"

#include <string>

namespace tarvane {

// Modal prompts, owned by the main window.
class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with the caption "Tarvane"; the button that closed it.
    virtual int ShowMessage(const std::wstring& text, UINT flags) = 0;
    // The save and open dialogs of a backup file (`path` set when chosen).
    virtual FileChoice AskSavePath(std::wstring* path) = 0;
    virtual FileChoice AskOpenPath(std::wstring* path) = 0;
    // The save dialog of one exported zone, proposing the file name
    // `fileName`.
    virtual FileChoice AskZoneFilePath(const std::wstring& fileName, std::wstring* path) = 0;
    // The wait cursor; calls nest.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The error beep (MB_ICONHAND).
    virtual void Beep() = 0;
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
public:
    explicit WaitCursor(Prompts& prompts) : prompts_(prompts) { prompts_.BeginWaitCursor(); }
    ~WaitCursor() { prompts_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Prompts& prompts_;
};

// The main window's mode: starting (before the first switch), viewing the
// zones, or editing one.
enum class EditMode { kStarting = -1, kView = 0, kEdit = 1 };

// How a switch of mode goes: leaving edit mode reloads the zone list unless
// told not to; entering it without write access hands the edit to an
// elevated copy when that is allowed.
struct EditModeOptions {
    bool reloadOnLeave = true;
    bool allowRelaunch = true;
};

// How an elevated relaunch ended: the copy runs and has signalled; the user
// declined the elevation; it failed (or no copy can be started from here); or
// the wait ended because this instance's main window was cancelled. The values
// are those the log's [201] line shows.
enum class RelaunchOutcome { kCancelled = -2, kFailed = -1, kDeclined = 0, kRunning = 1 };

// The main window's operations that the commands call.
class MainWindowOps {
public:
    virtual ~MainWindowOps() = default;
    virtual EditMode Mode() const = 0;
    // Enters edit mode on the selected zone (EditMode::kEdit) or leaves it.
    virtual void SetEditMode(EditMode mode, EditModeOptions options) = 0;
    // Reloads the zone list from the registry; with `selectCurrent` the
    // current zone is selected, otherwise the selected one stays. False on
    // failure (and always in edit mode).
    virtual bool ReloadZoneList(bool selectCurrent) = 0;
    virtual void UpdateTitle() = 0;
    virtual void RemoveBackupNotice() = 0;
    // The zone selected in the list, or null.
    virtual const TimeZoneRecord* SelectedZone() const = 0;
    // The registry's Time Zones key could not be opened for writing at start.
    virtual bool RegistryNotWritable() const = 0;
    // Starts an elevated copy with `parameters` and closes this window when
    // it runs (RelaunchOutcome::kRunning).
    virtual RelaunchOutcome RelaunchAndClose(const std::wstring& parameters) = 0;
    // Edit > New Time Zone and Delete Time Zone (on the selected zone), in
    // view mode; without write access they relaunch elevated when allowed.
    virtual void NewTimeZone(bool allowRelaunch) = 0;
    virtual void DeleteTimeZone(bool allowRelaunch) = 0;
};

// The per-user setting that a backup has been made.
class BackupSettings {
public:
    virtual ~BackupSettings() = default;
    // Writes BackupSavedOnce = 1; true on success.
    virtual bool WriteBackupSavedOnce() = 0;
};

// Makes a zone the machine's current zone; false with the Windows error in
// the thread's last-error slot.
class ZoneActivator {
public:
    virtual ~ZoneActivator() = default;
    virtual bool Activate(const TimeZoneRecord& record) = 0;
};

} // namespace tarvane
