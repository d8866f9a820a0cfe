// Every message box of a program goes through one function, so that tests
// can answer them.
#pragma once

#include "platform/win_types.h"

#include <functional>
#include <string>

namespace tarvane::win {

using MessageBoxHandler = std::function<int(HWND owner, const std::wstring& text, UINT type)>;

// Shows a message box with `caption`; the button the user chose.
int ShowMessageBox(HWND owner, const wchar_t* caption, const std::wstring& text, UINT type);

// Replaces the message box (tests answer it this way); an empty handler
// restores the real one. The previous handler is returned.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace tarvane::win
