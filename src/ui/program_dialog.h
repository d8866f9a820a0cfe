// What the program's dialogs do alike: each moves when dragged by its body,
// shows its notes in the note colours, draws its small icons on top of their
// places and opens the help page on F1; RunDialog shows one modally.
#pragma once

#include "platform/win_types.h"
#include "win/dialog.h"
#include "win/drag_by_body.h"

#include <utility>
#include <vector>

namespace tarvane::ui {

class ProgramDialog : public win::Dialog {
public:
    using win::Dialog::Dialog;

protected:
    // The static controls drawn in the note colours.
    void SetNotes(std::vector<int> ids) { notes_ = std::move(ids); }
    // Draws `icon` (the caller's, kept alive by it) on top of the control
    // `placeId` when the dialog paints, in the order added.
    void AddIcon(int placeId, HICON icon) { icons_.emplace_back(placeId, icon); }

    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    std::vector<int> notes_;
    std::vector<std::pair<int, HICON>> icons_;
    win::DragByBody drag_;
};

// Shows a dialog of type D, made from `arguments`, modally over `owner`:
// the value it ended with, or -1 when it could not be shown (the last error
// tells why).
template <typename D, typename... Arguments> INT_PTR RunDialog(HWND owner, Arguments&&... arguments) {
    D dialog(std::forward<Arguments>(arguments)...);
    return dialog.DoModal(::GetModuleHandleW(nullptr), owner);
}

} // namespace tarvane::ui
