// A status bar along the bottom of its parent, divided into panes: their
// texts, their right edges and the width a text needs in the bar's font.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

namespace tarvane::win {

class StatusBar {
public:
    // Creates the bar along the bottom of `parent`. False when the control
    // cannot be made.
    bool Create(HWND parent, int id);
    HWND Hwnd() const { return hwnd_; }

    // The bar's width in pixels.
    int Width() const;
    // Divides the bar at `rightEdges` (the last -1: up to the end).
    void SetPanes(const std::vector<int>& rightEdges) const;
    std::wstring PaneText(int index) const;
    void SetPaneText(int index, const std::wstring& text) const;
    // The pane holds `text` whole, with a margin, in the bar's font (true
    // when it cannot be measured).
    bool Fits(int index, const std::wstring& text) const;
    // What each text needs, with a margin, in the bar's font (0 for a text
    // that cannot be measured).
    std::vector<int> NeededWidths(const std::vector<std::wstring>& texts) const;

private:
    HWND hwnd_ = nullptr;
};

} // namespace tarvane::win
