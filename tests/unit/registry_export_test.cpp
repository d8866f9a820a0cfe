// The registry-export text of the time-zone keys.
#include "backup/registry_export.h"

#include "log_capture.h"
#include "platform/last_error.h"
#include "fakes/memory_registry.h"
#include "platform/text.h"
#include "reg_file.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kInfo = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation";
const std::wstring kKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

std::wstring ExportKey(MemoryRegistry& registry, const std::wstring& path = L"SOFTWARE\\Test",
                       LONG* result = nullptr) {
    std::wstring text;
    const LONG status = ExportRegistryKey(registry, kHkeyLocalMachine, L"HKEY_LOCAL_MACHINE", path, text);
    if (result != nullptr) {
        *result = status;
    }
    return text;
}

std::vector<BYTE> Bytes(std::size_t count, BYTE first = 0) {
    std::vector<BYTE> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<BYTE>(first + i);
    }
    return bytes;
}

TEST(RegistryExport, KeyWithoutValuesIsItsLineAndOneEmptyLine) {
    MemoryRegistry registry;
    registry.PutKey(kKey);
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\n");
}

TEST(RegistryExport, DefaultValueFirstThenNamesInCaseInsensitiveOrder) {
    MemoryRegistry registry;
    registry.PutString(kKey, L"c", L"3");
    registry.PutString(kKey, L"b", L"2");
    registry.PutDword(kKey, L"", 7);
    registry.PutString(kKey, L"A", L"1");
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                                   L"@=dword:00000007\n"
                                   L"\"A\"=\"1\"\n"
                                   L"\"b\"=\"2\"\n"
                                   L"\"c\"=\"3\"\n\n");
}

TEST(RegistryExport, StringsEscapeBackslashAndQuoteAndStopAtTheFirstNul) {
    MemoryRegistry registry;
    registry.PutString(kKey, L"Path", L"C:\\Path");
    registry.PutString(kKey, L"Quote", L"say \"hi\"");
    registry.PutString(kKey, L"Empty", L"");
    std::vector<BYTE> cut = ToUtf16Le(L"ab", true);
    const std::vector<BYTE> tail = ToUtf16Le(L"cd", true);
    cut.insert(cut.end(), tail.begin(), tail.end());
    registry.PutValue(kKey, L"Cut", REG_SZ, cut);
    registry.PutValue(kKey, L"NoTerminator", REG_SZ, ToUtf16Le(L"xy", false));
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                                   L"\"Cut\"=\"ab\"\n"
                                   L"\"Empty\"=\"\"\n"
                                   L"\"NoTerminator\"=\"xy\"\n"
                                   L"\"Path\"=\"C:\\\\Path\"\n"
                                   L"\"Quote\"=\"say \\\"hi\\\"\"\n\n");
}

TEST(RegistryExport, StringsOutsidePrintableAsciiAreWrittenAsHexOneWithAllBytes) {
    MemoryRegistry registry;
    registry.PutString(kKey, L"Accent", L"\x00e9");
    registry.PutString(kKey, L"Tab", L"a\tb");
    std::vector<BYTE> hidden = ToUtf16Le(L"a", true);
    hidden.push_back(0x0A);
    hidden.push_back(0x00);
    registry.PutValue(kKey, L"Hidden", REG_SZ, hidden);
    registry.PutString(kKey, L"Del", L"\x7f~ ");
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                                   L"\"Accent\"=hex(1):e9,00,00,00\n"
                                   L"\"Del\"=\"\x7f~ \"\n"
                                   L"\"Hidden\"=hex(1):61,00,00,00,0a,00\n"
                                   L"\"Tab\"=hex(1):61,00,09,00,62,00,00,00\n\n");
}

TEST(RegistryExport, NameHoldingQuoteOrBackslashIsEscapedOthersStayAsStored) {
    MemoryRegistry registry;
    registry.PutDword(kKey, L"say \"x\"", 1);
    registry.PutDword(kKey, L"a\\b", 2);
    registry.PutDword(kKey, L"@ = [x] \x00e9", 3);
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                                   L"\"@ = [x] \x00e9\"=dword:00000003\n"
                                   L"\"a\\\\b\"=dword:00000002\n"
                                   L"\"say \\\"x\\\"\"=dword:00000001\n\n");
}

