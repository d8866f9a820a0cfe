#include "platform/environment.h"

namespace tarvane {

DWORD ExpandEnvironmentStringsInto(const wchar_t* text, wchar_t* buffer, DWORD size) {
    return ::ExpandEnvironmentStringsW(text, buffer, size);
}

} // namespace tarvane
