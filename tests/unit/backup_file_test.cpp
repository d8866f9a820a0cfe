// Reading a backup file: encodings and the search for the current zone.
#include "backup/backup_file.h"

#include "backup/make_backup.h"
#include "memory_files.h"
#include "platform/last_error.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tarvane::test {
namespace {

const std::wstring kPath = L"C:\\b.trvbkp";
const std::wstring kText =
    L"Windows Registry Editor Version 5.00\n\n"
    L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\n"
    L"\"Bias\"=dword:000001e0\n"
    L"\"DaylightStart\"=hex:00,00,03,00,02,00,02,00,00,00,00,00,00,00,00,00\n"
    L"\"StandardName\"=\"Pacific Standard Time\"\n"
    L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"\n\n"
    L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones]\n\n";

std::vector<BYTE> Ascii(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

std::vector<BYTE> WithMark(std::vector<BYTE> mark, const std::vector<BYTE>& body) {
    mark.insert(mark.end(), body.begin(), body.end());
    return mark;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

struct BackupFileTest : ::testing::Test {
    MemoryFiles files;

    // The key found in the file holding `bytes`, or "<none>".
    std::wstring KeyOf(const std::vector<BYTE>& bytes, bool legacy = false) {
        files.files[kPath] = bytes;
        std::wstring key = L"junk";
        const bool found = ReadBackupTimeZoneKey(files, legacy, kPath, key);
        EXPECT_EQ(GetThreadLastError(), 0u);
        if (!found) {
            EXPECT_TRUE(key.empty());
            return L"<none>";
        }
        return key;
    }
    std::wstring KeyOfText(const std::wstring& text) {
        return KeyOf(WithMark({0xFF, 0xFE}, ToUtf16Le(text, false)));
    }
};

TEST_F(BackupFileTest, FileWrittenByMakeBackupYieldsTheKeyName) {
    EXPECT_EQ(KeyOf(BackupFileBytes(kText)), L"Pacific Standard Time");
    EXPECT_EQ(KeyOf(BackupFileBytes(kText), true), L"Pacific Standard Time");
}

TEST_F(BackupFileTest, EveryEncodingYieldsTheSameKeyName) {
    const std::vector<BYTE> ascii = Ascii(Narrow(ReplaceAll(kText, L"\n", L"\r\n")));
    EXPECT_EQ(KeyOf(WithMark({0xEF, 0xBB, 0xBF}, ascii)), L"Pacific Standard Time");
    EXPECT_EQ(KeyOf(ascii), L"Pacific Standard Time");
    std::vector<BYTE> bigEndian = ToUtf16Le(kText, false);
    for (std::size_t i = 0; i < bigEndian.size(); i += 2) {
        std::swap(bigEndian[i], bigEndian[i + 1]);
    }
    EXPECT_EQ(KeyOf(WithMark({0xFE, 0xFF}, bigEndian)), L"Pacific Standard Time");
}

TEST_F(BackupFileTest, Utf8AndAnsiDecodeTheirOwnCharacters) {
    const std::string header =
        "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\r\n";
    EXPECT_EQ(KeyOf(WithMark({0xEF, 0xBB, 0xBF},
                             Ascii(header + "\"TimeZoneKeyName\"=\"Z\xC3\xBCrich \xE2\x82\xAC\"\r\n"))),
              L"Z\x00FCrich \x20AC");
    // Malformed UTF-8 becomes replacement characters, never a read past the data.
    EXPECT_EQ(KeyOf(WithMark({0xEF, 0xBB, 0xBF}, Ascii(header + "\"TimeZoneKeyName\"=\"a\xE2\x82\"\r\n"))),
              L"a\xFFFD");
#ifdef _WIN32
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI code page here is " << ::GetACP();
    }
#endif
    EXPECT_EQ(KeyOf(Ascii(header + "\"TimeZoneKeyName\"=\"Z\xFCrich \x80\x81\"\r\n")),
              L"Z\x00FCrich \x20AC\x0081");
}

TEST_F(BackupFileTest, RefusedMarksFailWithNotSupported) {
    for (const std::vector<BYTE>& mark :
         {std::vector<BYTE>{0x00, 0x00, 0xFE, 0xFF}, std::vector<BYTE>{0x0E, 0xFE, 0xFF}}) {
        files.files[kPath] = WithMark(mark, ToUtf16Le(kText, false));
        std::wstring key = L"junk";
        EXPECT_FALSE(ReadBackupTimeZoneKey(files, false, kPath, key));
        EXPECT_EQ(GetThreadLastError(), ERROR_NOT_SUPPORTED);
        EXPECT_TRUE(key.empty());
    }
}

TEST_F(BackupFileTest, Utf16LittleEndianMarkWinsOverUtf32) {
    // FF FE 00 00 is UTF-16 little-endian whose first unit is NUL: an empty text.
    std::wstring text = L"x";
    files.files[kPath] = WithMark({0xFF, 0xFE, 0x00, 0x00}, ToUtf16Le(kText, false));
    EXPECT_TRUE(LoadTextFile(files, kPath, text));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(KeyOf(files.files[kPath]), L"<none>");
}

TEST_F(BackupFileTest, TextEndsAtTheFirstNulAndAnOddByteIsDropped) {
    std::vector<BYTE> bytes = WithMark({0xFF, 0xFE}, ToUtf16Le(L"ab", true));
    const std::vector<BYTE> tail = ToUtf16Le(L"cd", false);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    files.files[kPath] = bytes;
    std::wstring text;
    ASSERT_TRUE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(text, L"ab");
    files.files[kPath] = {0xFF, 0xFE, 'a', 0, 'b'};
    ASSERT_TRUE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(text, L"a");
    files.files[kPath] = {};
    ASSERT_TRUE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(text, L"");
    files.files[kPath] = {0xEF, 0xBB, 0xBF};
    ASSERT_TRUE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(text, L"");
}

TEST_F(BackupFileTest, LoaderFailures) {
    std::wstring text;
    std::wstring key;
    EXPECT_TRUE(LoadTextFile(files, L"C:\\missing.trvbkp", text)) << "a missing file loads as empty";
    EXPECT_EQ(GetThreadLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(ReadBackupTimeZoneKey(files, false, L"C:\\missing.trvbkp", key));
    EXPECT_EQ(GetThreadLastError(), 0u) << "then the value is simply not found";

    EXPECT_FALSE(ReadBackupTimeZoneKey(files, false, L"", key));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);

    files.files[kPath] = BackupFileBytes(kText);
    files.openError = DWORD{32};
    EXPECT_FALSE(ReadBackupTimeZoneKey(files, false, kPath, key));
    EXPECT_EQ(GetThreadLastError(), DWORD{32});
    files.openError.reset();

    files.sizeError = ERROR_INVALID_HANDLE;
    EXPECT_FALSE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_HANDLE);
    files.sizeError.reset();

    for (ULONGLONG size : {ULONGLONG{0x100000000}, ULONGLONG{0xFFFFFFF8}}) {
        files.reportedSize = size;
        EXPECT_FALSE(LoadTextFile(files, kPath, text));
        EXPECT_EQ(GetThreadLastError(), ERROR_BAD_LENGTH);
    }
    files.reportedSize.reset();

    files.readError = DWORD{33};
    EXPECT_FALSE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(GetThreadLastError(), DWORD{33});
    files.readError.reset();

    files.shortRead = 5;
    EXPECT_FALSE(LoadTextFile(files, kPath, text));
    EXPECT_EQ(files.openHandles, 0u);
}

