// The system's text for a Windows error code.
#pragma once

#include "platform/win_types.h"

#include <string>

namespace tarvane {

// One line of text for `code` (empty for 0); the caller's last error is kept.
// Messages show it behind the code as "(%d) %s".
std::wstring GetErrorText(DWORD code);

} // namespace tarvane
