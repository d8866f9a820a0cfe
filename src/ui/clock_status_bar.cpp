#include "ui/clock_status_bar.h"

#include <vector>

namespace tarvane::ui {
namespace {

std::vector<int> Edges(const std::array<int, 4>& edges) {
    return std::vector<int>(edges.begin(), edges.end());
}

} // namespace

bool ClockStatusBar::Create(HWND parent, int id) {
    if (!bar_.Create(parent, id)) {
        return false;
    }
    bar_.SetPanes(Edges(ClockPaneRightEdges(bar_.Width())));
    return true;
}

std::wstring ClockStatusBar::PaneText(int index) {
    return bar_.PaneText(index);
}

void ClockStatusBar::SetPaneText(int index, const std::wstring& text) {
    if (bar_.Hwnd() == nullptr) {
        return;
    }
    // Only a text longer than any the pane has held can outgrow it: the
    // one-second tick measures nothing, and the panes stay quarters until a
    // text (a large font, a high resolution) does not fit one.
    const auto slot = static_cast<std::size_t>(index);
    if (!widened_ && slot < longest_.size() && text.size() > longest_[slot]) {
        longest_[slot] = text.size();
        if (!bar_.Fits(index, text)) {
            widened_ = true;
            const std::array<std::wstring, 4> widest = WidestClockPaneTexts();
            const std::vector<int> needed = bar_.NeededWidths({widest.begin(), widest.end()});
            std::array<int, 4> neededPanes{};
            for (std::size_t i = 0; i < neededPanes.size(); ++i) {
                neededPanes[i] = needed[i];
            }
            bar_.SetPanes(Edges(ClockPaneRightEdges(bar_.Width(), neededPanes)));
        }
    }
    bar_.SetPaneText(index, text);
}

} // namespace tarvane::ui
