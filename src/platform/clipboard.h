// Text on the clipboard (CF_UNICODETEXT). Windows only.
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"

#include <string>

namespace tarvane {

// Replaces the clipboard's content by `text`, with `owner` as the clipboard's
// owner window. False when the clipboard cannot be opened, the memory cannot
// be had (the clipboard is then left empty) or the system refuses the data.
bool PutClipboardText(HWND owner, const std::wstring& text);

// The clipboard's Unicode text up to its first NUL, never reading past the
// end of the clipboard's memory block: the block belongs to whichever program
// put it there, and nothing guarantees the NUL. Empty when the clipboard holds
// no Unicode text or cannot be opened.
std::wstring GetClipboardText(HWND owner);

} // namespace tarvane
#endif