TEST_F(BackupFileTest, HeaderMatchesWithoutRegardToCaseButNotWithTrailingSpace) {
    const std::wstring lower =
        ReplaceAll(kText, L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]",
                   L"[hkey_local_machine\\system\\currentcontrolset\\control\\timezoneinformation]");
    EXPECT_EQ(KeyOfText(lower), L"Pacific Standard Time");
    const std::wstring spaced = ReplaceAll(kText, L"TimeZoneInformation]\n", L"TimeZoneInformation] \n");
    EXPECT_EQ(KeyOfText(spaced), L"<none>");
    EXPECT_EQ(KeyOfText(ReplaceAll(kText, L"TimeZoneInformation]\n", L"TimeZoneInformation]\r\r\r\n")),
              L"Pacific Standard Time");
}

TEST_F(BackupFileTest, EscapesInTheQuotedValueAreUndone) {
    EXPECT_EQ(KeyOfText(ReplaceAll(kText, L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"",
                                   L"\"TimeZoneKeyName\"=\"A \\\"B\\\" C\\\\D\"")),
              L"A \"B\" C\\D");
}

TEST_F(BackupFileTest, HexadecimalKeyNameIsNotAccepted) {
    EXPECT_EQ(KeyOfText(ReplaceAll(kText, L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"",
                                   L"\"TimeZoneKeyName\"=hex(1):41,00,00,00")),
              L"<none>");
}

