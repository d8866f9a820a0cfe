// Opening the help page and the system tools (Windows only). The calls that
// reach the shell and the user go through replaceable functions, so tests
// can see what would be opened and answer the message box.
#pragma once

#ifdef _WIN32
#include "platform/product.h"
#include "platform/win_types.h"

#include <string>

namespace tarvane {

// Opens `program` with `parameters` through the shell ("open"), on the monitor
// of `owner` when it has one. 0 on success, else a Windows error code (31 when
// the shell left none), also set as the last error.
DWORD ShellOpen(HWND owner, const std::wstring& program, const std::wstring& parameters);

// The Date and Time control panel: "<native system folder>control.exe"
// "timedate.cpl,Date and Time". True on success.
bool OpenDateTimeSettings(HWND owner, bool isLegacyOs);

// The event viewer on the Application log: "<system folder>eventvwr.exe"
// "/c:Application". True on success.
bool OpenEventViewer(HWND owner);

// Opens the help page in the browser; on failure logs "[100]" and tells the
// user. True when the page was opened.
bool OpenHelpPage(HWND owner);

// The command handlers: on failure each logs its own tag ("[203]" for the
// Internet-time link, "[206]" for the menu item, "[218]" for the event log)
// and sounds the error beep.
void OnInternetTimeLink(HWND owner, bool isLegacyOs);
void OnAdjustSystemTimeCommand(HWND owner, bool isLegacyOs);
void OnOpenEventLogCommand(HWND owner);

// The replaceable functions. Each setter returns the one it replaces; null
// restores the system's own.
using ShellOpenFunction = DWORD (*)(HWND owner, const std::wstring& program, const std::wstring& parameters);
using ShellExecuteFunction = INT_PTR (*)(HWND owner, const std::wstring& address);
using PromptFunction = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
using BeepFunction = void (*)(UINT type);
ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function);
ShellExecuteFunction SetShellExecuteFunction(ShellExecuteFunction function);
PromptFunction SetPromptFunction(PromptFunction function);
BeepFunction SetBeepFunction(BeepFunction function);

} // namespace tarvane
#endif
