#include "platform/clipboard.h"

#include "platform/clipboard_text.h"
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
    const auto* block = static_cast<const BYTE*>(::GlobalLock(memory));
    if (block == nullptr) {
        return std::wstring();
    }
    std::wstring text = TextFromClipboardBlock(block, size);
    ::GlobalUnlock(memory);
    return text;
}

} // namespace tarvane
