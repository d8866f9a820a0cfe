#include "ui/dialog.h"

#include <commctrl.h>

namespace tarvane::ui {

INT_PTR Dialog::DoModal(HINSTANCE instance, HWND owner) {
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void Dialog::End(INT_PTR result) {
    ::EndDialog(hwnd_, result);
}

void CommandUI::Enable(bool enable) const {
    ::EnableMenuItem(menu_, index_, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void CommandUI::SetCheck(bool check) const {
    ::CheckMenuItem(menu_, index_, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void Dialog::SetUpdateRule(UINT commandId, UpdateRule rule) {
    if (rule) {
        updateRules_[commandId] = std::move(rule);
    } else {
        updateRules_.erase(commandId);
    }
}

bool Dialog::RunUpdateRule(const CommandUI& item) const {
    const auto found = updateRules_.find(item.Id());
    if (found == updateRules_.end()) {
        return false;
    }
    found->second(item);
    return true;
}

std::wstring Dialog::ItemText(int id) const {
    HWND item = Item(id);
    const int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(item, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    // Nothing may escape into the system's dispatcher.
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        return OnCommand(id, code, reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) {
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return FALSE;
    default: {
        LRESULT result = 0;
        if (OnMessage(message, wParam, lParam, &result)) {
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    }
}

} // namespace tarvane::ui
