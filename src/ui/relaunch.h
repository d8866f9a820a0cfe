// The elevated relaunch: a command that writes the machine-wide database and
// finds no write access starts an elevated copy of the program with a command
// line that names the work, waits until the copy reports that it runs, and
// closes this window.
#pragma once

#include "platform/win_types.h"

#include <string>

namespace tarvane::ui {

// 1 the copy runs and has signalled; 0 the user declined the elevation; -1
// failure; -2 the wait ended because this instance's main window was
// cancelled. The last error holds the outcome's code.
int RelaunchElevated(const std::wstring& parameters);

// RelaunchElevated, then, when the copy runs, WM_CLOSE posted to `window`.
// 1 when the copy runs, else 0.
int RelaunchAndClose(const std::wstring& parameters, HWND window);

} // namespace tarvane::ui
