// Tools > tz Database Release... on the real main window: a release tarball
// opened, what it changes seen before it is taken, taken and remembered, the
// check naming it; a damaged file refused with the release in use kept; and
// at the next start the remembered file read again, or said to have changed.
#include "counting_registry.h"
#include "dialog_driver.h"
#include "log_capture.h"
#include "main_window_harness.h"
#include "tz_fixtures.h"
#include "tz_release_fixtures.h"

#include "platform/registry.h"
#include "platform/system_registry.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tz_database.h"
#include "ui/tz_release_setting.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <tuple>

namespace tarvane::test {
namespace {

using ui::CTarvaneDlg;

std::wstring DialogText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

// The asia file of release 2099a: the kept 2026f with Japan on UTC+10 from
// 2030 and one zone more.
std::string Asia2099a() {
    std::string source = TestDataBytes("tzdata2026f.zi");
    const std::string tokyo = "Z Asia/Tokyo 9:18:59 - LMT 1887 D 31 15u\n9 JP J%sT\n";
    const std::size_t at = source.find(tokyo);
    EXPECT_NE(at, std::string::npos);
    source.replace(at, tokyo.size(),
                   "Z Asia/Tokyo 9:18:59 - LMT 1887 D 31 15u\n9 JP J%sT 2030\n10 - +10\n"
                   "Z Test/Added 3 - +03\n");
    return source;
}

std::string Release2099a() {
    return Gzip(TarArchive({{"version", "2099a\n"}, {"asia", Asia2099a()}, {"NEWS", "not read\n"}}));
}

class TzReleaseTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ui::ResetTzReleaseInUse();
    }
    void TearDown() override {
        ui::ResetTzReleaseInUse();
        MainWindowTest::TearDown();
    }

    // The check's intro, the dialog answered without showing it.
    std::wstring CheckIntro(CTarvaneDlg& window) {
        std::wstring intro;
        window.runTzCheckDialog = [&](HWND, ui::TzCheckExchange& exchange) {
            intro = exchange.intro;
            return INT_PTR{IDCANCEL};
        };
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
        return intro;
    }
};

