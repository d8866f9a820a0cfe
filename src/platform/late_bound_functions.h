// Optional system functions, looked up once at start; each is null when its
// library or export is missing, and every user tests it before calling.
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"

namespace tarvane {

struct LateBoundFunctions {
    using GetDynamicTimeZoneInformationFn = DWORD(WINAPI*)(void* info);
    using SetDynamicTimeZoneInformationFn = BOOL(WINAPI*)(const void* info);
    using RegDeleteKeyExWFn = LONG(WINAPI*)(HKEY key, LPCWSTR subKey, REGSAM view, DWORD reserved);
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
    using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE instance, PCWSTR name, int cx, int cy,
                                                     HICON* icon);
    using GetBufferedPaintBitsFn = HRESULT(WINAPI*)(HANDLE paint, void** bits, int* row);
    using BeginBufferedPaintFn = HANDLE(WINAPI*)(HDC target, const RECT* rect, int format, void* params,
                                                 HDC* dc);
    using EndBufferedPaintFn = HRESULT(WINAPI*)(HANDLE paint, BOOL update);

    LoadIconWithScaleDownFn loadIconWithScaleDown = nullptr;
    GetBufferedPaintBitsFn getBufferedPaintBits = nullptr;
    BeginBufferedPaintFn beginBufferedPaint = nullptr;
    EndBufferedPaintFn endBufferedPaint = nullptr;
    RegDeleteKeyExWFn regDeleteKeyExW = nullptr;
    SetDynamicTimeZoneInformationFn setDynamicTimeZoneInformation = nullptr;
    GetDynamicTimeZoneInformationFn getDynamicTimeZoneInformation = nullptr;
    IsWow64ProcessFn isWow64Process = nullptr;

    LateBoundFunctions();
    ~LateBoundFunctions();
    LateBoundFunctions(const LateBoundFunctions&) = delete;
    LateBoundFunctions& operator=(const LateBoundFunctions&) = delete;

private:
    HMODULE comctl32_ = nullptr;
    HMODULE uxtheme_ = nullptr;
    HMODULE advapi32_ = nullptr;
};

// The process-wide table.
const LateBoundFunctions& TheLateBoundFunctions();

} // namespace tarvane
#endif