TEST(RegistryExport, DwordIsEightLowerCaseDigits) {
    MemoryRegistry registry;
    registry.PutDword(kKey, L"Bias", 60);
    registry.PutDword(kKey, L"Neg", 0xFFFFFFC4);
    EXPECT_EQ(ExportKey(registry),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"Bias\"=dword:0000003c\n\"Neg\"=dword:ffffffc4\n\n");
}

TEST(RegistryExport, DwordOfWrongSizeIsLeftOutAndLogged) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutValue(kKey, L"Short", REG_DWORD, {1, 2});
    registry.PutValue(kKey, L"", REG_DWORD, {1, 2, 3, 4, 5});
    registry.PutDword(kKey, L"Good", 1);
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"Good\"=dword:00000001\n\n");
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[122] Wrong size DWORD: Short", L"[122] Wrong size DWORD: "}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{0, 0}));
}

TEST(RegistryExport, TziOfFortyFourBytesWrapsAfterItsTwentyFourthByte) {
    MemoryRegistry registry;
    registry.PutValue(kKey, L"TZI", REG_BINARY, Bytes(44));
    EXPECT_EQ(ExportKey(registry),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
              L"\"TZI\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
              L"  18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b\n\n");
}

TEST(RegistryExport, ContinuationLinesHoldTwentyFiveBytesAndNoneFollowsTheLast) {
    MemoryRegistry registry;
    // 24 on the first line and 25 on the next: the 49th byte ends the value exactly at the wrap.
    registry.PutValue(kKey, L"B", REG_BINARY, Bytes(49, 0x80));
    const std::wstring text = ExportKey(registry);
    std::wstring expected = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"B\"=hex:";
    for (int i = 0; i < 49; ++i) {
        static const wchar_t digits[] = L"0123456789abcdef";
        const int byte = 0x80 + i;
        expected += digits[byte >> 4];
        expected += digits[byte & 15];
        if (i == 48) {
            expected += L"\n";
        } else if (i == 23) {
            expected += L",\\\n  ";
        } else {
            expected += L",";
        }
    }
    EXPECT_EQ(text, expected + L"\n");
}

TEST(RegistryExport, OtherTypesCarryTheirNumberInLowerCaseHex) {
    MemoryRegistry registry;
    registry.PutValue(kKey, L"Empty", REG_BINARY, {});
    registry.PutValue(kKey, L"Expand", REG_EXPAND_SZ, {0x41, 0});
    registry.PutValue(kKey, L"Multi", REG_MULTI_SZ, {0x41, 0, 0, 0});
    registry.PutValue(kKey, L"None", REG_NONE, {});
    registry.PutValue(kKey, L"Qword", REG_QWORD, Bytes(8));
    registry.PutValue(kKey, L"Odd", 0x12345, {0xAB});
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
                                   L"\"Empty\"=hex:\n"
                                   L"\"Expand\"=hex(2):41,00\n"
                                   L"\"Multi\"=hex(7):41,00,00,00\n"
                                   L"\"None\"=hex(0):\n"
                                   L"\"Odd\"=hex(12345):ab\n"
                                   L"\"Qword\"=hex(b):00,01,02,03,04,05,06,07\n\n");
}

TEST(RegistryExport, LongTypePrefixStartsTheColumnCountLater) {
    MemoryRegistry registry;
    // "hex(7):" counts 7, so the wrap comes after 23 bytes: 7 + 23 * 3 = 76.
    registry.PutValue(kKey, L"M", REG_MULTI_SZ, Bytes(30));
    const std::wstring text = ExportKey(registry);
    EXPECT_NE(text.find(L"15,16,\\\n  17,"), std::wstring::npos) << std::string(text.begin(), text.end());
}

