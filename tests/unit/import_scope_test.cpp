// Which backup files may be handed to the registry import tool.
#include "backup/import_scope.h"

#include "backup/registry_export.h"
#include "platform/memory_registry.h"
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
    std::wstring offending = L"junk";
    if (CheckImportScope(text, &offending)) {
        EXPECT_TRUE(offending.empty());
        return L"<ok>";
    }
    return offending;
}

TEST(ImportScope, EveryFileTheExportWritesPasses) {
    MemoryRegistry registry;
    const std::wstring info = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
    registry.PutString(info, L"TimeZoneKeyName", L"Zone \"A\" = -1");
    registry.PutString(info, L"", L"=-");
    auto zone = SimpleZone(L"Zone A", 60);
    zone.years = {{2005, MakeTzi(60)}, {2006, MakeTzi(60)}};
    PutZone(registry, zone);
    registry.PutString(ZonePath(L"Zone A"), L"Weird", L"a=-b\\\"[x]");
    registry.PutValue(ZonePath(L"Zone A"), L"Bytes", REG_BINARY, std::vector<BYTE>(200, 0x5B));
    PutZone(registry, SimpleZone(L"[Bracket] Zone", 0));
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
    // Where escapes make the end of the name uncertain, any "=" before "-" counts.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"a\\\"=-\"=\"x\"\r\n"), L"\"a\\\"=-\"=\"x\"");
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
    // Seen as a line of its own by a reader that ends lines at NUL or CR.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"A\"=\"1\"" + std::wstring(1, L'\0') + kRunLine + L"\r\n"),
              kRunLine);
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"A\"=\"1\"\r" + kRunLine + L"\n"), kRunLine);
    // Seen as one line by a reader that drops NULs.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"TZI\"=" + std::wstring(1, L'\0') + L"-\r\n"), L"\"TZI\"=-");
    // A continuation line is checked like any other.
    EXPECT_EQ(Check(kHead + kZonesLine + L"\r\n\"B\"=hex:00,\\\r\n  " + kRunLine + L"\r\n"), kRunLine);
}

} // namespace
} // namespace tarvane::test
