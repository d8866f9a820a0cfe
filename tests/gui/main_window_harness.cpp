#include "main_window_harness.h"

#include "core/registry_values.h"
#include "platform/registry.h"
#include "platform/system_registry.h"
#include "platform/settings_store.h"
#include "platform/system_facts.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "shell/start_up.h"
#include "ui/prompts.h"
#include "win/window_class.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

namespace tarvane::test {
namespace {

MainWindowTest* running = nullptr;
std::function<void(ui::CTarvaneDlg&)> pendingBody;

} // namespace

void MainWindowTest::SetUp() {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no DISPLAY";
    }
    scratch = std::make_unique<ScratchLocalMachine>();
    ASSERT_TRUE(scratch->Ok());
    if (useScratchDatabase) {
        ASSERT_TRUE(ScratchLocalMachine::CopyRealKey(kTimeZonesPath, *scratch));
        ASSERT_TRUE(ScratchLocalMachine::CopyRealKey(kTimeZoneInformationPath, *scratch));
    } else {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    }
    // The per-user settings go to a scratch key as well.
    const std::wstring userPath = scratch->Path() + L"-user";
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, userPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &scratchUser, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, scratchUser), ERROR_SUCCESS);
    win::SetMessageBoxHandler([this](HWND, const std::wstring& text, UINT type) {
        messages.push_back(ShownMessage{text, type});
        if (auto during = std::move(whileAsking)) {
            whileAsking = nullptr;
            during();
        }
        if (answers.empty()) {
            return IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

void MainWindowTest::TearDown() {
    win::SetMessageBoxHandler(nullptr);
    ui::SetFileDialogHandler(nullptr);
    if (scratchUser != nullptr) {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegCloseKey(scratchUser);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (scratch->Path() + L"-user").c_str());
        scratchUser = nullptr;
    }
    scratch.reset();
}

void MainWindowTest::Run(const std::function<void(ui::CTarvaneDlg&)>& body) {
    ui::MainWindowServices services(registry != nullptr ? *registry : SystemRegistry(),
                                    timeZones != nullptr ? *timeZones : SystemTimeZoneApi());
    services.facts = ReadSystemFacts();
    services.settingsLocation.root = kHkeyCurrentUser;
    services.settingsLocation.path = PerUserSettingsPath();
    // The application object's quit event and handle record; the relaunch is the test's.
    shell::ConnectToApp(shell::TheApp(), services);
    services.relaunchAndClose = [this](const std::wstring& parameters, HWND) {
        relaunches.push_back(parameters);
        if (auto during = std::move(whileRelaunching)) {
            whileRelaunching = nullptr;
            during();
        }
        return relaunchResult;
    };
    if (!realRegistryWatch) {
        services.registryWatch = registryWatch;
    }
    services.userRegion = [this] { return region; };
    WriteAllowEditDSTzNames(SystemRegistry(), static_cast<int>(allowEditNames));
    ui::CTarvaneDlg window(services);
    dialog = &window;
    running = this;
    pendingBody = body;
    // The body runs from the window's own loop once the window is up.
    win::RegisterMainDialogClass(::GetModuleHandleW(nullptr));
    ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        MainWindowTest* test = running;
        auto work = std::move(pendingBody);
        pendingBody = nullptr;
        if (test != nullptr && work) {
            test->Pump(100);
            work(*test->dialog);
            test->dialog->End(IDCANCEL);
        }
    });
    window.DoModal(::GetModuleHandleW(nullptr));
    dialog = nullptr;
    running = nullptr;
}

TziBlock StoredTzi(const std::wstring& keyName) {
    RegKey key(SystemRegistry());
    TziBlock block{};
    if (key.Open(kHkeyLocalMachine, std::wstring(kTimeZonesPath) + L"\\" + keyName, KEY_READ) ==
        ERROR_SUCCESS) {
        ReadTziValue(key, L"TZI", &block);
    }
    return block;
}

HDROP MakeDrop(const std::wstring& file) {
    const std::size_t bytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), file.c_str(),
                file.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void MainWindowTest::Pump(int milliseconds) {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dialog->ProcessMessage(message);
        }
        ::Sleep(5);
    } while (static_cast<LONG>(until - ::GetTickCount()) > 0);
}

bool MainWindowTest::PumpUntil(const std::function<bool()>& done, int milliseconds) {
    const DWORD until = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    while (!done()) {
        if (static_cast<LONG>(until - ::GetTickCount()) <= 0) {
            return false;
        }
        Pump(20);
    }
    return true;
}

void MainWindowTest::ChooseListItem(int id, LPARAM data) {
    HWND list = Item(id);
    const auto count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (::SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) {
            ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            ::SendMessageW(dialog->Hwnd(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(list));
            Pump(10);
            return;
        }
    }
    ADD_FAILURE() << "no item with data " << data << " in list " << id;
}

void MainWindowTest::Click(int id) {
    ::SendMessageW(Item(id), BM_CLICK, 0, 0);
    Pump(10);
}

void MainWindowTest::Type(int id, const std::wstring& text) {
    ::SetWindowTextW(Item(id), text.c_str());
    Pump(10);
}

void MainWindowTest::PressKey(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    Pump(100);
}

std::wstring MainWindowTest::Text(int id) const {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(Item(id), buffer, 512);
    return buffer;
}

void MainWindowTest::SelectZone(const std::wstring& keyName) {
    auto& zones = dialog->Zones();
    for (const auto& zone : zones) {
        if (EqualNoCase(zone.keyName, keyName)) {
            ASSERT_TRUE(dialog->SelectZoneById(zone.id));
            Pump(100);
            return;
        }
    }
    FAIL() << "no such zone";
}

void MainWindowTest::EditZone(const std::wstring& keyName) {
    SelectZone(keyName);
    ::SendMessageW(dialog->Hwnd(), WM_COMMAND, ID_EDIT_TIME_ZONE, 0);
    Pump();
    ASSERT_EQ(dialog->Mode(), EditMode::kEdit);
}

} // namespace tarvane::test
