// The main dialog's private window class: a copy of the system's dialog class
// under a name of our own, which the dialog template names.
#pragma once

#include "platform/win_types.h"

namespace tarvane::win {

inline constexpr wchar_t kMainDialogClassName[] = L"TarvaneLabs.Tarvane.MainDialog";

// Registers the class for `instance`; the result is not needed by anyone.
bool RegisterMainDialogClass(HINSTANCE instance);

} // namespace tarvane::win
