// Drives a modal dialog that the code under test opens: the given function
// runs inside the dialog's own message loop once a visible window with the
// caption exists, and must close the dialog itself.
#pragma once

#include "platform/win_types.h"
#include "win32/win32_helpers.h"

#include <functional>
#include <string>
#include <vector>

namespace tarvane::test {

void WhenDialogOpens(const std::wstring& caption, std::function<void(HWND dialog)> drive);

// The first top-level window of this thread that `wanted` accepts, or null.
HWND FindThreadWindow(const std::function<bool(HWND window)>& wanted);

// Presses a dialog's button as a click would.
void PressButton(HWND dialog, int id);

// The items of a combo box, as texts.
std::vector<std::wstring> ComboItems(HWND combo);

// `name` in the temporary folder.

// Saves what the screen shows of `window` as a 24-bit BMP file in the
// artifacts folder (TARVANE_ARTIFACTS); false when there is none or it fails.
// On a screen of other than 96 dots per inch the name ends in "_<dpi>dpi".
bool SaveWindowShot(HWND window, const std::wstring& name);

// The texts of the dialog's labels, check boxes and radio buttons that their
// controls cut: wider than a one-line control, or taller than it when they
// wrap; each as "text (needs W x H, has w x h)".
std::vector<std::wstring> CutLabels(HWND dialog);

} // namespace tarvane::test
