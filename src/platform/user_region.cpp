#include "platform/user_region.h"

namespace tarvane {

std::wstring RegionCodeOrEmpty(std::wstring_view text) {
    const auto capital = [](wchar_t c) { return c >= L'A' && c <= L'Z'; };
    if (text.size() == 2 && capital(text[0]) && capital(text[1])) {
        return std::wstring(text);
    }
    return std::wstring();
}

} // namespace tarvane
