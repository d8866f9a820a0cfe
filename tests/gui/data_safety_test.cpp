// What keeps the user's data safe in the real window: lost dynamic years that
// a save drops and nothing else, the list following changes that other
// programs make, a save that asks before writing over them, offsets that
// only change in edit mode, and a close that asks before discarding an edit.
#include "main_window_harness.h"

#include "core/registry_values.h"
#include "log_capture.h"
#include "platform/system_registry.h"
#include "resources/resource.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

const std::wstring kPacificYears = std::wstring(kTimeZonesPath) + L"\\Pacific Standard Time\\Dynamic DST";
const std::wstring kTokyo = std::wstring(kTimeZonesPath) + L"\\Tokyo Standard Time";

// Writes the database the window works on (the scratch copy) as another
// program would.
void SetValue(const std::wstring& path, const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

void SetDisplay(const std::wstring& path, const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    SetValue(path, L"Display", REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * 2));
}

std::vector<std::wstring> ValueNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    RegKey key(SystemRegistry());
    if (key.Open(kHkeyLocalMachine, path, KEY_READ) == ERROR_SUCCESS) {
        std::wstring name;
        for (DWORD i = 0; SystemRegistry().EnumValue(key.Handle(), i, 64, &name, nullptr, nullptr, nullptr) ==
                          ERROR_SUCCESS;
             ++i) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(MainWindowTest, ADamagedYearIsNamedOnEditAndASaveDropsOnlyIt) {
    SetValue(kPacificYears, L"2003", REG_BINARY, {0xe0, 0x01, 0x00, 0x00}); // cut to 4 bytes
    LogCapture log;
    Run([&](CTarvaneDlg& window) {
        EXPECT_TRUE(log.Has(L"[235] key=Pacific Standard Time, yr=2003")) << log.Dump();
        EditZone(L"Pacific Standard Time");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  L"These dynamic daylight saving years of \"(UTC-08:00) Pacific Time (US & "
                  L"Canada)\" cannot be read from the registry: 2003.\n\nSave Changes will "
                  L"drop exactly these years and keep every other year.");
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(window.SelectedZone()->years.size(), 7u) << "2004-2007 are read past the damaged year";
        messages.clear();
        Click(IDC_SAVE_CHANGES);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kView);
    });
    EXPECT_EQ(ValueNames(kPacificYears),
              (std::vector<std::wstring>{L"2000", L"2001", L"2002", L"2004", L"2005", L"2006", L"2007",
                                         L"FirstEntry", L"LastEntry"}));
    RegKey years(SystemRegistry());
    ASSERT_EQ(years.Open(kHkeyLocalMachine, kPacificYears, KEY_READ), ERROR_SUCCESS);
    DWORD last = 0;
    ASSERT_TRUE(ReadNumberValue(years, L"LastEntry", &last));
    EXPECT_EQ(last, 2007u) << "current years keep their rules";
}

TEST_F(MainWindowTest, AChangeByAnotherProgramReloadsTheListInViewModeOnly) {
    registryWatch->armError = ERROR_ACCESS_DENIED;
    LogCapture log;
    Run([&](CTarvaneDlg& window) {
        EXPECT_TRUE(log.Has(L"[236] err=5")) << log.Dump();
        registryWatch->armError = 0;
        SelectZone(L"Tokyo Standard Time");
        TziBlock tzi = StoredTzi(L"Tokyo Standard Time");
        tzi.Bias = -600;
        const TziBytes bytes = TziToBytes(tzi);
        SetValue(kTokyo, L"TZI", REG_BINARY, std::vector<BYTE>(bytes.begin(), bytes.end()));
        EXPECT_EQ(Text(IDC_BIAS_HOURS), L"9") << "nothing happens before the watch says so";
        const int arms = registryWatch->arms;
        registryWatch->Signal();
        EXPECT_TRUE(PumpUntil([&] { return Text(IDC_BIAS_HOURS) == L"10"; })) << "reloaded at the next tick";
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Tokyo Standard Time") << "the selection stays";
        EXPECT_EQ(registryWatch->arms, arms + 1) << "watching again from the reload on";
        EXPECT_FALSE(registryWatch->changed);

        // In edit mode the list is left alone: the edit is not lost.
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_MINUTES, L"30");
        registryWatch->Signal();
        Pump(1300);
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, -630);
        EXPECT_TRUE(registryWatch->changed) << "seen when the edit ends";
    });
}

TEST_F(MainWindowTest, ASaveAsksBeforeWritingOverAChangeByAnotherProgram) {
    const std::wstring changed = L"Changed by another program";
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        const std::wstring display = window.SelectedZone()->displayName;
        Type(IDC_BIAS_MINUTES, L"30");
        SetDisplay(kTokyo, changed);
        answers = {IDCANCEL};
        Click(IDC_SAVE_CHANGES);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"The time zone \"" + display +
                                             L"\" was changed in the registry by another program after you "
                                             L"began editing it.",
                                         0),
                  0u);
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));
        EXPECT_EQ(window.Mode(), EditMode::kEdit) << "Cancel goes on editing";
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -540);

        answers = {IDYES};
        Click(IDC_SAVE_CHANGES);
        Pump();
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -570) << "Yes writes the edit over the change";
        EXPECT_EQ(window.SelectedZone()->displayName, display);
    });
}

TEST_F(MainWindowTest, UpAndDownChangeNoOffsetThatCannotBeEdited) {
    Run([&](CTarvaneDlg& window) {
        SelectZone(L"Tokyo Standard Time");
        for (int id : {IDC_BIAS_HOURS, IDC_BIAS_MINUTES, IDC_STD_HOURS, IDC_DST_MINUTES}) {
            const std::wstring before = Text(id);
            ::SetFocus(Item(id));
            PressKey(Item(id), VK_UP);
            ::PostMessageW(Item(id), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
            Pump();
            EXPECT_EQ(Text(id), before) << id;
        }
        // In edit mode the live boxes follow the keys; the locked ones of a
        // zone without daylight saving still do not.
        EditZone(L"Tokyo Standard Time");
        ::SetFocus(Item(IDC_BIAS_HOURS));
        PressKey(Item(IDC_BIAS_HOURS), VK_UP);
        EXPECT_EQ(Text(IDC_BIAS_HOURS), L"10");
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, -600);
        ::SetFocus(Item(IDC_STD_HOURS));
        PressKey(Item(IDC_STD_HOURS), VK_UP);
        EXPECT_EQ(window.SelectedZone()->rules.tzi.StandardBias, 0);
    });
}

TEST_F(MainWindowTest, ClosingDuringAnEditWithChangesAsksFirst) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
        Pump();
        EXPECT_TRUE(messages.empty()) << "an edit without changes closes at once";
        EXPECT_TRUE(window.Ended());
    });
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_MINUTES, L"30");
        answers = {IDCANCEL};
        ::PostMessageW(window.Hwnd(), WM_CLOSE, 0, 0);
        Pump();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"The time zone \"" + window.SelectedZone()->displayName +
                                        L"\" has changes that are not saved.\n\nDo you want to save them "
                                        L"before closing?");
        EXPECT_FALSE(window.Ended());
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        answers = {IDYES};
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
        Pump();
        EXPECT_TRUE(window.Ended());
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -570) << "Yes saved the edit first";
    });
    messages.clear();
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_MINUTES, L"0");
        answers = {IDNO};
        ::PostMessageW(window.Hwnd(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_TRUE(window.Ended());
    });
    EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -570) << "No discarded the edit";
}

} // namespace
} // namespace tarvane::test
