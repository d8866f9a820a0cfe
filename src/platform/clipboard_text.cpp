#include "platform/clipboard_text.h"

#include "platform/text.h"

namespace tarvane {

std::wstring TextFromClipboardBlock(const BYTE* block, std::size_t size) {
    if (block == nullptr) {
        return std::wstring();
    }
    const std::size_t available = size / 2;
    std::size_t length = 0;
    while (length < available && (block[2 * length] != 0 || block[2 * length + 1] != 0)) {
        ++length;
    }
    return FromUtf16Le(block, length);
}

} // namespace tarvane