TEST_F(TzReleaseTest, OpensATarballShowsWhatItChangesUsesItAndTheCheckNamesIt) {
    const std::wstring tarball = TempPath(L"tzdata2099a.tar.gz");
    const std::wstring damaged = TempPath(L"tzdata-damaged.zi");
    WriteFile(tarball, Release2099a());
    WriteFile(damaged, "# version 2099b\nZ Test/Bad 1 - CET 2000 Foo\n");
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        // The file dialog fails, then a damaged release, then the tarball.
        int asked = 0;
        ui::SetFileDialogHandler([&](HWND, bool save, std::wstring* path) {
            EXPECT_FALSE(save);
            ++asked;
            *path = asked == 2 ? damaged : tarball;
            return asked == 1 ? FileChoice::kFailed : FileChoice::kChosen;
        });
        std::wstring inUse, summary;
        std::vector<std::wstring> changed;
        bool useEnabledBefore = true;
        WhenDialogOpens(L"tz Database Release", [&](HWND dialog) {
            inUse = DialogText(dialog, IDC_TZ_RELEASE_IN_USE);
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            useEnabledBefore = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_TZ_RELEASE_USE)) != FALSE;
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            summary = DialogText(dialog, IDC_TZ_RELEASE_SUMMARY);
            changed = ListItems(::GetDlgItem(dialog, IDC_TZ_RELEASE_CHANGES));
            // Wine shows what was painted once the thread's messages run.
            for (const DWORD until = ::GetTickCount() + 300; ::GetTickCount() < until; ::Sleep(10)) {
                MSG message{};
                while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    ::TranslateMessage(&message);
                    ::DispatchMessageW(&message);
                }
            }
            SaveWindowShot(dialog, L"tz_release");
            PressButton(dialog, IDC_TZ_RELEASE_USE);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);

        EXPECT_EQ(inUse, L"IANA tz database 2026f, CLDR 48, built into this program");
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text, L"ERROR: Can't display window to open a tz release");
        EXPECT_NE(messages[1].text.find(L"tzdata-damaged.zi, line 2: "), std::wstring::npos)
            << Narrow(messages[1].text);
        EXPECT_NE(messages[1].text.find(L"The release in use is unchanged."), std::wstring::npos);
        EXPECT_NE(capture.Dump().find("[360] err="), std::string::npos) << capture.Dump();
        EXPECT_NE(capture.Dump().find("[362] path=\""), std::string::npos) << capture.Dump();
        EXPECT_FALSE(useEnabledBefore) << "a refused release cannot be taken";
        EXPECT_NE(summary.find(L"(IANA tz database 2026f), from "), std::wstring::npos) << Narrow(summary);
        EXPECT_NE(summary.find(L"differ, 1 zone added, 0 zones removed."), std::wstring::npos)
            << Narrow(summary);
        EXPECT_NE(std::find(changed.begin(), changed.end(), L"Asia/Tokyo"), changed.end());
        EXPECT_NE(std::find(changed.begin(), changed.end(), L"Japan"), changed.end());
        EXPECT_NE(std::find(changed.begin(), changed.end(), L"Test/Added (added)"), changed.end());
        EXPECT_EQ(std::find(changed.begin(), changed.end(), L"Europe/Paris"), changed.end());

        // Taken and remembered; the commands and the About line name it.
        const std::optional<RememberedTzRelease> remembered = ui::ReadRememberedTzRelease(SystemRegistry());
        ASSERT_TRUE(remembered.has_value());
        EXPECT_EQ(remembered->path, tarball);
        EXPECT_EQ(remembered->version, L"2099a");
        EXPECT_EQ(remembered->sha256.size(), 64u);
        EXPECT_NE(CheckIntro(window).find(L"beside the IANA tz database 2099a, CLDR 48, for "),
                  std::wstring::npos);
        std::wstring aboutLine;
        WhenDialogOpens(L"About", [&](HWND about) {
            aboutLine = DialogText(about, IDC_ABOUT_TZDATA);
            SaveWindowShot(about, L"about_tz_release");
            PressButton(about, IDOK);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_HELP_ABOUT, 0);
        EXPECT_EQ(aboutLine, L"IANA tz database 2099a, CLDR 48 (from " + tarball + L")");

        // The next start reads it again on the first tz command.
        ui::ResetTzReleaseInUse();
        messages.clear();
        EXPECT_NE(CheckIntro(window).find(L"2099a"), std::wstring::npos);
        EXPECT_TRUE(messages.empty());

        // Changed since: said plainly, and the built-in release is used.
        ui::ResetTzReleaseInUse();
        WriteFile(tarball, Gzip(TarArchive({{"version", "2099c\n"}, {"asia", "Z Test/Other 1 - CET\n"}})));
        EXPECT_NE(CheckIntro(window).find(L"2026f"), std::wstring::npos);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].text.find(L"has changed since you chose it"), std::wstring::npos)
            << Narrow(messages[0].text);
        EXPECT_TRUE(capture.Has(L"[366] path=\"" + tarball + L"\", ver=2099a")) << capture.Dump();

        // Back to the built-in release: the settings forget the file.
        WhenDialogOpens(L"tz Database Release",
                        [&](HWND dialog) { PressButton(dialog, IDC_TZ_RELEASE_BUILT_IN); });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);
        EXPECT_FALSE(ui::ReadRememberedTzRelease(SystemRegistry()).has_value());
        EXPECT_EQ(ui::TzDatabaseLine(), L"IANA tz database 2026f, CLDR 48");
    });
    ::DeleteFileW(tarball.c_str());
    ::DeleteFileW(damaged.c_str());
}

