#include "platform/late_bound_functions.h"

#include <string>

namespace tarvane {
namespace {

// The system folder with a trailing backslash, or empty when it cannot be read
// (the bare library names are used then).
std::wstring SystemFolderPrefix() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring folder(buffer, length);
    if (folder.back() != L'\\' && folder.back() != L'/') {
        folder.push_back(L'\\');
    }
    return folder;
}

template <typename Fn> Fn Lookup(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

} // namespace

LateBoundFunctions::LateBoundFunctions() {
    const std::wstring folder = SystemFolderPrefix();
    comctl32_ = ::LoadLibraryW(L"Comctl32.dll");
    loadIconWithScaleDown = Lookup<LoadIconWithScaleDownFn>(comctl32_, "LoadIconWithScaleDown");
    uxtheme_ = ::LoadLibraryW((folder + L"UxTheme.dll").c_str());
    getBufferedPaintBits = Lookup<GetBufferedPaintBitsFn>(uxtheme_, "GetBufferedPaintBits");
    beginBufferedPaint = Lookup<BeginBufferedPaintFn>(uxtheme_, "BeginBufferedPaint");
    endBufferedPaint = Lookup<EndBufferedPaintFn>(uxtheme_, "EndBufferedPaint");
    advapi32_ = ::LoadLibraryW((folder + L"Advapi32.dll").c_str());
    regDeleteKeyExW = Lookup<RegDeleteKeyExWFn>(advapi32_, "RegDeleteKeyExW");
    HMODULE kernel32 = ::GetModuleHandleW((folder + L"kernel32.dll").c_str());
    if (kernel32 == nullptr) {
        kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    }
    setDynamicTimeZoneInformation =
        Lookup<SetDynamicTimeZoneInformationFn>(kernel32, "SetDynamicTimeZoneInformation");
    getDynamicTimeZoneInformation =
        Lookup<GetDynamicTimeZoneInformationFn>(kernel32, "GetDynamicTimeZoneInformation");
    isWow64Process = Lookup<IsWow64ProcessFn>(kernel32, "IsWow64Process");
}

LateBoundFunctions::~LateBoundFunctions() {
    for (HMODULE* module : {&comctl32_, &uxtheme_, &advapi32_}) {
        if (*module != nullptr) {
            ::FreeLibrary(*module);
            *module = nullptr;
        }
    }
}

const LateBoundFunctions& TheLateBoundFunctions() {
    static LateBoundFunctions functions;
    return functions;
}

} // namespace tarvane
