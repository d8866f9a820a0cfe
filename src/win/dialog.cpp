#include "win/dialog.h"

#include <commctrl.h>

namespace tarvane::win {

void RegisterControlClasses() {
    // The start-up's InitCommonControlsEx does not cover the date pickers and
    // links that the dialog templates name; creating such a dialog would fail.
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof classes;
        classes.dwICC =
            ICC_DATE_CLASSES | ICC_LINK_CLASS | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
        return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)registered;
}

INT_PTR Dialog::DoModal(HINSTANCE instance, HWND owner) {
    RegisterControlClasses();
    ended_ = false;
    result_ = 0;
    HWND hwnd = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) {
        return -1;
    }
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    ::ShowWindow(hwnd, SW_SHOW);
    MSG message{};
    bool quit = false;
    while (!ended_) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        ProcessMessage(message);
    }
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    ::DestroyWindow(hwnd);
    hwnd_ = nullptr;
    if (quit) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
    }
    return result_;
}

void Dialog::ProcessMessage(MSG& message) {
    bool dialogProcessing = true;
    if (PreTranslateMessage(message, dialogProcessing)) {
        return;
    }
    if (dialogProcessing && hwnd_ != nullptr && ::IsDialogMessageW(hwnd_, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Dialog::End(INT_PTR result) {
    result_ = result;
    ended_ = true;
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
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

void Dialog::EnableItem(int id, bool enable) const {
    HWND item = Item(id);
    if ((::IsWindowEnabled(item) != FALSE) == enable) {
        return;
    }
    if (!enable && ::GetFocus() == item) {
        ::SendMessageW(hwnd_, WM_NEXTDLGCTL, 0, FALSE);
    }
    ::EnableWindow(item, enable ? TRUE : FALSE);
}

void Dialog::SetItemReadOnly(int id, bool readOnly) const {
    HWND item = Item(id);
    const bool isReadOnly = (::GetWindowLongPtrW(item, GWL_STYLE) & ES_READONLY) != 0;
    if (isReadOnly != readOnly) {
        ::SendMessageW(item, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
    }
}

void Dialog::StartTimer(UINT_PTR id, UINT milliseconds, std::function<void()> callback) {
    timers_[id] = std::move(callback);
    ::SetTimer(hwnd_, id, milliseconds, &Dialog::TimerProc);
}

void Dialog::StopTimer(UINT_PTR id) {
    ::KillTimer(hwnd_, id);
    timers_.erase(id);
}

void CALLBACK Dialog::TimerProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) {
        return;
    }
    auto it = self->timers_.find(id);
    if (it == self->timers_.end()) {
        ::KillTimer(hwnd, id);
        return;
    }
    // The callback may stop or restart its own timer: run a copy.
    const std::function<void()> callback = it->second;
    try {
        callback();
    } catch (...) {
    }
}

namespace {

// Messages whose result a dialog procedure returns itself instead of through
// DWLP_MSGRESULT (a control's brush, above all).
bool ReturnsResultDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

} // namespace

void Dialog::SetResult(LRESULT result) const {
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
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
        LRESULT result = 0;
        if (self->PreDispatch(message, wParam, lParam, &result)) {
            if (ReturnsResultDirectly(message)) {
                return static_cast<INT_PTR>(result);
            }
            self->SetResult(result);
            return TRUE;
        }
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
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) {
            return TRUE;
        }
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        OnCancel();
        return TRUE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) {
            SetResult(result);
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
            if (ReturnsResultDirectly(message)) {
                return static_cast<INT_PTR>(result);
            }
            SetResult(result);
            return TRUE;
        }
        return FALSE;
    }
    }
}

} // namespace tarvane::win
