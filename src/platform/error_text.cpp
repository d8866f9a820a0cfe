#include "platform/error_text.h"

#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {

std::wstring CleanErrorText(std::wstring_view raw, DWORD code) {
    std::wstring trimmed = TrimWhiteSpace(raw);
    if (trimmed.empty()) {
        trimmed = Format(L"Error %d", code);
    }
    std::wstring text;
    text.reserve(trimmed.size());
    for (wchar_t ch : trimmed) {
        if (ch == L'\r') {
            continue;
        }
        text.push_back(ch == L'\n' ? L' ' : ch == L'%' ? L'#' : ch);
    }
    return text;
}

#ifndef _WIN32
// Off Windows there is no message table to ask.
std::wstring GetErrorText(DWORD code) {
    const LastErrorKeeper keep;
    if (code == 0) {
        return std::wstring();
    }
    return CleanErrorText(L"", code);
}
#endif

} // namespace tarvane
