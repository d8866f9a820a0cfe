// F1 (WM_HELP) in any of the program's dialogs opens the program's help page.
#pragma once

#include "platform/win_types.h"

#include <functional>

namespace tarvane::ui {

// Opens the help page for a dialog's F1.
void RequestHelp(HWND owner);

// For a dialog's messages: WM_HELP opens the help page and is answered TRUE;
// false for any other message.
bool AnswerHelp(HWND dialog, UINT message, LRESULT* result);

// Replaces what F1 does (tests see the request this way); an empty function
// restores the help page. The previous one is returned.
using HelpOpener = std::function<void(HWND owner)>;
HelpOpener SetHelpOpener(HelpOpener opener);

} // namespace tarvane::ui
