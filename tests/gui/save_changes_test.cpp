// Save Changes on the real window: the checks in their order, the write to the
// registry (a scratch copy), the activation, and the return to view mode.
#include "main_window_harness.h"

#include "core/registry_values.h"
#include "log_capture.h"
#include "platform/system_registry.h"
#include "resources/resource.h"
#include "win32/win32_helpers.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

// What `reg query` prints for a value of the scratch copy (a child process
// does not see this process's redirection, so the copy is named by its path).
std::string RegQuery(const std::wstring& scratchPath, const std::wstring& keyName,
                     const std::wstring& value) {
    const std::wstring command =
        L"reg query \"HKCU\\" + scratchPath + L"\\" + kTimeZonesPath + L"\\" + keyName + L"\" /v " + value;
    return CommandOutput(command);
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
        EXPECT_EQ(window.Mode(), EditMode::kView);
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
        EXPECT_EQ(window.Mode(), EditMode::kEdit);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -540) << "nothing written";

        messages.clear();
        Type(IDC_BIAS_MINUTES, L"0");
        Save();
        ASSERT_EQ(messages.size(), 1u) << "exactly 1440 passes the field's range, but no zone lies there";
        EXPECT_EQ(messages[0].text,
                  L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00");
        EXPECT_EQ(::GetFocus(), Item(IDC_BIAS_HOURS));

        messages.clear();
        Type(IDC_BIAS_HOURS, L"14");
        Save();
        EXPECT_TRUE(messages.empty()) << "GMT +14:00 passes";
        EXPECT_EQ(window.Mode(), EditMode::kView);
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
        EXPECT_EQ(window.Editor().SelectedYear(), year);
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
        EXPECT_EQ(window.Mode(), EditMode::kView);
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
        EXPECT_EQ(window.Mode(), EditMode::kView);
        EXPECT_EQ(StoredTzi(L"Tokyo Standard Time").Bias, -570);
    });
}

TEST_F(SaveChangesTest, TheRealActivationFailingLeavesEditModeAndSaysTheZoneWasSaved) {
    LogCapture log;
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        const std::wstring display = window.SelectedZone()->displayName;
        Type(IDC_BIAS_MINUTES, L"15");
        Save();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"The time zone \"" + display +
                                             L"\" was saved, but it could not be made the current time "
                                             L"zone.\n\n(",
                                         0),
                  0u)
            << "Wine refuses to set the zone";
        EXPECT_EQ(messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(window.Mode(), EditMode::kView) << "Cancel could not take the write back";
        EXPECT_EQ(StoredTzi(L"Pacific Standard Time").Bias, 495) << "the registry holds the zone";
        EXPECT_EQ(window.SelectedZone()->rules.tzi.Bias, 495) << "the list shows what the registry holds";
        bool logged = false;
        for (const auto& message : log.Messages()) {
            logged = logged || message.rfind(L"[154] ID=", 0) == 0;
        }
        EXPECT_TRUE(logged) << log.Dump();
    });
}

// Values no zone can have, each refused with the range it must lie in and
// the focus on it, after the checks that were there before.
TEST_F(SaveChangesTest, ValuesNoZoneCanHaveAreRefusedNamingTheAllowedRange) {
    struct Case {
        const char* name;
        std::function<void(TimeZoneRecord&)> change;
        std::wstring message;
        int focus;
        DWORD year; // shown when refused
        const wchar_t* logged;
    };
    const std::vector<Case> cases = {
        {"base offset", [](TimeZoneRecord& z) { z.rules.tzi.Bias = -1440; },
         L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00", IDC_BIAS_HOURS, 0,
         L"[239] bias=-1440"},
        {"a year's base offset", [](TimeZoneRecord& z) { z.years[1].rules.tzi.Bias = 845; },
         L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00", IDC_BIAS_HOURS,
         2001, L"[239] bias=845"},
        {"daylight offset", [](TimeZoneRecord& z) { z.rules.tzi.DaylightBias = -1440; },
         L"Daylight Saving Time 'Offset (bias)' is out of range: it must lie within 4 hours of the Standard "
         L"Time 'Offset (bias)'",
         IDC_DST_HOURS, 0, L"[240] stdBias=0, dstBias=-1440"},
        {"one moment twice", [](TimeZoneRecord& z) { z.rules.tzi.StandardDate = z.rules.tzi.DaylightDate; },
         L"Daylight Saving Time must begin and end at two different moments: the 'Occurs on' selections of "
         L"Daylight Saving Time and of Standard Time name the same date and time",
         IDC_DST_MONTH, 0, L"[241] yr=0"},
        {"a one-time date in another year",
         [](TimeZoneRecord& z) {
             z.years[0].rules.standardOccurs = kOccursOnlyOnce;
             z.years[0].rules.standardAbsoluteDate = SYSTEMTIME{2026, 12, 0, 8, 2, 0, 0, 0};
         },
         L"Standard Time Date/Time selection for 'Occurs on' must lie in the year 2000", IDC_STD_DATE, 2000,
         L"[242] yr=2000, date=2026-12-08"},
    };
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            LogCapture log;
            const TimeZoneRecord saved = *window.SelectedZone();
            c.change(*window.SelectedZone());
            messages.clear();
            Save();
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, c.message);
            EXPECT_EQ(::GetFocus(), Item(c.focus));
            EXPECT_EQ(window.Editor().SelectedYear(), c.year);
            EXPECT_EQ(window.Mode(), EditMode::kEdit);
            EXPECT_EQ(log.Messages(), std::vector<std::wstring>{c.logged});
            *window.SelectedZone() = saved;
        }
        EXPECT_EQ(StoredTzi(L"Pacific Standard Time").Bias, 480) << "nothing written";
    });
}

TEST_F(SaveChangesTest, AYearsRuleSwitchedToOnceStartsOnItsDateInThatYear) {
    Run([&](CTarvaneDlg& window) {
        EditZone(L"Pacific Standard Time");
        ChooseListItem(IDC_YEAR, 2007);
        ChooseListItem(IDC_DST_OCCURS, kOccursOnlyOnce);
        const SYSTEMTIME& once = window.SelectedZone()->years.back().rules.daylightAbsoluteDate;
        EXPECT_EQ(once.wYear, 2007);
        EXPECT_EQ(once.wMonth, 3);
        EXPECT_EQ(once.wDay, 11) << "the second Sunday of March 2007";
        EXPECT_EQ(once.wHour, 2);
        SYSTEMTIME shown{};
        ASSERT_EQ(::SendMessageW(Item(IDC_DST_DATE), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
                  GDT_VALID);
        EXPECT_EQ(shown.wYear, 2007);
        ChooseListItem(IDC_YEAR, 0);
        ChooseListItem(IDC_DST_OCCURS, kOccursOnlyOnce);
        const SYSTEMTIME today = LocalNow();
        EXPECT_EQ(window.SelectedZone()->rules.daylightAbsoluteDate.wYear, today.wYear)
            << "the zone's own rules start today, as before";
    });
}

} // namespace
} // namespace tarvane::test
