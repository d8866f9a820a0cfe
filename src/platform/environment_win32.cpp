#include "platform/environment.h"

#include <windows.h>

#include <shellapi.h>

namespace tarvane {

std::vector<std::wstring> ProcessArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* vector = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (vector != nullptr) {
        for (int i = 0; i < count; ++i) {
            arguments.emplace_back(vector[i]);
        }
        ::LocalFree(vector);
    }
    return arguments;
}

DWORD ExpandEnvironmentStringsInto(const wchar_t* text, wchar_t* buffer, DWORD size) {
    return ::ExpandEnvironmentStringsW(text, buffer, size);
}

} // namespace tarvane
