#include "win/controls.h"

namespace tarvane::win {

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HICON LoadSmallSystemIcon(LPCWSTR id) {
    return static_cast<HICON>(::LoadImageW(nullptr, id, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void DrawSmallIconOnTop(HWND dialog, HDC dc, int placeId, HICON icon) {
    if (icon == nullptr) {
        return;
    }
    const int width = ::GetSystemMetrics(SM_CXSMICON);
    const RECT place = ClientRectOf(dialog, ::GetDlgItem(dialog, placeId));
    ::DrawIconEx(dc, (place.left + place.right - width) / 2, place.top, icon, width,
                 ::GetSystemMetrics(SM_CYSMICON), 0, nullptr, DI_NORMAL);
}

LRESULT NoteColors(HDC dc) {
    ::SetTextColor(dc, ::GetSysColor(COLOR_3DDKSHADOW));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

int ComboBox::AddItem(const std::wstring& text, LPARAM data) const {
    const int index = InsertItem(-1, text);
    if (index >= 0 && !SetItemData(index, data)) {
        return CB_ERR;
    }
    return index;
}

int ComboBox::InsertItem(int index, const std::wstring& text) const {
    return static_cast<int>(::SendMessageW(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(text.c_str())));
}

int ComboBox::FindData(LPARAM data) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (ItemData(i) == data) {
            return i;
        }
    }
    return -1;
}

LPARAM ComboBox::SelectedData(LPARAM none) const {
    const int index = Selection();
    return index < 0 ? none : ItemData(index);
}

} // namespace tarvane::win
