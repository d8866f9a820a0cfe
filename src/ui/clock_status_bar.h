// The main window's status bar as core's clock panel sees it: four panes,
// quarters while their texts fit, widened once a text outgrows its pane.
#pragma once

#include "core/clock_panel.h"
#include "win/status_bar.h"

#include <array>
#include <string>

namespace tarvane::ui {

class ClockStatusBar : public StatusPanes {
public:
    // Creates the bar along the bottom of `parent` and divides it into the
    // clock panes. False when the control cannot be made.
    bool Create(HWND parent, int id);
    HWND Hwnd() const { return bar_.Hwnd(); }

    std::wstring PaneText(int index) override;
    void SetPaneText(int index, const std::wstring& text) override;

private:
    win::StatusBar bar_;
    // The longest text each pane has held, and whether the panes have been
    // widened to what their widest texts need.
    std::array<std::size_t, 4> longest_{};
    bool widened_ = false;
};

} // namespace tarvane::ui
