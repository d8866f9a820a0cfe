// The dialog layer: a dialog is an HWND with small helpers and a few virtual
// handlers. No framework beyond that.
#pragma once

#include "platform/win_types.h"

#include <functional>
#include <map>
#include <string>

namespace tarvane::ui {

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

    // Runs the dialog modally; the value passed to End.
    INT_PTR DoModal(HINSTANCE instance, HWND owner = nullptr);
    void End(INT_PTR result);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void SetItemText(int id, const std::wstring& text) const { ::SetDlgItemTextW(hwnd_, id, text.c_str()); }
    std::wstring ItemText(int id) const;
    void EnableItem(int id, bool enable) const { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }
    void ShowItem(int id, bool show) const { ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
    void SetTitle(const std::wstring& text) const { ::SetWindowTextW(hwnd_, text.c_str()); }

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
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // Any other message; true when handled, with the result in `result`.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT* /*result*/) {
        return false;
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    std::map<UINT, UpdateRule> updateRules_;
};

} // namespace tarvane::ui
