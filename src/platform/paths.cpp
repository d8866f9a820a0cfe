#include "platform/paths.h"

#include "platform/format.h"

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

std::wstring TrimBlanksAndLineBreaks(std::wstring_view text) {
    constexpr std::wstring_view blanks = L" \t\r\n";
    const std::size_t begin = text.find_first_not_of(blanks);
    if (begin == std::wstring_view::npos) {
        return std::wstring();
    }
    const std::size_t end = text.find_last_not_of(blanks);
    return std::wstring(text.substr(begin, end - begin + 1));
}

std::wstring NativeSystemFolderFrom(bool underWow64, bool isLegacyOs, std::wstring_view windowsFolder,
                                    std::wstring_view systemFolder) {
    if (underWow64 && !isLegacyOs) {
        return Format(L"%sSysNative\\", WithTrailingSeparator(TrimBlanksAndLineBreaks(windowsFolder)));
    }
    return WithTrailingSeparator(TrimBlanksAndLineBreaks(systemFolder));
}

} // namespace tarvane
