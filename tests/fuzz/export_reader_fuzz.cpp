// The strict reading of a backup before a restore, its meaning checks, and
// the private copy written from what was read: the copy is what the registry
// import tool gets, so it must say exactly what the reading said.
#include "backup/code_page.h"
#include "backup/import_scope.h"
#include "backup/make_backup.h"
#include "backup/zone_value_check.h"
#include "export_content.h"
#include "fuzz_support.h"

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

bool HasValueOnLine(const ExportContent& content, std::size_t line) {
    for (const ExportKey& key : content.keys) {
        for (const ExportValue& value : key.values) {
            if (value.line == line) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<BYTE> bytes(data, data + size);
    ExportContent content;
    TextRefusal refusal;
    if (!ReadExportText(bytes, DecodeCodePage, &content, &refusal)) {
        Check(content.keys.empty(), "a refused file gives no keys");
        Check(refusal.line >= 1, "a refusal names a line");
        return 0;
    }
    Check(refusal.line == 0 && refusal.text.empty(), "a file read names no refused line");
    for (const ExportKey& key : content.keys) {
        Check(IsImportKeyAllowed(key.path), "only the time-zone keys are read");
    }
    TextRefusal meaning;
    const bool meaningful = CheckZoneValues(content, &meaning);
    Check(meaningful || HasValueOnLine(content, meaning.line),
          "a value refused for its meaning names its line");

    // The private copy reads back to what was read, and copies to itself.
    const std::wstring canonical = CanonicalExportText(content);
    ExportContent copy;
    TextRefusal copyRefusal;
    Check(ReadExportText(BackupFileBytes(canonical), DecodeCodePage, &copy, &copyRefusal),
          "the private copy is read");
    Check(fuzz::SameContent(copy, content), "the private copy holds what the file said");
    Check(CanonicalExportText(copy) == canonical, "the private copy of the copy is the copy");
    TextRefusal copyMeaning;
    Check(CheckZoneValues(copy, &copyMeaning) == meaningful, "the copy's meaning is the file's");
    return 0;
}
