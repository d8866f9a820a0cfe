// The system's folders (Windows only).
#pragma once

#ifdef _WIN32
#include <string>

namespace tarvane {

// The system folder (GetSystemDirectoryW), trimmed, with a trailing separator;
// empty when it cannot be read.
std::wstring GetSystemFolder();

// The folder of the native system programs with a trailing backslash: the
// system folder, or "<Windows folder>\SysNative\" for a 32-bit process on
// 64-bit Windows 6.x or later.
std::wstring GetNativeSystemFolder(bool isLegacyOs);

} // namespace tarvane
#endif
