// Text helpers shared by every layer. Text is std::wstring; where bytes cross a
// boundary (registry data, files, the clipboard) they are UTF-16 little-endian,
// and these helpers convert explicitly, so the code stays right where wchar_t
// is 32 bits.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvane {

// Case-insensitive comparison with the sign of lstrcmpiW.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
inline bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareNoCase(a, b) == 0;
}

// Equal when only ASCII letters differ in case. For names that decide what a
// file may do: a name that matches only through some other folding (a dotless
// i, a Turkish locale) does not match.
bool EqualAsciiNoCase(std::wstring_view a, std::wstring_view b);

// Key and value names as the registry tells them apart: ordinal, without
// regard to case (CompareStringOrdinal with bIgnoreCase on Windows, ASCII
// letters folded elsewhere), never by the rules of a locale. For the names
// that decide what a command acts on.
bool EqualKeyNames(std::wstring_view a, std::wstring_view b);

// Bytes of outside text that should be printable ASCII, as text: any other
// byte becomes '?', so that a name or a message never carries what it read
// raw.
std::wstring PrintableAsciiText(std::string_view bytes);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(wchar_t ch);

// UTF-16 little-endian bytes of `text`, with a terminating NUL when asked.
std::vector<BYTE> ToUtf16Le(std::wstring_view text, bool withTerminator);

// The text of `units` UTF-16 units read little-endian from `data`. NULs are kept.
std::wstring FromUtf16Le(const BYTE* data, std::size_t units);

// UTF-8 bytes of `text`, without a byte-order mark; an unpaired surrogate
// becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Number of UTF-16 units `text` takes.
std::size_t Utf16Length(std::wstring_view text);

// `text` without the white space (as iswspace classifies it) at both ends.
std::wstring TrimWhiteSpace(std::wstring_view text);

// The number at the start of `text`: leading blanks and tabs and a sign, then
// digits up to the first other character; no digits reads 0. Saturates
// instead of overflowing.
long long ReadDecimal(std::wstring_view text);

// Every occurrence of `from` in `text` replaced by `to`.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

} // namespace tarvane