TEST_F(TzReleaseTest, AFolderOfExtractedFilesOpensThroughItsVersionFile) {
    const std::wstring folder = TempPath(L"tzdata2099a");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    WriteFile(folder + L"\\version", "2099a\n");
    WriteFile(folder + L"\\asia", Asia2099a());
    Run([&](CTarvaneDlg& window) {
        ui::SetFileDialogHandler([&](HWND, bool, std::wstring* path) {
            *path = folder + L"\\version";
            return FileChoice::kChosen;
        });
        std::wstring opened, summary;
        WhenDialogOpens(L"tz Database Release", [&](HWND dialog) {
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            opened = DialogText(dialog, IDC_TZ_RELEASE_OPENED);
            summary = DialogText(dialog, IDC_TZ_RELEASE_SUMMARY);
            PressButton(dialog, IDCANCEL);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);
        EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : Narrow(messages[0].text));
        EXPECT_EQ(opened, L"IANA tz database 2099a, from " + folder + L"\\version");
        EXPECT_NE(summary.find(L"1 zone added"), std::wstring::npos) << Narrow(summary);
        EXPECT_EQ(ui::ProgramTzTable()->version, L"2026f") << "closed without using it";
    });
    ::DeleteFileW((folder + L"\\version").c_str());
    ::DeleteFileW((folder + L"\\asia").c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// The system's registry, but the settings refuse to change the remembered path.
class PathRefusingRegistry : public CountingRegistry {
public:
    PathRefusingRegistry() : CountingRegistry(SystemRegistry()) {}
    LONG SetValue(RegHandle key, std::wstring_view name, DWORD type, const BYTE* data, DWORD size) override {
        return name == ui::kTzReleasePathValue ? static_cast<LONG>(ERROR_ACCESS_DENIED)
                                               : CountingRegistry::SetValue(key, name, type, data, size);
    }
    LONG DeleteValue(RegHandle key, std::wstring_view name) override {
        return name == ui::kTzReleasePathValue ? static_cast<LONG>(ERROR_ACCESS_DENIED)
                                               : CountingRegistry::DeleteValue(key, name);
    }
};

TEST_F(TzReleaseTest, RefusalsKeepTheReleaseInUseAndSayWhy) {
    const std::wstring tarball = TempPath(L"tzdata2099a-refused.tar.gz");
    WriteFile(tarball, Release2099a());
    PathRefusingRegistry refusing;
    registry = &refusing;
    Run([&](CTarvaneDlg& window) {
        LogCapture capture;
        const std::wstring gone = TempPath(L"no-such-tzdata.tar.gz");
        int asked = 0;
        ui::SetFileDialogHandler([&](HWND, bool, std::wstring* path) {
            *path = ++asked == 1 ? gone : tarball;
            return FileChoice::kChosen;
        });
        WhenDialogOpens(L"tz Database Release", [&](HWND dialog) {
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            PressButton(dialog, IDC_TZ_RELEASE_OPEN);
            PressButton(dialog, IDC_TZ_RELEASE_USE);
            PressButton(dialog, IDCANCEL);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text.rfind(L"ERROR: Can't read " + gone, 0), 0u) << Narrow(messages[0].text);
        EXPECT_NE(capture.Dump().find("[361] path=\""), std::string::npos) << capture.Dump();
        EXPECT_EQ(messages[1].text.rfind(L"ERROR: Can't remember the release in your settings (5) ", 0), 0u)
            << Narrow(messages[1].text);
        EXPECT_NE(capture.Dump().find("[363] path=\""), std::string::npos) << capture.Dump();
        EXPECT_EQ(ui::ProgramTzTable()->version, L"2026f");
        EXPECT_FALSE(ui::ReadRememberedTzRelease(SystemRegistry()).has_value());

        window.runTzReleaseDialog = [](HWND, ui::TzReleaseExchange&) { return INT_PTR{-1}; };
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);
        EXPECT_TRUE(capture.Has(L"[368] dlg=" + std::to_wstring(IDD_TZ_RELEASE))) << capture.Dump();

        // Remembered releases that cannot be used at the next start.
        const std::wstring digest(64, L'a');
        for (const auto& [remembered, said, tag] :
             {std::tuple{RememberedTzRelease{gone, L"2099a", digest}, L"is no longer there", "[365]"},
              std::tuple{RememberedTzRelease{tarball, L"2099a", L"damaged"}, L"can't be used", "[367]"}}) {
            ASSERT_TRUE(ui::WriteRememberedTzRelease(SystemRegistry(), remembered));
            ui::ResetTzReleaseInUse();
            messages.clear();
            std::wstring intro;
            window.runTzCheckDialog = [&](HWND, ui::TzCheckExchange& exchange) {
                intro = exchange.intro;
                return INT_PTR{IDCANCEL};
            };
            ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_CHECK, 0);
            ASSERT_EQ(messages.size(), 1u) << tag;
            EXPECT_NE(messages[0].text.find(said), std::wstring::npos) << Narrow(messages[0].text);
            EXPECT_NE(messages[0].text.find(L"uses the built-in release (IANA tz database 2026f, CLDR 48)"),
                      std::wstring::npos);
            EXPECT_NE(capture.Dump().find(tag), std::string::npos) << capture.Dump();
            EXPECT_NE(intro.find(L"2026f"), std::wstring::npos);
        }

        // The settings keep the damaged record: going back to the built-in
        // release must forget it, and says so when it cannot.
        window.runTzReleaseDialog = ui::RunTzReleaseDialog;
        messages.clear();
        WhenDialogOpens(L"tz Database Release", [&](HWND dialog) {
            PressButton(dialog, IDC_TZ_RELEASE_BUILT_IN);
            PressButton(dialog, IDCANCEL);
        });
        ::SendMessageW(window.Hwnd(), WM_COMMAND, ID_TOOLS_TZ_RELEASE, 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind(L"ERROR: Can't remove the release from your settings (5) ", 0), 0u)
            << Narrow(messages[0].text);
        EXPECT_TRUE(capture.Has(L"[364] err=5")) << capture.Dump();
    });
    registry = nullptr;
    ::DeleteFileW(tarball.c_str());
}

} // namespace
} // namespace tarvane::test
