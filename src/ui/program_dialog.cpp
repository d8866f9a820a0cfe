#include "ui/program_dialog.h"

#include "ui/help_request.h"
#include "win/controls.h"

#include <algorithm>

namespace tarvane::ui {

bool ProgramDialog::PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    drag_.Observe(Hwnd(), message, wParam);
    if (message == WM_CTLCOLORSTATIC) {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (std::any_of(notes_.begin(), notes_.end(), [&](int id) { return control == Item(id); })) {
            *result = win::NoteColors(reinterpret_cast<HDC>(wParam));
            return true;
        }
    }
    return false;
}

bool ProgramDialog::OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(Hwnd(), &paint);
        for (const auto& [placeId, icon] : icons_) {
            win::DrawSmallIconOnTop(Hwnd(), dc, placeId, icon);
        }
        ::EndPaint(Hwnd(), &paint);
        *result = 0;
        return true;
    }
    return AnswerHelp(Hwnd(), message, result);
}

} // namespace tarvane::ui
