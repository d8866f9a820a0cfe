// The strict reading of a backup, its meaning checks and the canonical copy.
#include "backup/export_text_reader.h"

#include "backup/code_page.h"
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "backup/zone_value_check.h"
#include "fakes/memory_registry.h"
#include "platform/text.h"
#include "zone_fixtures.h"

#include <gtest/gtest.h>

namespace tarvane::test {
namespace {

const std::wstring kZoneKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Z";
const std::wstring kRunKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<BYTE> Utf16File(const std::wstring& text) {
    std::vector<BYTE> bytes = {0xFF, 0xFE};
    const std::vector<BYTE> body = ToUtf16Le(text, false);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::vector<BYTE> ByteFile(const std::string& text) {
    return std::vector<BYTE>(text.begin(), text.end());
}

// Every key and value, one a line, for readable comparisons.
std::string Describe(const ExportContent& content) {
    std::string out;
    const auto narrow = [](const std::wstring& text) {
        std::string n;
        for (wchar_t ch : text) {
            n += static_cast<unsigned>(ch) < 0x80 ? static_cast<char>(ch) : '?';
        }
        return n;
    };
    for (const ExportKey& key : content.keys) {
        out += "[" + narrow(key.path) + "]\n";
        for (const ExportValue& value : key.values) {
            out += (value.isDefault ? std::string("@") : "\"" + narrow(value.name) + "\"") + " type " +
                   std::to_string(value.type) + ":";
            for (BYTE byte : value.data) {
                out += " " + std::to_string(byte);
            }
            out += "\n";
        }
    }
    return out;
}

// Reads `bytes`; on success the canonical copy must read back to the same.
std::string Read(const std::vector<BYTE>& bytes, TextRefusal* refusal = nullptr,
                 CodePageDecoder decode = DecodeCodePage) {
    ExportContent content;
    TextRefusal local;
    TextRefusal* out = refusal ? refusal : &local;
    if (!ReadExportText(bytes, decode, &content, out)) {
        EXPECT_TRUE(content.keys.empty());
        return "refused at line " + std::to_string(out->line);
    }
    ExportContent again;
    TextRefusal none;
    EXPECT_TRUE(ReadExportText(BackupFileBytes(CanonicalExportText(content)), decode, &again, &none))
        << "canonical copy refused at line " << none.line;
    EXPECT_EQ(Describe(again), Describe(content)) << "the canonical copy reads back the same";
    return Describe(content);
}

// One value line below the zone key of a version 5 file.
std::string ReadValueLine(const std::wstring& line) {
    return Read(
        Utf16File(L"Windows Registry Editor Version 5.00\r\n\r\n[" + kZoneKey + L"]\r\n" + line + L"\r\n"));
}

std::string Expect(const char* value) {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\Z]\n" +
           std::string(value) + "\n";
}

TEST(ExportTextReader, EachValueLineFormIsReadToItsTypeAndBytes) {
    const struct {
        std::wstring line;
        const char* expected;
    } cases[] = {
        {L"\"S\"=\"a\\\\b\\\"c\"", "\"S\" type 1: 97 0 92 0 98 0 34 0 99 0 0 0"},
        {L"@=\"\"", "@ type 1: 0 0"},
        {L"\"\"=\"x\"", "\"\" type 1: 120 0 0 0"},
        {L"  \"Tab\" \t= \t\"a\tb \x00e9\"  ", "\"Tab\" type 1: 97 0 9 0 98 0 32 0 233 0 0 0"},
        {L"\"n\\\"=-\\\\\"=\"x\"", "\"n\"=-\\\" type 1: 120 0 0 0"},
        {L"\"D\"=dword:0000003C", "\"D\" type 4: 60 0 0 0"},
        {L"\"D\"=dword:ffffffc4 ", "\"D\" type 4: 196 255 255 255"},
        {L"\"B\"=hex:01,ab,FF", "\"B\" type 3: 1 171 255"},
        {L"\"B\"=hex:", "\"B\" type 3:"},
        {L"\"B\" = hex: 01 , 02 ", "\"B\" type 3: 1 2"},
        {L"\"B\"=hex:01,\\\r\n  02, 03 ,\\\r\n\t04", "\"B\" type 3: 1 2 3 4"},
        {L"\"B\"=hex:\\\r\n  05", "\"B\" type 3: 5"},
        {L"\"X\"=hex(2):25,00,00,00", "\"X\" type 2: 37 0 0 0"},
        {L"\"M\"=hex(7):41,00,00,00,00,00", "\"M\" type 7: 65 0 0 0 0 0"},
        {L"\"U\"=hex(1):61,00", "\"U\" type 1: 97 0"},
        {L"\"U\"=hex(1):61,00,00,00,62,00,00,00", "\"U\" type 1: 97 0 0 0 98 0 0 0"},
        {L"\"W\"=hex(4):01,02", "\"W\" type 4: 1 2"},
        {L"\"N\"=hex(0):", "\"N\" type 0:"},
        {L"\"Q\"=hex(b):01,02,03,04,05,06,07,08", "\"Q\" type 11: 1 2 3 4 5 6 7 8"},
        {L"\"O\"=hex(FFFFFFFF):00", "\"O\" type 4294967295: 0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadValueLine(c.line), Expect(c.expected)) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(ExportTextReader, AnythingNotPlainlyUnderstoodRefusesItsLine) {
    const std::wstring refused[] = {
        L"\"A\"=-",
        L"\"A\" = -",
        L"@=-",
        L"[-" + kZoneKey + L"]",
        L"[" + kRunKey + L"]",
        L"[" + kZoneKey + L"] x",
        L"[" + kZoneKey + L"\\]",
        L"[" + kZoneKey + L"\\\\Y]",
        L"[" + kZoneKey,
        L"\"A\"=\"x\\ny\"",
        L"\"A\\n\"=\"x\"",
        L"\"A\"=\"x",
        L"\"A\"=\"x\" ; comment",
        L"\"A\"=\"x\"\"",
        L"\"A\"\"x\"",
        L"\"A\"=",
        L"\"A\"=str:x",
        L"\"A\"=dword:123",
        L"\"A\"=dword:123456789",
        L"\"A\"=dword:0000000g",
        L"\"A\"=DWORD:00000001",
        L"\"A\"=hex:1,2",
        L"\"A\"=hex:012",
        L"\"A\"=hex:01,",
        L"\"A\"=hex:01,,02",
        L"\"A\"=hex:01\\",
        L"\"A\"=hex:0x01",
        L"\"A\"=HEX:01",
        L"\"A\"=hex(:01",
        L"\"A\"=hex():01",
        L"\"A\"=hex(123456789):01",
        L"\"A\"=hex(2)01",
        L"A=\"x\"",
        L"# comment",
        L"\"A\"=\"x\"\r\"B\"=\"y\"",
        L"\"A\"=\"x" + std::wstring(1, L'\0') + L"\"",
    };
    for (const std::wstring& line : refused) {
        TextRefusal refusal;
        EXPECT_EQ(Read(Utf16File(L"Windows Registry Editor Version 5.00\r\n\r\n[" + kZoneKey + L"]\r\n" +
                                 line + L"\r\n\"Next\"=\"x\"\r\n"),
                       &refusal),
                  "refused at line 4")
            << std::string(line.begin(), line.end());
    }
    // A continuation that never ends, or goes on with a line that is not data.
    const struct {
        std::wstring tail;
        const char* expected;
    } continuations[] = {
        {L"\"A\"=hex:01,\\\r\n", "refused at line 4"},
        {L"\"A\"=hex:01,\\\r\n\r\n\"B\"=\"x\"\r\n", "refused at line 5"},
        {L"\"A\"=hex:01,\\\r\n; comment\r\n", "refused at line 5"},
        {L"\"A\"=hex:01,\\\r\n[" + kZoneKey + L"]\r\n", "refused at line 5"},
    };
    for (const auto& c : continuations) {
        EXPECT_EQ(Read(Utf16File(L"REGEDIT4\r\n\r\n[" + kZoneKey + L"]\r\n" + c.tail)), c.expected);
    }
    EXPECT_EQ(Read(Utf16File(L"REGEDIT4\r\n\r\n\"A\"=\"x\"\r\n[" + kZoneKey + L"]\r\n")), "refused at line 3")
        << "a value before any key";
}

TEST(ExportTextReader, CommentsBlankLinesAndBothHeadersAreRead) {
    const std::wstring body =
        L"; a comment\r\n\r\n \t \r\n[" + kZoneKey + L"]\r\n  ; another\r\n\"A\"=\"x\"\r\n";
    const std::string expected = Expect("\"A\" type 1: 120 0 0 0");
    EXPECT_EQ(Read(Utf16File(L"Windows Registry Editor Version 5.00\r\n" + body)), expected);
    EXPECT_EQ(Read(Utf16File(L"  REGEDIT4 \r\n" + body)), expected);
    EXPECT_EQ(Read(Utf16File(L"REGEDIT4\n" + ReplaceAll(body, L"\r\n", L"\n"))), expected)
        << "bare line feeds";
    EXPECT_EQ(Read(Utf16File(L"REGEDIT 4\r\n" + body)), "refused at line 1");
}

// A double-byte code page as the import tool meets it: 0x81 is a lead byte
// that takes the next byte, whatever it is, into one character.
bool DecodeDoubleByte(UINT, const BYTE* data, std::size_t size, std::wstring* text) {
    text->clear();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0x81) {
            text->push_back(static_cast<wchar_t>(0x3000 + (i + 1 < size ? data[++i] : 0)));
        } else {
            text->push_back(static_cast<wchar_t>(data[i]));
        }
    }
    return true;
}

TEST(ExportTextReader, EncodingsNulAndDoubleByteLeadBytes) {
    const std::wstring text =
        L"Windows Registry Editor Version 5.00\r\n\r\n[" + kZoneKey + L"]\r\n\"A\"=\"\x00e9\"\r\n";
    const std::string expected = Expect("\"A\" type 1: 233 0 0 0");
    EXPECT_EQ(Read(Utf16File(text)), expected);
    std::vector<BYTE> bigEndian = Utf16File(text);
    for (std::size_t i = 0; i + 1 < bigEndian.size(); i += 2) {
        std::swap(bigEndian[i], bigEndian[i + 1]);
    }
    EXPECT_EQ(Read(bigEndian), expected);
    const std::string narrow(text.begin(), text.end());
    std::string utf8 = narrow;
    utf8.replace(utf8.find('\xE9'), 1, "\xC3\xA9");
    EXPECT_EQ(Read(ByteFile("\xEF\xBB\xBF" + utf8)), expected);
    EXPECT_EQ(Read(ByteFile(narrow), nullptr, DecodeDoubleByte), expected) << "ANSI without a mark";

    // A NUL anywhere, a half unit at the end, a last line without its line feed.
    std::vector<BYTE> withNul = Utf16File(text);
    withNul[withNul.size() - 8] = 0;
    withNul[withNul.size() - 7] = 0;
    EXPECT_EQ(Read(withNul), "refused at line 4");
    EXPECT_EQ(Read(ByteFile(narrow.substr(0, narrow.size() - 4) + std::string(1, '\0') + "\"\r\n"), nullptr,
                   DecodeDoubleByte),
              "refused at line 4");
    std::vector<BYTE> odd = Utf16File(text);
    odd.push_back(0x41);
    EXPECT_EQ(Read(odd), "refused at line 5");
    EXPECT_EQ(Read(Utf16File(text.substr(0, text.size() - 2))), "refused at line 4");
    EXPECT_EQ(Read(ByteFile(narrow.substr(0, narrow.size() - 1)), nullptr, DecodeDoubleByte),
              "refused at line 4")
        << "CR without LF";

    // The lead byte before the line feed would hide the Run key in one
    // decoded line; split on the raw bytes first, the key is a line of its own.
    const std::string hidden = "REGEDIT4\r\n[" + std::string(kZoneKey.begin(), kZoneKey.end()) +
                               "]\r\n;x\x81\n[" + std::string(kRunKey.begin(), kRunKey.end()) +
                               "]\r\n\"Evil\"=\"x\"\r\n";
    std::wstring whole;
    DecodeDoubleByte(0, reinterpret_cast<const BYTE*>(hidden.data()), hidden.size(), &whole);
    EXPECT_EQ(whole.find(L"\n[" + kRunKey), std::wstring::npos) << "decoded whole, the line feed is gone";
    TextRefusal refusal;
    EXPECT_EQ(Read(ByteFile(hidden), &refusal, DecodeDoubleByte), "refused at line 4");
    EXPECT_EQ(refusal.text, L"[" + kRunKey + L"]");
}

TEST(ExportTextReader, Regedit4StringDataIsCodePageTextAndBecomesUtf16) {
    EXPECT_EQ(Read(ByteFile("REGEDIT4\r\n[" + std::string(kZoneKey.begin(), kZoneKey.end()) +
                            "]\r\n\"X\"=hex(2):25,e9,00\r\n\"B\"=hex:e9\r\n\"S\"=\"\xE9\"\r\n"),
                   nullptr, DecodeDoubleByte),
              Expect("\"X\" type 2: 37 0 233 0 0 0\n\"B\" type 3: 233\n\"S\" type 1: 233 0 0 0"));
}

TEST(ExportTextReader, EveryExportIsItsOwnCanonicalCopy) {
    MemoryRegistry registry;
    PutAwkwardZones(registry);
    const std::wstring path = ZonePath(L"Zone A");
    registry.PutString(path, L"Weird \\ \"name\"", L"x");
    registry.PutString(path, L"MUI_Display", L"@tzres.dll,-110", REG_EXPAND_SZ);
    registry.PutValue(path, L"Cut", REG_SZ, {0x61, 0, 0, 0, 0x62, 0});
    registry.PutValue(path, L"Odd", REG_SZ, {0x61, 0, 0x62});
    std::wstring text;
    ASSERT_TRUE(ExportTimeZoneDatabase(registry, text));
    ExportContent content;
    TextRefusal refusal;
    ASSERT_TRUE(ReadExportText(BackupFileBytes(text), DecodeCodePage, &content, &refusal)) << refusal.line;
    EXPECT_TRUE(CheckZoneValues(content, &refusal));
    EXPECT_EQ(CanonicalExportText(content), text);
    EXPECT_NE(Read(BackupFileBytes(text)).find("\"Weird \\ \"name\"\" type 1: 120 0 0 0"), std::string::npos)
        << "an escaped name comes back under its own name";
}

TEST(ZoneValueCheck, ValuesTheLoaderReadsMustHaveItsTypeAndSize) {
    const std::wstring tzi = L"hex:" + ReplaceAll(std::wstring(43, L'x'), L"x", L"00,") + L"00";
    const std::wstring short_tzi = L"hex:00,01";
    const std::wstring years = L"[" + kZoneKey + L"\\Dynamic DST]\r\n";
    const std::wstring zone = L"[" + kZoneKey + L"]\r\n";
    const struct {
        std::wstring lines;
        std::size_t refused; // 0: accepted
    } cases[] = {
        {zone + L"\"TZI\"=" + tzi + L"\r\n\"Display\"=\"x\"\r\n\"Std\"=hex(2):41,00\r\n\"Dlt\"=\"\"", 0},
        {zone + L"\"MUI_Std\"=dword:00000001\r\n@=dword:00000001\r\n\"Index\"=hex:01", 0},
        {zone + L"\"TZI\"=" + short_tzi, 4},
        {zone + L"\"Display\"=\"x\"\r\n\"tzi\"=hex(4):" + tzi.substr(4), 5},
        {zone + L"\"Display\"=dword:00000001", 4},
        {zone + L"\"Dlt\"=hex(1):", 4},
        {years + L"\"FirstEntry\"=dword:000007d6\r\n\"LastEntry\"=dword:000007d7\r\n\"2006\"=" + tzi, 0},
        {years + L"\"02006\"=hex:01\r\n\"Index\"=hex:01\r\n\"MUI\"=\"x\"", 0},
        {years + L"\"FirstEntry\"=hex(4):d6,07", 4},
        {years + L"\"LastEntry\"=\"2007\"", 4},
        {years + L"\"FirstEntry\"=dword:000007d6\r\n\"2006\"=hex:01", 5},
        {years + L"\"2007\"=hex(3):" + tzi.substr(4) + L",00", 4},
        {L"[" + kZoneKey + L"\\Dynamic DST\\Deeper]\r\n\"2006\"=hex:01", 0},
        {L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time "
         L"Zones]\r\n\"TZI\"=hex:01",
         0},
        {L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation]\r\n\"TZI\"=hex:01",
         0},
    };
    for (const auto& c : cases) {
        ExportContent content;
        TextRefusal refusal;
        ASSERT_TRUE(
            ReadExportText(Utf16File(L"Windows Registry Editor Version 5.00\r\n\r\n" + c.lines + L"\r\n"),
                           DecodeCodePage, &content, &refusal));
        EXPECT_EQ(CheckZoneValues(content, &refusal), c.refused == 0)
            << std::string(c.lines.begin(), c.lines.end());
        EXPECT_EQ(refusal.line, c.refused);
    }
}

} // namespace
} // namespace tarvane::test