TEST(RegistryExport, SubkeysFollowDepthFirstInRegistryOrder) {
    MemoryRegistry registry;
    registry.PutDword(kKey, L"v", 1);
    registry.PutDword(kKey + L"\\B", L"v", 2);
    registry.PutDword(kKey + L"\\A\\Deep", L"v", 3);
    registry.PutKey(kKey + L"\\A");
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"v\"=dword:00000001\n\n"
                                   L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\A]\n\n"
                                   L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\A\\Deep]\n\"v\"=dword:00000003\n\n"
                                   L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\B]\n\"v\"=dword:00000002\n\n");
}

TEST(RegistryExport, WholeDatabaseHasHeaderBothKeysAndEndsWithOneEmptyLine) {
    MemoryRegistry registry;
    registry.PutString(kInfo, L"TimeZoneKeyName", L"Zone A");
    PutZone(registry, SimpleZone(L"Zone A", 60));
    std::wstring text = L"old content";
    SetThreadLastError(99);
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(GetThreadLastError(), 0u);
    EXPECT_EQ(text.rfind(L"Windows Registry Editor Version 5.00\n\n[" + kInfo +
                             L"]\n\"TimeZoneKeyName\"=\"Zone A\"\n\n[",
                         0),
              0u);
    EXPECT_NE(text.find(L"\n\n[" + kTimeZonesFullPath + L"]\n\n[" + kTimeZonesFullPath + L"\\Zone A]\n"),
              std::wstring::npos);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\n\n") << "ends with one empty line";
    EXPECT_NE(text[text.size() - 3], L'\n');

    // The text reads back into exactly the registry's keys and values.
    RegFile file;
    std::string error;
    ASSERT_TRUE(ParseRegText(text, &file, &error)) << error;
    EXPECT_EQ(file.size(), 3u);
    MemoryRegistry copy;
    ApplyRegFile(copy, file);
    std::wstring again;
    ASSERT_TRUE(ExportTimeZoneDatabase(copy, again));
    EXPECT_EQ(again, text);
}

TEST(RegistryExport, MissingTopKeyFailsTheWholeExportWithItsCode) {
    MemoryRegistry registry;
    registry.PutKey(kTimeZonesFullPath);
    std::wstring text;
    EXPECT_FALSE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);

    registry.PutKey(kInfo);
    registry.InjectFault(RegFault(RegOp::QueryInfo, kTimeZonesFullPath).Error(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(RegistryExport, ValueThatGrewBeyondTheBuffersIsLoggedAndLeftOut) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutValue(kKey, L"A", REG_BINARY, Bytes(4));
    registry.PutValue(kKey, L"B", REG_BINARY, Bytes(2));
    registry.InjectFault(RegFault(RegOp::EnumValue, kKey).Value(L"B").Size(4000));
    EXPECT_EQ(ExportKey(registry), L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"A\"=hex:00,01,02,03\n\n");
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{
                                  L"[121] MORE_DATA_ERROR: 234, Value index: 1, key: 'SOFTWARE\\Test'"});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{234});
}

TEST(RegistryExport, FailedValueEnumerationKeepsEarlierValuesAndSubkeys) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutDword(kKey, L"a", 1);
    registry.PutDword(kKey, L"b", 2);
    registry.PutDword(kKey, L"c", 3);
    registry.PutDword(kKey + L"\\Sub", L"x", 4);
    registry.InjectFault(RegFault(RegOp::EnumValue, kKey).At(1).Error(ERROR_ACCESS_DENIED));
    LONG result = -1;
    EXPECT_EQ(ExportKey(registry, L"SOFTWARE\\Test", &result),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"a\"=dword:00000001\n\n"
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Sub]\n\"x\"=dword:00000004\n\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.Messages(),
              std::vector<std::wstring>{L"[123] OSErr: 5, Value index: 1, key: 'SOFTWARE\\Test'"});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{5});
}

