// The system's text for a Windows error code.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <string_view>

namespace tarvane {

// One line of text for `code` (empty for 0); the caller's last error is kept.
// Messages show it behind the code as "(%d) %s". Codes 12000-12175 are
// WinINet's and come from wininet.dll; a code without a message gives
// "Error <code>".
std::wstring GetErrorText(DWORD code);

// The message text as the system gave it, made fit for one line of a message
// box: trimmed ("Error <code>" when nothing is left), carriage returns removed,
// line feeds turned into blanks, and every "%" turned into "#" so the text can
// never act as a format.
std::wstring CleanErrorText(std::wstring_view raw, DWORD code);

} // namespace tarvane
