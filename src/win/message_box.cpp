#include "win/message_box.h"

namespace tarvane::win {
namespace {

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int ShowMessageBox(HWND owner, const wchar_t* caption, const std::wstring& text, UINT type) {
    if (Handler()) {
        return Handler()(owner, text, type);
    }
    return ::MessageBoxW(owner, text.c_str(), caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace tarvane::win