TEST(RegistryExport, SubkeyNameTooLongIsLoggedAndSkipped) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutKey(kKey + L"\\" + std::wstring(1100, L'k'));
    registry.PutKey(kKey + L"\\z");
    LONG result = -1;
    EXPECT_EQ(ExportKey(registry, L"SOFTWARE\\Test", &result),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\z]\n\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.Messages(), std::vector<std::wstring>{
                                  L"[124] MORE_DATA_ERROR: 234, Subkey index: 0, key: 'SOFTWARE\\Test'"});
}

TEST(RegistryExport, NamesThatALineCannotCarryAreLoggedAndLeftOut) {
    // A line break in a value name, or a control character in a key name,
    // would come back from the backup changed or make it unreadable.
    LogCapture log;
    MemoryRegistry registry;
    registry.PutDword(kKey, L"two\rlines", 1);
    registry.PutDword(kKey, L"two\nlines", 2);
    registry.PutDword(kKey, L"tab\tkept", 3);
    registry.PutKey(kKey + L"\\cr\rzone\\Dynamic DST");
    registry.PutKey(kKey + L"\\zone");
    LONG result = -1;
    EXPECT_EQ(ExportKey(registry, L"SOFTWARE\\Test", &result),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\"tab\tkept\"=dword:00000003\n\n"
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\zone]\n\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{
                  L"[290] Line break in name, Value index: 0, key: 'SOFTWARE\\Test'",
                  L"[290] Line break in name, Value index: 1, key: 'SOFTWARE\\Test'",
                  L"[291] Control character in name, Subkey index: 0, key: 'SOFTWARE\\Test'"}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{13, 13, 13}));
}

TEST(RegistryExport, FailedSubkeyEnumerationBecomesTheKeysResult) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutKey(kKey + L"\\a");
    registry.PutKey(kKey + L"\\b");
    registry.InjectFault(RegFault(RegOp::EnumKey, kKey).At(1).Error(ERROR_ACCESS_DENIED));
    LONG result = 0;
    EXPECT_EQ(ExportKey(registry, L"SOFTWARE\\Test", &result),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\a]\n\n");
    EXPECT_EQ(result, 5);
    EXPECT_EQ(log.Messages(),
              std::vector<std::wstring>{L"[125] OSErr: 5, Subkey index: 1, key: 'SOFTWARE\\Test'"});
    EXPECT_EQ(log.LastErrors(), std::vector<LONG>{5});
}

TEST(RegistryExport, FailingChildIsReportedByItsParentAndTheExportGoesOn) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutKey(kKey + L"\\a\\inner");
    registry.PutKey(kKey + L"\\b");
    registry.PutKey(kKey + L"\\c");
    registry.InjectFault(RegFault(RegOp::Open, kKey + L"\\b").Error(ERROR_ACCESS_DENIED));
    registry.InjectFault(RegFault(RegOp::EnumKey, kKey + L"\\a").At(0).Error(ERROR_INVALID_HANDLE));
    LONG result = -1;
    EXPECT_EQ(ExportKey(registry, L"SOFTWARE\\Test", &result),
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\a]\n\n"
              L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\c]\n\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.Messages(),
              (std::vector<std::wstring>{L"[125] OSErr: 6, Subkey index: 0, key: 'SOFTWARE\\Test\\a'",
                                         L"[126] OSErr: 6, Subkey Values: 'SOFTWARE\\Test\\a'",
                                         L"[126] OSErr: 5, Subkey Values: 'SOFTWARE\\Test\\b'"}));
    EXPECT_EQ(log.LastErrors(), (std::vector<LONG>{6, 6, 5}));
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(RegistryExport, FailedTopLevelSubkeyEnumerationFailsTheWholeExport) {
    LogCapture log;
    MemoryRegistry registry;
    registry.PutKey(kInfo);
    registry.PutKey(kTimeZonesFullPath + L"\\Zone");
    registry.InjectFault(RegFault(RegOp::EnumKey, kTimeZonesFullPath).Error(ERROR_ACCESS_DENIED));
    std::wstring text;
    EXPECT_FALSE(ExportTimeZoneDatabase(registry, text));
    EXPECT_EQ(GetThreadLastError(), ERROR_ACCESS_DENIED);
}

} // namespace
} // namespace tarvane::test
