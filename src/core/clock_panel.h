// The clock panel: four panes of the main window's status bar with the UTC
// time, the local time and this year's daylight-saving transitions of the
// machine's current zone, refreshed every second.
#pragma once

#include "platform/clock_api.h"
#include "platform/time_zone_api.h"
#include "platform/win_types.h"

#include <array>
#include <string>

namespace tarvane {

// Pane ids, in their order on screen.
constexpr UINT kPaneLocalTime = 4098;
constexpr UINT kPaneUtcTime = 4097;
constexpr UINT kPaneDstBegins = 4099;
constexpr UINT kPaneDstEnds = 4100;
constexpr std::array<UINT, 4> kClockPaneIds = {kPaneLocalTime, kPaneUtcTime, kPaneDstBegins, kPaneDstEnds};

// The timer that drives the panel.
constexpr UINT kClockTimerId = 4097;
constexpr UINT kClockTimerPeriodMs = 1000;

// The status bar's panes by position: the main window's status bar, or a
// stand-in in tests.
class StatusPanes {
public:
    virtual ~StatusPanes() = default;
    virtual std::wstring PaneText(int index) = 0;
    // Sets the text and repaints the pane.
    virtual void SetPaneText(int index, const std::wstring& text) = 0;
};

// The position of a pane id, or -1 for an id that is not a clock pane.
int ClockPaneIndex(UINT id);

// Right edges of the four panes for a status bar `width` pixels wide: the
// first three a quarter each (rounded down), the last up to the end (-1).
// When a pane needs more than a quarter to hold its widest text (`needed`,
// in pixels: a large font, a high resolution), every pane gets what it
// needs and the room left over is shared out evenly.
std::array<int, 4> ClockPaneRightEdges(int width, const std::array<int, 4>& needed = {});

// The widest text that each pane can show, in pane order, for measuring.
std::array<std::wstring, 4> WidestClockPaneTexts();

// Sets the pane's text when it differs from what the pane shows, so an
// unchanged text causes no repaint. Ids that are not clock panes are ignored.
void SetClockPaneText(StatusPanes& panes, UINT id, const std::wstring& text);

// Brings all four panes up to date. No registry access.
void RefreshClock(StatusPanes& panes, ClockApi& clock, TimeZoneApi& timeZones);

} // namespace tarvane
