#include "win/drag_by_body.h"

namespace tarvane::win {
namespace {

// True when the cursor is on the menu bar but off every item of it.
bool OnEmptyMenuBar(HWND window, POINT cursor) {
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (!::GetMenuBarInfo(window, OBJID_MENU, 0, &bar) || !::PtInRect(&bar.rcBar, cursor)) {
        return false;
    }
    HMENU menu = ::GetMenu(window);
    RECT items{};
    bool any = false;
    for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu); ++i) {
        RECT item{};
        if (::GetMenuItemRect(window, menu, static_cast<UINT>(i), &item)) {
            if (any) {
                ::UnionRect(&items, &items, &item);
            } else {
                items = item;
                any = true;
            }
        }
    }
    return !any || !::PtInRect(&items, cursor);
}

} // namespace

void DragByBody::Start(HWND window) {
    POINT cursor{};
    if (!::IsWindowVisible(window) || ::IsZoomed(window) || ::GetForegroundWindow() != window ||
        !::GetCursorPos(&cursor)) {
        return;
    }
    last_ = cursor;
    previousCursor_ = ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
    ::SetCapture(window);
    dragging_ = true;
}

void DragByBody::Stop() {
    if (!dragging_) {
        return;
    }
    ::SetCursor(previousCursor_);
    ::ReleaseCapture();
    dragging_ = false;
    previousCursor_ = nullptr;
    last_ = POINT{};
}

void DragByBody::Observe(HWND window, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        Start(window);
        break;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTMENU) {
            POINT cursor{};
            if (::GetCursorPos(&cursor) && OnEmptyMenuBar(window, cursor)) {
                Start(window);
            }
        }
        break;
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT cursor{};
            if (::GetCursorPos(&cursor) && (cursor.x != last_.x || cursor.y != last_.y)) {
                RECT rect{};
                ::GetWindowRect(window, &rect);
                ::MoveWindow(window, rect.left + cursor.x - last_.x, rect.top + cursor.y - last_.y,
                             rect.right - rect.left, rect.bottom - rect.top, TRUE);
                last_ = cursor;
            }
        }
        break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
        Stop();
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            Stop();
        }
        break;
    default:
        break;
    }
}

} // namespace tarvane::win
