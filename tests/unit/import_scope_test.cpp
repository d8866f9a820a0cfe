// Which keys a backup may write, as the strict reading of the restore applies
// them to whole files.
#include "backup/import_scope.h"

#include "backup/code_page.h"
#include "backup/export_text_reader.h"
#include "backup/registry_export.h"
#include "platform/text.h"
#include "fakes/memory_registry.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kHead = L"Windows Registry Editor Version 5.00\r\n\r\n";
const std::wstring kInfoLine =
    L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]";
const std::wstring kZonesLine =
    L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones]";
const std::wstring kRunLine = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";

// The offending line, or "<ok>".
std::wstring Check(const std::wstring& text) {
    std::vector<BYTE> bytes = {0xFF, 0xFE};
    const std::vector<BYTE> body = ToUtf16Le(text, false);
    bytes.insert(bytes.end(), body.begin(), body.end());
    ExportContent content;
    TextRefusal refusal;
    if (ReadExportText(bytes, DecodeCodePage, &content, &refusal)) {
        EXPECT_TRUE(refusal.text.empty());
        return L"<ok>";
    }
    return refusal.text;
}

TEST(ImportScope, EveryFileTheExportWritesPasses) {
    MemoryRegistry registry;
    PutAwkwardZones(registry);
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(Check(text), L"<ok>");
}

TEST(ImportScope, KeysAreComparedWithoutRegardToCase) {
    EXPECT_EQ(Check(kHead +
                    L"[hkey_local_machine\\system\\currentcontrolset\\control\\timezoneinformation]\r\n" +
                    L"[HKEY_LOCAL_MACHINE\\software\\microsoft\\windows nt\\currentversion\\time "
                    L"zones\\X\\Dynamic DST]\r\n"),
              L"<ok>");
}

TEST(ImportScope, ForeignKeyIsReportedWithItsLine) {
    EXPECT_EQ(
        Check(kHead + kInfoLine + L"\r\n\"A\"=\"1\"\r\n\r\n" + kRunLine + L"\r\n\"Evil\"=\"x.exe\"\r\n"),
        kRunLine);
    EXPECT_EQ(Check(kHead + L"  " + kRunLine + L"  \r\n"), kRunLine) << "leading blanks";
    EXPECT_EQ(Check(kHead + L"[HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\X]\r\n"),
              L"[HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\X]");
    EXPECT_EQ(
        Check(kHead +
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones2]\r\n"),
        L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones2]");
    EXPECT_EQ(
        Check(kHead +
              L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation\\Sub]\r\n"),
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation\\Sub]");
    EXPECT_EQ(
        Check(kHead +
              L"[ HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones]\r\n"),
        L"[ HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones]");
    // Only ASCII letters fold: a dotless i is not an I here.
    EXPECT_NE(
        Check(
            kHead +
            L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\T\x0131me Zones\\X]\r\n"),
        L"<ok>");
}

TEST(ImportScope, KeyOrValueDeletionIsRefused) {
    EXPECT_EQ(
        Check(kHead +
              L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\X]\r\n"),
        L"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\X]");
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"TZI\"=-\r\n"), L"\"TZI\"=-");
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"TZI\" = \t-\r\n"), L"\"TZI\" = \t-");
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n@=-\r\n"), L"@=-");
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n  @ = -\r\n"), L"@ = -");
    // A string that merely holds "=-" deletes nothing.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"A\"=\"x=-y\"\r\n"), L"<ok>");
    // The strict reading knows where an escaped name ends: a name holding "=- deletes nothing.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"a\\\"=-\"=\"x\"\r\n"), L"<ok>");
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"unterminated=-\r\n"), L"\"unterminated=-");
}

TEST(ImportScope, OnlyRegistryFileHeadersAreAccepted) {
    EXPECT_EQ(Check(L"REGEDIT\r\nHKEY_CLASSES_ROOT\\exefile\\shell\\open\\command = evil.exe\r\n"),
              L"REGEDIT");
    EXPECT_EQ(Check(L"\r\n" + kHead), L"");
    EXPECT_EQ(Check(L"REGEDIT4\r\n\r\n" + kZonesLine + L"\r\n"), L"<ok>");
    EXPECT_EQ(Check(L""), L"");
}

TEST(ImportScope, LinesHiddenBehindNulOrCarriageReturnAreChecked) {
    // A NUL or a lone carriage return, where readers split lines differently, refuses its line.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"A\"=\"1\"" + std::wstring(1, L'\0') + kRunLine + L"\r\n"),
              L"\"A\"=\"1\"\\0" + kRunLine);
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"A\"=\"1\"\r" + kRunLine + L"\n"),
              L"\"A\"=\"1\"\\r" + kRunLine);
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"TZI\"=" + std::wstring(1, L'\0') + L"-\r\n"),
              L"\"TZI\"=\\0-");
    // A continuation line is checked like any other.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"B\"=hex:00,\\\r\n  " + kRunLine + L"\r\n"), kRunLine);
}

} // namespace
} // namespace tarvane::test
