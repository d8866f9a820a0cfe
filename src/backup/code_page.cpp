// The native build's code pages; Windows uses the system's (code_page_win32.cpp).
#ifndef _WIN32
#include "backup/code_page.h"

#include "platform/last_error.h"
#include "platform/text.h"

namespace tarvane {
namespace {

// Windows-1252 from 0x80 to 0x9F; the five unassigned bytes map to the C1
// control of the same value, as Windows maps them.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr wchar_t kReplacement = 0xFFFD;

void DecodeWindows1252(const BYTE* data, std::size_t size, std::wstring* text) {
    for (std::size_t i = 0; i < size; ++i) {
        const BYTE byte = data[i];
        text->push_back(byte >= 0x80 && byte <= 0x9F ? static_cast<wchar_t>(kWindows1252High[byte - 0x80])
                                                     : static_cast<wchar_t>(byte));
    }
}

// One code point per well-formed sequence; each maximal ill-formed part
// gives one replacement character.
void DecodeUtf8(const BYTE* data, std::size_t size, std::wstring* text) {
    std::size_t i = 0;
    while (i < size) {
        const BYTE lead = data[i];
        if (lead < 0x80) {
            text->push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        std::size_t need = 0;
        std::uint32_t code = 0;
        BYTE low = 0x80;
        BYTE high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            text->push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool ok = true;
        for (std::size_t k = 0; k < need; ++k, ++j) {
            const BYTE next = j < size ? data[j] : 0;
            const BYTE min = k == 0 ? low : 0x80;
            const BYTE max = k == 0 ? high : 0xBF;
            if (j >= size || next < min || next > max) {
                ok = false;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!ok) {
            text->push_back(kReplacement);
            i = j; // the well-formed prefix is consumed with the replacement
            continue;
        }
        if constexpr (sizeof(wchar_t) >= 4) {
            text->push_back(static_cast<wchar_t>(code));
        } else {
            if (code > 0xFFFF) {
                text->push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
                text->push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
            } else {
                text->push_back(static_cast<wchar_t>(code));
            }
        }
        i = j;
    }
}

} // namespace

bool DecodeCodePage(UINT codePage, const BYTE* data, std::size_t size, std::wstring* text) {
    text->clear();
    if (size == 0) {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (codePage == kUtf8CodePage) {
        DecodeUtf8(data, size, text);
    } else {
        DecodeWindows1252(data, size, text);
    }
    SetThreadLastError(0);
    return true;
}

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return EqualNoCase(a, b);
}

} // namespace tarvane
#endif
