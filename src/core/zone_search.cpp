#include "core/zone_search.h"

#include "platform/text.h"

#include <cwctype>

namespace tarvane {

bool MatchesAtWordStart(std::wstring_view text, std::wstring_view typed) {
    if (typed.empty() || typed.size() > text.size()) {
        return false;
    }
    for (std::size_t at = 0; at + typed.size() <= text.size(); ++at) {
        const bool wordStart = at == 0 || (std::iswalnum(text[at]) && !std::iswalnum(text[at - 1]));
        if (wordStart && EqualNoCase(text.substr(at, typed.size()), typed)) {
            return true;
        }
    }
    return false;
}

} // namespace tarvane
