#include "backup/code_page.h"

#include <climits>

namespace tarvane {

bool DecodeCodePage(UINT codePage, const BYTE* data, std::size_t size, std::wstring* text) {
    text->clear();
    if (size == 0 || size > INT_MAX) {
        ::SetLastError(size == 0 ? ERROR_INVALID_PARAMETER : ERROR_BAD_LENGTH);
        return false;
    }
    const auto* bytes = reinterpret_cast<const char*>(data);
    const int length = ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length < 1) {
        return false;
    }
    text->resize(static_cast<std::size_t>(length));
    if (::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), text->data(), length) < 1) {
        const DWORD error = ::GetLastError();
        text->clear();
        ::SetLastError(error);
        return false;
    }
    ::SetLastError(0);
    return true;
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() > INT_MAX || b.size() > INT_MAX) {
        return false;
    }
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                            b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

} // namespace tarvane
