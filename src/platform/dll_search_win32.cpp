#include "platform/dll_search.h"

#include <windows.h>

namespace tarvane {

bool LoadLibrariesFromSystemFolderOnly() {
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32, newer than the headers
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD flags);
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const auto set = kernel32 == nullptr
                         ? nullptr
                         : reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                               ::GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    return set != nullptr && set(kSearchSystem32) != FALSE;
}

} // namespace tarvane
