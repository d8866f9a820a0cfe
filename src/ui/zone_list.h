// The main window's zone list as core's loader fills it: the adapter from
// the loader's view of a list to the list-view control.
#pragma once

#include "core/zone_loader.h"
#include "win/list_view.h"

#include <string>

namespace tarvane::ui {

class ZoneListControl : public ZoneListView {
public:
    explicit ZoneListControl(const win::ListView& list) : list_(list) {}
    void SetRedraw(bool enable) override { list_.SetRedraw(enable); }
    void DeleteAllItems() override { list_.DeleteAllItems(); }
    int InsertItem(int index, const std::wstring& text) override { return list_.InsertItem(index, text); }
    bool SetItemData(int row, LPARAM data) override { return list_.SetItemData(row, data); }
    void SelectRow(int row) override;
    void EnsureVisible(int row) override { list_.EnsureVisible(row, false); }

private:
    const win::ListView& list_;
};

} // namespace tarvane::ui
