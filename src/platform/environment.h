// The process's environment: its arguments, and %NAME% references to
// environment variables expanded.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

namespace tarvane {

// The process's arguments, the program's name first, as the standard Windows
// rules (CommandLineToArgvW) split its command line.
std::vector<std::wstring> ProcessArguments();

// Expands `text` (ExpandEnvironmentStringsW) into `expanded`. A missing text
// fails with ERROR_INVALID_PARAMETER; an empty one gives an empty result. The
// buffer grows from 512 characters in steps of 256 up to 32,768 characters on
// a legacy system, 65,536 otherwise. Last error set.
bool ExpandEnvironmentText(const wchar_t* text, std::wstring* expanded, bool isLegacyOs);

// The platform's expansion as ExpandEnvironmentStringsW does it: the number
// of characters the result needs with its terminator, written to `buffer`
// only when it fits in `size`; 0 on failure with the last error set.
DWORD ExpandEnvironmentStringsInto(const wchar_t* text, wchar_t* buffer, DWORD size);

} // namespace tarvane
