// The dialog layer: a dialog is an HWND with small helpers and a few virtual
// handlers. DoModal runs the dialog's own message loop, so a dialog can look
// at every message before the system's dialog processing (accelerators, Enter
// and Esc). No framework beyond that.
#pragma once

#include "platform/win_types.h"

#include <functional>
#include <map>
#include <string>

namespace tarvane::win {

// Registers the common-control classes the dialog templates use (list view,
// status bar, up-down, date and time pickers, links); safe to call often.
void RegisterControlClasses();

// One menu item while its popup is being opened: what an update rule may
// change about it.
class CommandUI {
public:
    CommandUI(HMENU menu, UINT index, UINT id, UINT count)
        : menu_(menu), index_(index), id_(id), count_(count) {}

    UINT Id() const { return id_; }
    UINT Index() const { return index_; }
    UINT Count() const { return count_; }
    HMENU Menu() const { return menu_; }

    void Enable(bool enable) const;
    void SetCheck(bool check) const;

private:
    HMENU menu_;
    UINT index_;
    UINT id_;
    UINT count_;
};

// Decides the state of one command's menu items each time they are shown.
using UpdateRule = std::function<void(const CommandUI& item)>;

class Dialog {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally: the value passed to End, or -1 when the window
    // could not be made (the last error tells why).
    INT_PTR DoModal(HINSTANCE instance, HWND owner = nullptr);
    void End(INT_PTR result);
    // End has been called; the window goes when its loop next looks.
    bool Ended() const { return ended_; }
    // Handles one message as the modal loop does: pre-translation, dialog
    // processing, dispatch. Nested loops (and tests) use it.
    void ProcessMessage(MSG& message);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void SetItemText(int id, const std::wstring& text) const { ::SetDlgItemTextW(hwnd_, id, text.c_str()); }
    std::wstring ItemText(int id) const;
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) const {
        ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void ShowItem(int id, bool show) const { ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
    void SetTitle(const std::wstring& text) const { ::SetWindowTextW(hwnd_, text.c_str()); }
    // Enables or disables a control, only when its state differs; a control
    // that loses its enabled state while it has the focus passes the focus on.
    void EnableItem(int id, bool enable) const;
    // Makes an edit read-only or writable, only when its state differs.
    void SetItemReadOnly(int id, bool readOnly) const;

    // A timer whose callback runs on the dialog's thread; starting it again
    // replaces it. The callback kills the timer when it wants one shot.
    void StartTimer(UINT_PTR id, UINT milliseconds, std::function<void()> callback);
    void StopTimer(UINT_PTR id);

    // The rule that enables, disables or checks the menu items of `commandId`;
    // an empty rule removes it. Items without a rule keep their state.
    void SetUpdateRule(UINT commandId, UpdateRule rule);
    // Runs the item's rule; false when its command has none.
    bool RunUpdateRule(const CommandUI& item) const;

protected:
    // WM_INITDIALOG; true lets the system set the focus.
    virtual bool OnInit() { return true; }
    // WM_COMMAND; true when handled.
    virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
    // WM_NOTIFY; true when handled, with the result in `result`.
    virtual bool OnNotify(const NMHDR& /*header*/, LRESULT* /*result*/) { return false; }
    // WM_TIMER of timers started without a callback.
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other message; true when handled, with the result in `result`.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* /*result*/) {
        return false;
    }
    // Sees every message of the window before it is dispatched to the
    // handlers above; true when it handled the message, with its result.
    virtual bool PreDispatch(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* /*result*/) {
        return false;
    }
    // Sees every message of the modal loop before dialog processing; true
    // consumes it. `dialogProcessing` may be cleared to skip IsDialogMessage
    // and only translate and dispatch the message.
    virtual bool PreTranslateMessage(MSG& /*message*/, bool& /*dialogProcessing*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void SetResult(LRESULT result) const;

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    INT_PTR result_ = 0;
    std::map<UINT_PTR, std::function<void()>> timers_;

    std::map<UINT, UpdateRule> updateRules_;
};

} // namespace tarvane::win
