// File -> Export Time Zone.
#include "backup/export_zone.h"

#include "backup/make_backup.h"
#include "backup_fakes.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/text.h"
#include "reg_file.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kPath = L"C:\\Zone B.reg";

struct ExportZoneTest : ::testing::Test, FakeBackupWorld {
    LogCapture log;

    ExportZoneTest() {
        prompts.savePath = kPath;
        PutZone(registry, SimpleZone(L"Zone A", 60));
        ZoneSpec zone = SimpleZone(L"Zone B", -120);
        zone.years = {{2020, MakeTzi(-120)}, {2021, MakeTzi(-60)}};
        PutZone(registry, zone);
        PutZone(registry, SimpleZone(L"Zone B2", 0));
    }

    void ExpectOneBox(const std::wstring& text, UINT flags) {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, text);
        EXPECT_EQ(prompts.messages[0].flags, flags);
    }
};

TEST_F(ExportZoneTest, TheZoneAndItsYearsAreWrittenAsABackupFileIsAndNothingElse) {
    ExportTimeZone(context, L"Zone B");
    EXPECT_EQ(prompts.proposedNames, std::vector<std::wstring>{L"Zone B.reg"});
    const std::vector<BYTE>& bytes = files.files.at(kPath);
    std::wstring text;
    ASSERT_EQ(ExportZoneText(registry, L"Zone B", text), ERROR_SUCCESS);
    EXPECT_EQ(bytes, BackupFileBytes(text));
    EXPECT_EQ(text.substr(0, 38), L"Windows Registry Editor Version 5.00\n\n");
    EXPECT_EQ(text.substr(text.size() - 2), L"\n\n");
    EXPECT_NE(text[text.size() - 3], L'\n') << "the last value's line, then exactly one empty line";

    RegFile file;
    std::string error;
    ASSERT_TRUE(ParseRegText(FromUtf16Le(bytes.data() + 2, (bytes.size() - 2) / 2), &file, &error)) << error;
    std::map<std::wstring, std::size_t> valuesByKey;
    for (const auto& [upper, key] : file) {
        valuesByKey[key.path] = key.values.size();
    }
    // Display, Dlt, Std, TZI; FirstEntry, LastEntry, 2020, 2021.
    EXPECT_EQ(valuesByKey,
              (std::map<std::wstring, std::size_t>{{ZonePath(L"Zone B"), 4}, {DynamicPath(L"Zone B"), 4}}));

    ExpectOneBox(L"The time zone \"Zone B\" was saved into the following file:\n\n" + kPath +
                     L"\n\nYou can apply it on other computers with \"reg.exe import\".",
                 MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(log.events.empty()) << log.Dump();
    EXPECT_EQ(settings.writes, 0) << "an exported zone is no backup";
    EXPECT_EQ(window.noticeRemovals, 0);
    EXPECT_EQ(prompts.waitDepth, 0);
    EXPECT_EQ(files.openHandles, 0u);
}

TEST_F(ExportZoneTest, TheProposedNameIsTheKeyWithWhatAFileNameCannotHoldReplaced) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Pacific Standard Time", L"Pacific Standard Time.reg"},
        {L"UTC+12", L"UTC+12.reg"},
        {L"a<b>c:d\"e/f|g?h*i", L"a_b_c_d_e_f_g_h_i.reg"},
        {L"tab\there\x00e9", L"tab_here\x00e9.reg"},
    };
    for (const auto& [key, name] : cases) {
        EXPECT_EQ(ZoneFileName(key), name);
    }
}

TEST_F(ExportZoneTest, WhatIsNotOneExistingZoneIsRefusedBeforeAnyDialog) {
    registry.InjectFault(RegFault(RegOp::Open, ZonePath(L"Zone A")).Error(ERROR_ACCESS_DENIED));
    const std::pair<std::wstring, DWORD> cases[] = {
        {L"", ERROR_INVALID_PARAMETER},
        {L"Zone B\\Dynamic DST", ERROR_INVALID_PARAMETER},
        {L"No Such Zone", ERROR_FILE_NOT_FOUND},
        {L"Zone A", ERROR_ACCESS_DENIED},
    };
    for (const auto& [key, error] : cases) {
        prompts.messages.clear();
        log.events.clear();
        ExportTimeZone(context, key);
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[260] key=\"" + key + L"\""});
        EXPECT_EQ(log.LastErrors(), std::vector<LONG>{static_cast<LONG>(error)});
        ExpectOneBox(L"ERROR: Failed to collect the time zone \"" + key +
                         L"\" from the system registry.\n\n(" + std::to_wstring(error) + L") " +
                         GetErrorText(error),
                     MB_OK | MB_ICONERROR);
    }
    EXPECT_TRUE(prompts.proposedNames.empty());
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExportZoneTest, ACancelledDialogDoesNothingAndAFailedOneIsOnlyLogged) {
    prompts.saveResult = FileChoice::kCancelled;
    ExportTimeZone(context, L"Zone B");
    EXPECT_TRUE(log.events.empty());
    prompts.saveResult = FileChoice::kFailed;
    ExportTimeZone(context, L"Zone B");
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[261] res=2"});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(files.files.empty());
}

TEST_F(ExportZoneTest, EachFileFailureHasItsOwnTagAndTheErrorBox) {
    std::wstring text;
    ASSERT_EQ(ExportZoneText(registry, L"Zone B", text), ERROR_SUCCESS);
    const std::size_t length = ReplaceAll(text, L"\n", L"\r\n").size();
    const std::wstring file = L"file=\"" + kPath + L"\"";
    struct Case {
        std::optional<DWORD> createError;
        std::optional<MemoryFiles::WriteFault> fault;
        std::wstring message;
        DWORD shown;
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, std::nullopt, L"[262] " + file, ERROR_ACCESS_DENIED},
        {std::nullopt, MemoryFiles::WriteFault{0, 112, std::nullopt, 0}, L"[263] " + file, 112},
        {std::nullopt, MemoryFiles::WriteFault{0, 0, 1, 0}, L"[264] sz1=1, sz2=2, " + file, 0},
        {std::nullopt, MemoryFiles::WriteFault{1, 112, std::nullopt, 0},
         L"[265] " + file + L", ln=" + std::to_wstring(length), 112},
        {std::nullopt, MemoryFiles::WriteFault{1, 0, 10, 39},
         L"[266] sz1=10, sz2=" + std::to_wstring(length * 2) + L", " + file, 39},
    };
    for (const Case& c : cases) {
        MemoryFiles failing;
        failing.createError = c.createError;
        if (c.fault) {
            failing.writeFaults.push_back(*c.fault);
        }
        BackupContext withFailing{registry, failing, tool, prompts, window, settings, activator};
        prompts.messages.clear();
        log.events.clear();
        ExportTimeZone(withFailing, L"Zone B");
        EXPECT_EQ(log.Messages(), std::vector<std::wstring>{c.message});
        ExpectOneBox(L"ERROR: Failed to save time zone file to:\n\n" + kPath + L"\n\n(" +
                         std::to_wstring(c.shown) + L") " + GetErrorText(c.shown),
                     MB_OK | MB_ICONERROR);
        EXPECT_EQ(failing.openHandles, 0u);
    }
}

} // namespace
} // namespace tarvane::test
