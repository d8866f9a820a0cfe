// File -> Make Backup.
#include "backup/make_backup.h"

#include "backup/registry_export.h"
#include "backup_fakes.h"
#include "log_capture.h"
#include "platform/error_text.h"
#include "platform/text.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kInfo = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
const std::wstring kPath = L"C:\\backup.trvbkp";

struct MakeBackupTest : ::testing::Test, FakeBackupWorld {
    LogCapture log;

    MakeBackupTest() {
        registry.PutString(kInfo, L"TimeZoneKeyName", L"Zone A");
        PutZone(registry, SimpleZone(L"Zone A", 60));
    }

    void ExpectNothingRecorded() {
        EXPECT_EQ(settings.writes, 0);
        EXPECT_EQ(window.noticeRemovals, 0);
    }
    void ExpectFileErrorBox(DWORD error) {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, L"ERROR: Failed to save backup data file to:\n\n" + kPath +
                                                L"\n\n(" + std::to_wstring(error) + L") " +
                                                GetErrorText(error));
        EXPECT_EQ(prompts.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
};

TEST_F(MakeBackupTest, FileIsMarkThenUtf16WithCrLfAndNoTerminator) {
    MakeBackup(context);
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    const std::vector<BYTE>& bytes = files.files.at(kPath);
    ASSERT_GE(bytes.size(), 10u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    const std::wstring written = FromUtf16Le(bytes.data() + 2, (bytes.size() - 2) / 2);
    EXPECT_EQ(written, ReplaceAll(text, L"\n", L"\r\n"));
    EXPECT_EQ(written.substr(written.size() - 4), L"\r\n\r\n");
    EXPECT_NE(written[written.size() - 5], L'\n');
    EXPECT_EQ(bytes, BackupFileBytes(text));
    EXPECT_EQ(files.openHandles, 0u);
}

TEST_F(MakeBackupTest, CompleteFileRecordsTheBackupRemovesTheNoticeAndSaysWhere) {
    MakeBackup(context);
    EXPECT_EQ(settings.writes, 1);
    EXPECT_EQ(window.noticeRemovals, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              L"Existing time zones information was saved into the following file:\n\n" + kPath +
                  L"\n\nYou can restore this information by going to File -> Restore From Backup.");
    EXPECT_EQ(prompts.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(log.events.empty()) << log.Dump();
    EXPECT_EQ(prompts.waitDepth, 0);
    EXPECT_GE(prompts.maxWaitDepth, 1);
}

TEST_F(MakeBackupTest, FailingSettingStillCountsAsSaved) {
    settings.result = false;
    MakeBackup(context);
    EXPECT_EQ(window.noticeRemovals, 1);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(MakeBackupTest, ExistingFileIsReplacedWhole) {
    files.files[kPath] = std::vector<BYTE>(100000, 0x41);
    MakeBackup(context);
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(files.files.at(kPath), BackupFileBytes(text));
}

TEST_F(MakeBackupTest, CarriageReturnsInTheTextDoNotDouble) {
    EXPECT_EQ(BackupFileBytes(L"a\r\nb\rc\n"),
              (std::vector<BYTE>{0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0, 'b', 0, 'c', 0, '\r', 0, '\n', 0}));
}

TEST_F(MakeBackupTest, ExportFailureLogsTheBareTagAndShowsTheCollectError) {
    registry.InjectFault(RegFault(RegOp::Open, kInfo).Error(ERROR_ACCESS_DENIED));
    MakeBackup(context);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[127]"});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{5});
    EXPECT_EQ(log.events[0].type, EVENTLOG_ERROR_TYPE);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text,
              L"ERROR: Failed to collect time zone data from the system registry.\n\n(5) " + GetErrorText(5));
    EXPECT_EQ(prompts.saveAsked, 0);
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, CancelledDialogWritesLogsAndShowsNothing) {
    prompts.saveResult = FileChoice::kCancelled;
    MakeBackup(context);
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(prompts.messages.empty());
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, DialogFailureIsOnlyLogged) {
    prompts.saveResult = FileChoice::kFailed;
    MakeBackup(context);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[128] res=2"});
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(files.files.empty());
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, FileThatCannotBeCreatedNamesThePathAndKeepsTheNotice) {
    files.createError = ERROR_ACCESS_DENIED;
    MakeBackup(context);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[129] file=\"C:\\backup.trvbkp\""});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{5});
    ExpectFileErrorBox(5);
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, FailedMarkWrite) {
    files.writeFaults.push_back({0, 112, std::nullopt, 0});
    MakeBackup(context);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[130] file=\"C:\\backup.trvbkp\""});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{112});
    ExpectFileErrorBox(112);
    ExpectNothingRecorded();
    EXPECT_EQ(files.openHandles, 0u);
}

TEST_F(MakeBackupTest, ShortMarkWrite) {
    files.writeFaults.push_back({0, 0, 1, 0});
    MakeBackup(context);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[131] sz1=1, sz2=2, file=\"C:\\backup.trvbkp\""});
    ExpectFileErrorBox(0);
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, FailedTextWriteKeepsThePartialFile) {
    files.writeFaults.push_back({1, 112, std::nullopt, 0});
    MakeBackup(context);
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    const std::size_t length = ReplaceAll(text, L"\n", L"\r\n").size();
    EXPECT_EQ(log.Messages(),
              std::vector<std::wstring>{L"[132] file=\"C:\\backup.trvbkp\", ln=" + std::to_wstring(length)});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{112});
    ExpectFileErrorBox(112);
    EXPECT_EQ(files.files.at(kPath), (std::vector<BYTE>{0xFF, 0xFE}));
    ExpectNothingRecorded();
}

TEST_F(MakeBackupTest, ShortTextWrite) {
    files.writeFaults.push_back({1, 0, 10, 39});
    MakeBackup(context);
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    const std::size_t bytes = ReplaceAll(text, L"\n", L"\r\n").size() * 2;
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{L"[133] sz1=10, sz2=" + std::to_wstring(bytes) +
                                                        L", file=\"C:\\backup.trvbkp\""});
    ExpectFileErrorBox(39);
    ExpectNothingRecorded();
}

} // namespace
} // namespace tarvane::test
