#include "platform/launchers.h"

#include "platform/diagnostic_log.h"
#include "platform/system_folders.h"

#include <objbase.h>
#include <shellapi.h>

namespace tarvane {
namespace {

DWORD SystemShellOpen(HWND owner, const std::wstring& program, const std::wstring& parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = 0;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    if (owner != nullptr) {
        if (HMONITOR monitor = ::MonitorFromWindow(owner, MONITOR_DEFAULTTONULL); monitor != nullptr) {
            info.fMask |= SEE_MASK_HMONITOR;
            info.hMonitor = monitor;
        }
    }
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL opened = ::ShellExecuteExW(&info);
    DWORD code = opened ? 0 : ::GetLastError();
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    if (!opened && code == 0) {
        code = ERROR_GEN_FAILURE;
    }
    ::SetLastError(code);
    return code;
}

INT_PTR SystemShellExecute(HWND owner, const std::wstring& address) {
    return reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

int SystemPrompt(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void SystemBeep(UINT type) {
    ::MessageBeep(type);
}

ShellOpenFunction shellOpen = SystemShellOpen;
ShellExecuteFunction shellExecute = SystemShellExecute;
PromptFunction prompt = SystemPrompt;
BeepFunction beep = SystemBeep;

template <typename Function> Function Replace(Function& slot, Function with, Function system) {
    const Function previous = slot;
    slot = with != nullptr ? with : system;
    return previous;
}

} // namespace

DWORD ShellOpen(HWND owner, const std::wstring& program, const std::wstring& parameters) {
    return shellOpen(owner, program, parameters);
}

bool OpenDateTimeSettings(HWND owner, bool isLegacyOs) {
    return ShellOpen(owner, Format(L"%scontrol.exe", GetNativeSystemFolder(isLegacyOs)),
                     L"timedate.cpl,Date and Time") == 0;
}

bool OpenEventViewer(HWND owner) {
    return ShellOpen(owner, GetSystemFolder() + L"eventvwr.exe", L"/c:Application") == 0;
}

bool OpenHelpPage(HWND owner) {
    const INT_PTR result = shellExecute(owner, kHelpPageAddress);
    ::SetLastError(static_cast<DWORD>(result));
    if (result > 32) {
        return true;
    }
    LogMessage(L"[100] ulr=%s", kHelpPageAddress);
    prompt(owner, Format(L"Failed to open URL:\n\n%s", kHelpPageAddress), kApplicationName,
           MB_OK | MB_ICONERROR);
    ::SetLastError(static_cast<DWORD>(result));
    return false;
}

void OnInternetTimeLink(HWND owner, bool isLegacyOs) {
    if (!OpenDateTimeSettings(owner, isLegacyOs)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[203]");
        beep(MB_ICONHAND);
    }
}

void OnAdjustSystemTimeCommand(HWND owner, bool isLegacyOs) {
    if (!OpenDateTimeSettings(owner, isLegacyOs)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[206]");
        beep(MB_ICONHAND);
    }
}

void OnOpenEventLogCommand(HWND owner) {
    if (!OpenEventViewer(owner)) {
        LogText(EVENTLOG_ERROR_TYPE, L"[218]");
        beep(MB_ICONHAND);
    }
}

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function) {
    return Replace(shellOpen, function, &SystemShellOpen);
}
ShellExecuteFunction SetShellExecuteFunction(ShellExecuteFunction function) {
    return Replace(shellExecute, function, &SystemShellExecute);
}
PromptFunction SetPromptFunction(PromptFunction function) {
    return Replace(prompt, function, &SystemPrompt);
}
BeepFunction SetBeepFunction(BeepFunction function) {
    return Replace(beep, function, &SystemBeep);
}

} // namespace tarvane
