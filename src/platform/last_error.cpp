#include "platform/last_error.h"

namespace tarvane {

#ifdef _WIN32
DWORD GetThreadLastError() {
    return ::GetLastError();
}
void SetThreadLastError(DWORD code) {
    ::SetLastError(code);
}
#else
namespace {
thread_local DWORD lastError = 0;
}
DWORD GetThreadLastError() {
    return lastError;
}
void SetThreadLastError(DWORD code) {
    lastError = code;
}
#endif

} // namespace tarvane
