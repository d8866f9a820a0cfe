// A list-view control: its HWND and the messages it understands.
#pragma once

#include "platform/win_types.h"

#include <string>

namespace tarvane::win {

class ListView {
public:
    ListView() = default;
    explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND Hwnd() const { return hwnd_; }

    void SetExtendedStyle(DWORD styles) const;
    bool InsertColumn(int index, const std::wstring& text, int width) const;
    int ItemCount() const;
    int InsertItem(int index, const std::wstring& text) const;
    bool SetItemData(int row, LPARAM data) const;
    LPARAM ItemData(int row) const;
    std::wstring ItemText(int row, int column = 0) const;
    bool SetItemText(int row, int column, const std::wstring& text) const;
    bool SetItemState(int row, UINT state, UINT mask) const;
    int NextItem(int start, UINT flags) const;
    bool DeleteAllItems() const;
    bool EnsureVisible(int row, bool partialOk) const;
    void SetRedraw(bool enable) const;

private:
    HWND hwnd_ = nullptr;
};

} // namespace tarvane::win
