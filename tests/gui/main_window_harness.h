// Runs the real main window in this process, on a scratch copy of Wine's
// time-zone database, with its message boxes answered by the test.
#pragma once

#include "platform/registry_watch.h"
#include "win32/scratch_registry.h"
#include "platform/user_region.h"
#include "ui/tarvane_dlg.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvane::test {

struct ShownMessage {
    std::wstring text;
    UINT type;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the main window, runs `body` once it is on screen, then closes it.
    void Run(const std::function<void(ui::CTarvaneDlg&)>& body);
    // Lets the window handle its pending messages for `milliseconds`.
    void Pump(int milliseconds = 50);
    // Pumps until `done` holds, at most `milliseconds`; whether it held.
    bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000);
    // What the user would do: pick a list item, press a button, type a text.
    void ChooseListItem(int id, LPARAM data);
    void Click(int id);
    void Type(int id, const std::wstring& text);
    void PressKey(HWND target, WPARAM key);

    HWND Item(int id) const { return ::GetDlgItem(dialog->Hwnd(), id); }
    bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool ReadOnly(int id) const { return (::GetWindowLongPtrW(Item(id), GWL_STYLE) & ES_READONLY) != 0; }
    std::wstring Text(int id) const;
    // Selects the zone with this key name in the list, as a click would.
    void SelectZone(const std::wstring& keyName);
    // Selects the zone and enters edit mode on it, as Edit Time Zone does.
    void EditZone(const std::wstring& keyName);

    // False: the window works on this prefix's own database (only for tests
    // that run in a throw-away prefix).
    bool useScratchDatabase = true;
    // The registry the window works through (the system's when null).
    RegistryApi* registry = nullptr;
    // The time-zone functions the window calls (the system's when null).
    TimeZoneApi* timeZones = nullptr;
    std::unique_ptr<ScratchLocalMachine> scratch;
    HKEY scratchUser = nullptr; // stands in for HKEY_CURRENT_USER
    ui::CTarvaneDlg* dialog = nullptr;
    DWORD allowEditNames = 0;
    std::vector<ShownMessage> messages;
    std::deque<int> answers; // buttons the next message boxes return (default IDOK)
    // Runs once inside the next message box, before it is answered.
    std::function<void()> whileAsking;
    std::vector<std::wstring> relaunches; // parameters of elevated relaunches asked for
    RelaunchOutcome relaunchResult = RelaunchOutcome::kDeclined;
    // Runs once inside the next relaunch, where the real one waits for its
    // copy while it dispatches the window's messages.
    std::function<void()> whileRelaunching;
    // What the window learns of changes by other programs: the tests signal
    // it, unless the registry's own notifications are asked for.
    std::shared_ptr<MemoryRegistryWatch> registryWatch = std::make_shared<MemoryRegistryWatch>();
    bool realRegistryWatch = false;
    // The Country or Region the window sees: the United States unless a test
    // says otherwise, whatever the prefix was started with.
    UserRegion region{L"US", L"United States"};
};

// The TZI of zone `keyName` as the registry the window works on holds it
// (all zero when it cannot be read).
TziBlock StoredTzi(const std::wstring& keyName);

// A real HDROP with one file, as the shell hands it over.
HDROP MakeDrop(const std::wstring& file);

} // namespace tarvane::test
