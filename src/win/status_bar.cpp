#include "win/status_bar.h"

#include <commctrl.h>

namespace tarvane::win {

bool StatusBar::Create(HWND parent, int id) {
    hwnd_ =
        ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (hwnd_ == nullptr) {
        return false;
    }
    // The bar places itself at the bottom of its parent on WM_SIZE.
    ::SendMessageW(hwnd_, WM_SIZE, 0, 0);
    return true;
}

int StatusBar::Width() const {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    return client.right - client.left;
}

void StatusBar::SetPanes(const std::vector<int>& rightEdges) const {
    ::SendMessageW(hwnd_, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
}

bool StatusBar::Fits(int index, const std::wstring& text) const {
    RECT pane{};
    HDC dc = ::GetDC(hwnd_);
    if (dc == nullptr ||
        !::SendMessageW(hwnd_, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&pane))) {
        if (dc != nullptr) {
            ::ReleaseDC(hwnd_, dc);
        }
        return true;
    }
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    SIZE margin{};
    const bool measured = ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) &&
                          ::GetTextExtentPoint32W(dc, L"M", 1, &margin);
    ::SelectObject(dc, previous);
    ::ReleaseDC(hwnd_, dc);
    return !measured || size.cx + margin.cx <= pane.right - pane.left;
}

std::vector<int> StatusBar::NeededWidths(const std::vector<std::wstring>& texts) const {
    std::vector<int> needed(texts.size(), 0);
    HDC dc = ::GetDC(hwnd_);
    if (dc == nullptr) {
        return needed;
    }
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ previous = ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE margin{};
    ::GetTextExtentPoint32W(dc, L"M", 1, &margin);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SIZE size{};
        if (::GetTextExtentPoint32W(dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &size)) {
            needed[i] = size.cx + margin.cx;
        }
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(hwnd_, dc);
    return needed;
}

std::wstring StatusBar::PaneText(int index) const {
    if (hwnd_ == nullptr) {
        return std::wstring();
    }
    const auto length = LOWORD(::SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void StatusBar::SetPaneText(int index, const std::wstring& text) const {
    if (hwnd_ == nullptr) {
        return;
    }
    ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace tarvane::win
