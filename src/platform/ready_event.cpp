#include "platform/ready_event.h"

#include "platform/format.h"

namespace tarvane {

std::wstring ReadyEventName(DWORD processId) {
    return Format(L"%s%u", kReadyEventPrefix, processId);
}

std::wstring OpenSecurityDescriptorText(std::optional<DWORD> majorVersion) {
    // 0x00100002: SYNCHRONIZE | EVENT_MODIFY_STATE.
    std::wstring text = L"D:(A;;0x00100002;;;WD)(A;;0x00100002;;;AN)";
    if (majorVersion && *majorVersion > 5) {
        text += L"S:(ML;;;;;S-1-16-0)";
    }
    return text;
}

} // namespace tarvane
