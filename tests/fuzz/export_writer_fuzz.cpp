// The registry export that a backup holds, over registries made from the
// fuzzer's bytes: read back strictly, a backup says exactly what the registry
// held, or is refused as a whole; it is never read as something else.
#include "backup/code_page.h"
#include "backup/make_backup.h"
#include "backup/registry_export.h"
#include "export_content.h"
#include "fuzz_support.h"
#include "platform/diagnostic_log.h"
#include "fakes/memory_registry.h"
#include "platform/text.h"

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

const std::wstring kInformationPath = std::wstring(kLocalMachineName) + L"\\" + kTimeZoneInformationPath;
const std::wstring kZonesPath = std::wstring(kLocalMachineName) + L"\\" + kTimeZonesPath;

// The export logs the values it leaves out; the fuzzer needs no log.
class QuietSink : public EventSink {
public:
    bool Report(std::wstring_view, WORD, DWORD, std::wstring_view) override { return true; }
};

constexpr DWORD kTypes[] = {REG_SZ, REG_DWORD, REG_BINARY, REG_EXPAND_SZ, REG_MULTI_SZ, REG_QWORD, REG_NONE};

// A name as the registry can hold it: no NUL, and for a key no backslash.
// Its UTF-16 units as this platform's text holds them: where wchar_t has 32
// bits, a surrogate pair is one character, as a backup read back gives it.
std::wstring Name(fuzz::ByteSource& input, std::size_t longest, bool key) {
    std::wstring name = input.Text(input.Byte() % (longest + 1));
    std::wstring kept;
    for (wchar_t ch : name) {
        if (ch != L'\0' && !(key && ch == L'\\')) {
            kept.push_back(ch);
        }
    }
    const std::vector<BYTE> units = ToUtf16Le(kept, false);
    return FromUtf16Le(units.data(), units.size() / 2);
}

// A string value as the export writes it: quoted (the text up to its first
// NUL, then one NUL) when every unit is printable ASCII or NUL, else as
// hex(1) with every byte.
std::vector<BYTE> ExportedString(const std::vector<BYTE>& data) {
    const std::size_t units = data.size() / 2;
    std::size_t end = units;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned unit = data[2 * i] | (data[2 * i + 1] << 8);
        if (unit != 0 && (unit < 0x20 || unit > 0x7F)) {
            return data;
        }
        if (unit == 0 && end == units) {
            end = i;
        }
    }
    std::vector<BYTE> quoted(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(end * 2));
    quoted.push_back(0);
    quoted.push_back(0);
    return quoted;
}

// What a backup of `registry` must hold, key by key in the export's order;
// false when it holds a key that the restore does not write (one below
// TimeZoneInformation), so that the backup may be refused as a whole.
bool Expect(const MemoryRegistry& registry, const std::wstring& path, bool allowSubKeys,
            ExportContent* content) {
    bool plain = true;
    ExportKey key;
    key.path = path;
    for (const std::wstring& name : registry.ValueNames(path)) {
        const MemoryRegistry::Value value = *registry.GetValue(path, name);
        if ((value.type == REG_DWORD && value.data.size() != 4) || !ExportLineCarriesName(name, false)) {
            continue; // left out, with a log line
        }
        ExportValue expected;
        expected.isDefault = name.empty();
        expected.name = name;
        expected.type = value.type;
        expected.data = value.type == REG_SZ ? ExportedString(value.data) : value.data;
        key.values.push_back(std::move(expected));
    }
    content->keys.push_back(std::move(key));
    for (const std::wstring& child : registry.SubKeyNames(path)) {
        if (ExportLineCarriesName(child, true)) {
            plain = Expect(registry, path + L"\\" + child, true, content) && allowSubKeys && plain;
        }
    }
    return plain;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietSink quiet;
    TheLog().SetSink(&quiet);

    fuzz::ByteSource input(data, size);
    MemoryRegistry registry;
    std::vector<std::wstring> keys = {kInformationPath, kZonesPath};
    for (const std::wstring& key : keys) {
        registry.PutKey(key);
    }
    for (int step = 0; step < 64 && !input.Empty(); ++step) {
        const BYTE what = input.Byte();
        const std::wstring& parent = keys[input.Byte() % keys.size()];
        if (what % 4 == 0) {
            const std::wstring name = Name(input, 40, true);
            if (!name.empty()) {
                keys.push_back(parent + L"\\" + name);
                registry.PutKey(keys.back());
            }
            continue;
        }
        const std::wstring name = Name(input, 24, false);
        const BYTE typeChoice = input.Byte();
        const DWORD type = typeChoice < 240 ? kTypes[typeChoice % std::size(kTypes)] : input.Dword();
        const std::size_t length = what % 4 == 1 ? input.Byte() % 9 : input.Word() % 400;
        registry.PutValue(parent, name, type, input.Bytes(length));
    }

    std::wstring text;
    Check(ExportTimeZoneDatabase(registry, text), "the export succeeds");
    ExportContent expected;
    const bool informationPlain = Expect(registry, kInformationPath, false, &expected);
    const bool plain = Expect(registry, kZonesPath, true, &expected) && informationPlain;

    ExportContent read;
    TextRefusal refusal;
    const bool accepted = ReadExportText(BackupFileBytes(text), DecodeCodePage, &read, &refusal);
    Check(accepted || !plain, "a backup of the time-zone keys alone is read");
    Check(!accepted || fuzz::SameContent(read, expected), "a backup reads back to what the registry held");
    return 0;
}
