// Path text helpers.
#pragma once

#include <string>
#include <string_view>

namespace tarvane {

// `path` with a trailing separator: unless it is empty or already ends in a
// backslash or slash, the separator it already uses last is appended (a
// backslash when it holds none).
std::wstring WithTrailingSeparator(std::wstring_view path);

// `text` without blanks, tabs, carriage returns and line feeds at both ends.
std::wstring TrimBlanksAndLineBreaks(std::wstring_view text);

// The folder of the native system programs, from the folders the system
// reports: a 32-bit process on 64-bit Windows 6.x or later reaches it through
// "SysNative" below the Windows folder (its own system folder is redirected);
// everyone else uses the system folder. Ends in a separator.
std::wstring NativeSystemFolderFrom(bool underWow64, bool isLegacyOs, std::wstring_view windowsFolder,
                                    std::wstring_view systemFolder);

} // namespace tarvane