TEST_F(BackupFileTest, EmptyQuotedValueIsFoundEmpty) {
    files.files[kPath] = BackupFileBytes(
        ReplaceAll(kText, L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"", L"\"TimeZoneKeyName\"=\"\""));
    std::wstring key = L"x";
    EXPECT_TRUE(ReadBackupTimeZoneKey(files, false, kPath, key));
    EXPECT_EQ(key, L"");
}

TEST_F(BackupFileTest, ValueWithoutTheSectionHeaderIsNotFound) {
    EXPECT_EQ(KeyOfText(L"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n"
                        L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"\n\n"),
              L"<none>");
}

TEST_F(BackupFileTest, FirstMatchAnywhereAfterTheHeaderCounts) {
    EXPECT_EQ(
        KeyOfText(L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\n"
                  L"\"Other\"=\"1\"\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n\"timezonekeyname\"=\"Later\"\n"),
        L"Later");
}

TEST_F(BackupFileTest, LineBrokenInsideTheValueIsAbandoned) {
    const std::wstring header =
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\n";
    // A carriage return abandons the line; its line feed leads to the next line.
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"Broken\r\n\"TimeZoneKeyName\"=\"Good\"\n"), L"Good");
    // A bare line feed abandons the line and the line after it is not examined.
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"Broken\n\"TimeZoneKeyName\"=\"Skipped\"\nx\n"
                                 L"\"TimeZoneKeyName\"=\"Third\"\n"),
              L"Third");
    // A name without "=" and a quote is passed over.
    EXPECT_EQ(
        KeyOfText(header +
                  L"\"TimeZoneKeyName\"=dword:1\n\"TimeZoneKeyName\" =\"x\"\n\"TimeZoneKeyName\"=\"Ok\"\n"),
        L"Ok");
}

TEST_F(BackupFileTest, FileThatEndsInsideTheValueIsNotFound) {
    const std::wstring header =
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\n";
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"Pacific"), L"<none>");
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"Pacific\\"), L"<none>");
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\""), L"<none>");
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"="), L"<none>");
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"\r"), L"<none>");
    EXPECT_EQ(KeyOfText(header + L"\"TimeZoneKeyName\"=\"\n"), L"<none>");
    EXPECT_EQ(KeyOfText(header), L"<none>");
    EXPECT_EQ(KeyOfText(header.substr(0, header.size() - 1)), L"<none>");
}

TEST_F(BackupFileTest, EveryPrefixOfABackupIsReadWithinItsBounds) {
    // Under the address sanitizer any read past the text fails the test.
    const std::wstring full = ReplaceAll(kText, L"\n", L"\r\n");
    const std::size_t valueEnd = full.find(L"\"TimeZoneKeyName\"=\"Pacific Standard Time\"") + 41;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        std::wstring key;
        const bool found = FindBackupTimeZoneKey(full.substr(0, length), false, key);
        EXPECT_EQ(found, length >= valueEnd) << length;
        if (found) {
            EXPECT_EQ(key, L"Pacific Standard Time");
        }
    }
}

} // namespace
} // namespace tarvane::test
