#include "platform/text.h"

#include <climits>
#include <cwctype>

namespace tarvane {
namespace {

// Outside the basic plane: takes two UTF-16 units. Only a 32-bit wchar_t holds these.
bool IsSupplementary(std::uint32_t code) {
    return code > 0xFFFF && code <= 0x10FFFF;
}

} // namespace

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
#ifdef _WIN32
    const std::wstring left(a);
    const std::wstring right(b);
    return ::lstrcmpiW(left.c_str(), right.c_str());
#else
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = std::towlower(static_cast<wint_t>(a[i]));
        const auto y = std::towlower(static_cast<wint_t>(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
#endif
}

bool EqualKeyNames(std::wstring_view a, std::wstring_view b) {
#ifdef _WIN32
    if (a.size() > INT_MAX || b.size() > INT_MAX) {
        return false;
    }
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
#else
    return EqualAsciiNoCase(a, b);
#endif
}

bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto upper = [](wchar_t ch) {
        return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - 32) : ch;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

std::wstring PrintableAsciiText(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(byte >= 0x20 && byte < 0x7F ? static_cast<wchar_t>(byte) : L'?');
    }
    return text;
}

int HexDigitValue(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') {
        return ch - L'0';
    }
    if (ch >= L'a' && ch <= L'f') {
        return ch - L'a' + 10;
    }
    if (ch >= L'A' && ch <= L'F') {
        return ch - L'A' + 10;
    }
    return -1;
}

std::vector<BYTE> ToUtf16Le(std::wstring_view text, bool withTerminator) {
    std::vector<BYTE> bytes;
    bytes.reserve((text.size() + 1) * 2);
    auto put = [&bytes](std::uint32_t unit) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
    };
    for (wchar_t ch : text) {
        const auto code = static_cast<std::uint32_t>(ch);
        if (IsSupplementary(code)) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code & 0xFFFF);
        }
    }
    if (withTerminator) {
        put(0);
    }
    return bytes;
}

std::wstring FromUtf16Le(const BYTE* data, std::size_t units) {
    std::wstring text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = data[2 * i] | (static_cast<std::uint32_t>(data[2 * i + 1]) << 8);
        if constexpr (sizeof(wchar_t) >= 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                const std::uint32_t low =
                    data[2 * i + 2] | (static_cast<std::uint32_t>(data[2 * i + 3]) << 8);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

std::string ToUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto code = static_cast<std::uint32_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            bytes.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return bytes;
}

std::size_t Utf16Length(std::wstring_view text) {
    std::size_t units = text.size();
    if constexpr (sizeof(wchar_t) >= 4) {
        for (wchar_t ch : text) {
            if (IsSupplementary(static_cast<std::uint32_t>(ch))) {
                ++units;
            }
        }
    }
    return units;
}

std::wstring TrimWhiteSpace(std::wstring_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::iswspace(static_cast<wint_t>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) {
        --end;
    }
    return std::wstring(text.substr(begin, end - begin));
}

long long ReadDecimal(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value < LLONG_MAX / 100) {
            value = value * 10 + (text[i] - L'0');
        }
    }
    return negative ? -value : value;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
    std::wstring out;
    if (from.empty()) {
        return std::wstring(text);
    }
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::wstring_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos)).append(to);
        pos = hit + from.size();
    }
}

} // namespace tarvane
