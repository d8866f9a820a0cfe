#include "platform/error_text.h"

#include "platform/format.h"
#include "platform/last_error.h"

namespace tarvane {

std::wstring GetErrorText(DWORD code) {
    const LastErrorKeeper keep;
    if (code == 0) {
        return std::wstring();
    }
    return Format(L"Error %d", code);
}

} // namespace tarvane
