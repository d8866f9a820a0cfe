#include "platform/system_folders.h"

#include "platform/late_bound_functions.h"
#include "platform/paths.h"

namespace tarvane {
namespace {

constexpr UINT kFolderCapacity = 520;

template <typename Reader> std::wstring ReadFolder(Reader reader) {
    wchar_t buffer[kFolderCapacity] = {};
    const UINT length = reader(buffer, kFolderCapacity);
    if (length == 0 || length >= kFolderCapacity) {
        return std::wstring();
    }
    return std::wstring(buffer, length);
}

} // namespace

std::wstring GetSystemFolder() {
    return WithTrailingSeparator(TrimBlanksAndLineBreaks(ReadFolder(::GetSystemDirectoryW)));
}

std::wstring GetNativeSystemFolder(bool isLegacyOs) {
    BOOL wow64 = FALSE;
    const auto isWow64Process = TheLateBoundFunctions().isWow64Process;
    const bool underWow64 =
        isWow64Process != nullptr && isWow64Process(::GetCurrentProcess(), &wow64) && wow64 != FALSE;
    if (underWow64 && !isLegacyOs) {
        return NativeSystemFolderFrom(true, false, ReadFolder(::GetWindowsDirectoryW), L"");
    }
    return NativeSystemFolderFrom(false, isLegacyOs, L"", ReadFolder(::GetSystemDirectoryW));
}

} // namespace tarvane
