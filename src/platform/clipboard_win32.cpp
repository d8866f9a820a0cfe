#include "platform/clipboard.h"

#include "platform/text.h"

#include <cstring>

namespace tarvane {
namespace {

class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) {
            ::CloseClipboard();
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool Ok() const { return open_; }

private:
    bool open_;
};

} // namespace

bool PutClipboardText(HWND owner, const std::wstring& text) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.Ok()) {
        return false;
    }
    ::EmptyClipboard();
    const std::vector<BYTE> bytes = ToUtf16Le(text, true);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) {
        return false;
    }
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        // Still ours when the system did not take it.
        ::GlobalFree(memory);
        return false;
    }
    return true;
}

std::wstring GetClipboardText(HWND owner) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.Ok()) {
        return std::wstring();
    }
    HANDLE memory = ::GetClipboardData(CF_UNICODETEXT);
    if (memory == nullptr) {
        return std::wstring();
    }
    const SIZE_T size = ::GlobalSize(memory);
    const auto* units = static_cast<const BYTE*>(::GlobalLock(memory));
    if (units == nullptr) {
        return std::wstring();
    }
    // Whole UTF-16 units inside the block, up to the first NUL.
    const std::size_t available = size / 2;
    std::size_t length = 0;
    while (length < available && (units[2 * length] != 0 || units[2 * length + 1] != 0)) {
        ++length;
    }
    std::wstring text = FromUtf16Le(units, length);
    ::GlobalUnlock(memory);
    return text;
}

} // namespace tarvane
