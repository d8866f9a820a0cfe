// Save Changes on the real window: the checks in their order, the write to the
// registry (a scratch copy), the activation, and the return to view mode.
#include "main_window_harness.h"

#include "core/registry_values.h"
#include "platform/system_registry.h"
#include "resources/resource.h"

#include <cstdio>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

TziBlock StoredTzi(const std::wstring& keyName) {
    RegKey key(SystemRegistry());
    TziBlock block{};
    if (key.Open(kHkeyLocalMachine, std::wstring(kTimeZonesPath) + L"\\" + keyName, KEY_READ) ==
        ERROR_SUCCESS) {
        ReadTziValue(key, L"TZI", &block);
    }
    return block;
}

// What `reg query` prints for a value of the scratch copy (a child process
// does not see this process's redirection, so the copy is named by its path).
std::string RegQuery(const std::wstring& scratchPath, const std::wstring& keyName,
                     const std::wstring& value) {
    const std::wstring command =
        L"reg query \"HKCU\\" + scratchPath + L"\\" + kTimeZonesPath + L"\\" + keyName + L"\" /v " + value;
    std::string output;
    if (FILE* pipe = _wpopen(command.c_str(), L"rt")) {
        char line[1024];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            output += line;
        }
        _pclose(pipe);
    }
    return output;
}

class SaveChangesTest : public MainWindowTest {
protected:
    void Save() {
        Click(IDC_SAVE_CHANGES);
        Pump();
    }
};

TEST_F(SaveChangesTest, SavesTheZoneToTheRegistryAndReturnsToViewMode) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_HOURS, L"10");
        Save();
        EXPECT_TRUE(messages.empty())
            << (messages.empty() ? "" : std::string(messages[0].text.begin(), messages[0].text.end()));
        EXPECT_EQ(window.Mode(), 0);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -600);
        EXPECT_NE(RegQuery(scratch->Path(), L"Tokyo Standard Time", L"TZI").find("A8FDFFFF"),
                  std::string::npos)
            << "reg query sees -600 (A8 FD FF FF) as the first bytes of TZI";
        ASSERT_NE(window.SelectedZone(), nullptr);
        EXPECT_EQ(window.SelectedZone()->keyName, L"Tokyo Standard Time") << "the saved zone stays selected";
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, -600) << "reloaded from the registry";
    });
}

TEST_F(SaveChangesTest, AnOffsetOutOfRangeIsRefusedWithTheFocusOnIt) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_HOURS, L"24");
        Type(IDC_BIAS_MINUTES, L"1");
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"'Offset (bias)' is out of range");
        EXPECT_EQ(::GetFocus(), Item(IDC_BIAS_HOURS));
        EXPECT_EQ(window.Mode(), 1);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -540) << "nothing written";

        messages.clear();
        Type(IDC_BIAS_MINUTES, L"0");
        Save();
        EXPECT_TRUE(messages.empty()) << "exactly 1440 passes";
        EXPECT_EQ(window.Mode(), 0);
    });
}

TEST_F(SaveChangesTest, ADynamicYearOutOfRangeIsShownBeforeItIsRefused) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        TimeZoneRecord* zone = window.SelectedZone();
        ASSERT_NE(zone, nullptr);
        ASSERT_FALSE(zone->years.empty());
        const DWORD year = zone->years.back().year;
        zone->years.back().rules.tzi.DaylightBias = -1441;
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Daylight Saving Time 'Offset (bias)' is out of range");
        EXPECT_EQ(window.SelectedYear(), year);
        EXPECT_EQ(Text(IDC_DST_HOURS), L"24");
        EXPECT_EQ(::GetFocus(), Item(IDC_DST_HOURS));
    });
}

TEST_F(SaveChangesTest, RecurringRulesAreCheckedWordByWord) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        TimeZoneRecord* zone = window.SelectedZone();
        zone->rules.tzi.StandardDate.wDay = 6;
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Standard Time 'Week' for 'Occurs on' selection is incorrect");
        EXPECT_EQ(::GetFocus(), Item(IDC_STD_WEEK));
        messages.clear();
        zone->rules.tzi.StandardDate.wDay = 1;
        zone->rules.tzi.DaylightDate.wMonth = 13;
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Daylight Saving Time 'Month' for 'Occurs on' selection is incorrect");
        EXPECT_EQ(::GetFocus(), Item(IDC_DST_MONTH));
    });
}

TEST_F(SaveChangesTest, BlankNamesAreRefusedAndTrimmedNamesSaved) {
    allowEditNames = 1;
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Tokyo Standard Time");
        Type(IDC_DISPLAY_NAME, L"   ");
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"'Display Name' must be provided");
        EXPECT_EQ(::GetFocus(), Item(IDC_DISPLAY_NAME));
        messages.clear();
        Type(IDC_DISPLAY_NAME, L"  (UTC+09:00) Tokyo  ");
        Save();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(window.Mode(), 0);
        EXPECT_EQ(window.SelectedZone()->displayName, L"(UTC+09:00) Tokyo");
    });
}

TEST_F(SaveChangesTest, TheCurrentZoneCannotLoseItsFlag) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        Click(IDC_CURRENT_ZONE);
        ASSERT_EQ(window.SelectedZone()->isCurrent, 0);
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, L"Cannot remove 'Current time zone' flag. To change current time zone "
                                    L"set it in another time zone.");
        EXPECT_EQ(window.SelectedZone()->isCurrent, 1);
        EXPECT_EQ(::IsDlgButtonChecked(window.Hwnd(), IDC_CURRENT_ZONE), BST_CHECKED);
        EXPECT_EQ(::GetFocus(), Item(IDC_CURRENT_ZONE));
    });
}

TEST_F(SaveChangesTest, WithNoCurrentZoneLoadedAZoneIsSavedWithoutActivation) {
    Run([&](CTarvaneDlg& window) {
        for (auto& zone : window.Zones()) {
            zone.isCurrent = 0;
        }
        EditZone(L"Tokyo Standard Time");
        Type(IDC_BIAS_MINUTES, L"30");
        Save();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(window.Mode(), 0);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -570);
    });
}

TEST_F(SaveChangesTest, TheRealActivationFailingKeepsEditModeAndTheSavedZone) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        Type(IDC_BIAS_MINUTES, L"15");
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"ERROR: Failed to set current time zone info.\n\n(", 0), 0u)
            << "Wine refuses to set the zone";
        EXPECT_EQ(window.Mode(), 1);
        EXPECT_EQ(StoredTzi(L"Pacific Standard Time").Bias, 495) << "the registry already holds the zone";
    });
}

} // namespace
} // namespace tarvane::test
