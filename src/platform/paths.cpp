#include "platform/paths.h"

namespace tarvane {

std::wstring WithTrailingSeparator(std::wstring_view path) {
    std::wstring result(path);
    if (result.empty() || result.back() == L'\\' || result.back() == L'/') {
        return result;
    }
    const std::size_t last = result.find_last_of(L"\\/");
    result.push_back(last == std::wstring::npos ? L'\\' : result[last]);
    return result;
}

} // namespace tarvane
