// The year settings text as Paste Year Settings reads it from the clipboard,
// where any program may have put any text.
#include "core/year_settings_text.h"
#include "fuzz_support.h"

#include <cstring>

using namespace tarvane;
using tarvane::fuzz::Check;

namespace {

bool Same(const DynamicYearRecord& a, const DynamicYearRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteSource input(data, size);
    const std::wstring text = input.Text(size / 2);

    DynamicYearRecord untouched{};
    std::memset(&untouched, 0xA5, sizeof untouched);
    DynamicYearRecord record = untouched;
    if (!ParseYearSettings(text, &record)) {
        Check(Same(record, untouched), "a refused text leaves the record as it was");
        return 0;
    }
    Check(record.rules.dstEnabled == 0 || record.rules.dstEnabled == 1, "dst reads as 0 or 1");
    Check(record.rules.standardOccurs >= 0 && record.rules.standardOccurs <= 2 &&
              record.rules.daylightOccurs >= 0 && record.rules.daylightOccurs <= 2,
          "an occurs kind is 0, 1 or 2");

    // What was read, copied again, reads back to the same settings and text.
    const std::wstring copied = FormatYearSettings(record);
    DynamicYearRecord again = untouched;
    Check(ParseYearSettings(copied, &again), "a copied year reads back");
    Check(Same(again, record), "a copied year reads back to the same settings");
    Check(FormatYearSettings(again) == copied, "a copied year copies to the same text");
    return 0;
}
