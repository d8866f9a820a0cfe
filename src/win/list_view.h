// A list-view control: its HWND and the messages it understands.
#pragma once

#include "core/zone_loader.h"
#include "platform/win_types.h"

#include <string>

namespace tarvane::ui {

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

// The main window's zone list as the loader fills it.
class ZoneListControl : public ZoneListView {
public:
    explicit ZoneListControl(const ListView& list) : list_(list) {}
    void SetRedraw(bool enable) override { list_.SetRedraw(enable); }
    void DeleteAllItems() override { list_.DeleteAllItems(); }
    int InsertItem(int index, const std::wstring& text) override { return list_.InsertItem(index, text); }
    bool SetItemData(int row, LPARAM data) override { return list_.SetItemData(row, data); }
    void SelectRow(int row) override;
    void EnsureVisible(int row) override { list_.EnsureVisible(row, false); }

private:
    const ListView& list_;
};

} // namespace tarvane::ui
