// The inspection of a backup file before a restore: its bytes decoded by their
// mark, and the zone it names as current found in the decoded text.
#include "backup/backup_file.h"
#include "fuzz_support.h"
#include "platform/last_error.h"

using namespace tarvane;
using tarvane::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<BYTE> bytes(data, data + size);

    std::wstring whole;
    std::wstring cut;
    const bool decoded = DecodeBackupText(bytes, false, &whole);
    Check(DecodeBackupText(bytes, true, &cut) == decoded, "stopping at a NUL does not change the outcome");
    if (!decoded) {
        Check(whole.empty() && cut.empty(), "a refused file gives no text");
        Check(GetThreadLastError() == ERROR_NOT_SUPPORTED, "a file is refused only for its mark");
    } else {
        Check(cut == whole.substr(0, whole.find(L'\0')), "the text stops at its first NUL");
    }

    for (const bool legacy : {false, true}) {
        std::wstring keyName = L"untouched";
        const bool found = ReadBackupTimeZoneKey(bytes, legacy, keyName);
        Check(decoded || !found, "an undecodable file names no zone");
        Check(found || keyName.empty(), "no zone found leaves no name");
        if (!decoded) {
            continue;
        }
        std::wstring again;
        Check(FindBackupTimeZoneKey(cut, legacy, again) == found && again == keyName,
              "the bytes and their text name the same zone");
        Check(keyName.size() <= cut.size(), "the name comes from the text");
    }
    return 0;
}
