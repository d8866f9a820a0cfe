// The main window's status bar, with the clock panel's four panes.
#pragma once

#include "core/clock_panel.h"
#include "platform/win_types.h"

#include <array>
#include <string>

namespace tarvane::ui {

class StatusBar : public StatusPanes {
public:
    // Creates the bar along the bottom of `parent` and divides it into the
    // clock panes. False when the control cannot be made.
    bool Create(HWND parent, int id);
    HWND Hwnd() const { return hwnd_; }

    std::wstring PaneText(int index) override;
    void SetPaneText(int index, const std::wstring& text) override;

private:
    // What each clock pane needs to hold its widest text in the bar's font.
    std::array<int, 4> NeededPaneWidths() const;
    // The pane holds `text` whole in the bar's font.
    bool Fits(int index, const std::wstring& text) const;

    HWND hwnd_ = nullptr;
    // The longest text each pane has held, and whether the panes have been
    // widened to what their widest texts need.
    std::array<std::size_t, 4> longest_{};
    bool widened_ = false;
};

} // namespace tarvane::ui
