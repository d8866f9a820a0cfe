// Text services of the system's code pages, as the backup reader uses them:
// MultiByteToWideChar and CompareStringW on Windows. Where there is no
// Windows code-page service (the native build), the ANSI code page is
// Windows-1252 and UTF-8 is decoded as MultiByteToWideChar does without flags
// (a malformed sequence becomes U+FFFD).
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvane {

inline constexpr UINT kAnsiCodePage = 0;     // CP_ACP
inline constexpr UINT kUtf8CodePage = 65001; // CP_UTF8

// Converts `size` bytes (size > 0) of the code page into `text`: one call for
// the length, one for the text. False with the system's error code in the
// last-error slot; `text` is then empty.
bool DecodeCodePage(UINT codePage, const BYTE* data, std::size_t size, std::wstring* text);

// CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE) == CSTR_EQUAL.
bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b);

} // namespace tarvane
