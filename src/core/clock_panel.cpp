#include "core/clock_panel.h"

#include "core/transition_dates.h"
#include "core/zone_loader.h"
#include "platform/date_time.h"
#include "platform/format.h"

namespace tarvane {

int ClockPaneIndex(UINT id) {
    for (std::size_t i = 0; i < kClockPaneIds.size(); ++i) {
        if (kClockPaneIds[i] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::array<int, 4> ClockPaneRightEdges(int width, const std::array<int, 4>& needed) {
    const int quarter = width * 25 / 100;
    long long total = 0;
    bool fits = true;
    for (int need : needed) {
        total += need;
        fits = fits && need <= quarter;
    }
    if (fits) {
        return {quarter, 2 * quarter, 3 * quarter, -1};
    }
    // Too little room for all of them: each keeps the same share of what it needs.
    std::array<int, 4> edges{};
    long long edge = 0;
    const long long spare = width - total;
    for (std::size_t i = 0; i < 3; ++i) {
        edge += spare >= 0 ? needed[i] + spare / 4 : needed[i] * width / total;
        edges[i] = static_cast<int>(edge);
    }
    edges[3] = -1;
    return edges;
}

std::array<std::wstring, 4> WidestClockPaneTexts() {
    // Two-digit month, day and hour, and the digits a font draws widest.
    const SYSTEMTIME widest{2028, 12, 4, 28, 23, 58, 58, 0};
    const std::wstring time = FormatDateTime(widest);
    return {L"Local: " + time, L"UTC: 2028-12-28T23:58:58Z", L"DST Begins: " + time, L"DST Ends: " + time};
}

void SetClockPaneText(StatusPanes& panes, UINT id, const std::wstring& text) {
    const int index = ClockPaneIndex(id);
    if (index < 0) {
        return;
    }
    if (panes.PaneText(index) != text) {
        panes.SetPaneText(index, text);
    }
}

namespace {

std::wstring TransitionText(const SYSTEMTIME& rule, WORD year, ClockApi& clock) {
    SYSTEMTIME when{};
    if (!ComputeTransitionDate(&rule, year, &when, clock)) {
        return L"<error>";
    }
    return FormatDateTime(when);
}

} // namespace

void RefreshClock(StatusPanes& panes, ClockApi& clock, TimeZoneApi& timeZones) {
    const SYSTEMTIME utc = clock.UtcNow();
    SYSTEMTIME local{};
    const bool haveLocal = clock.UtcToLocal(utc, &local);

    SetClockPaneText(panes, kPaneUtcTime,
                     Format(L"UTC: %04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay,
                            utc.wHour, utc.wMinute, utc.wSecond));
    SetClockPaneText(panes, kPaneLocalTime, L"Local: " + (haveLocal ? FormatDateTime(local) : L"<Error>"));

    TimeZoneInfo zone{};
    const DWORD result = QueryCurrentZone(timeZones, &zone, nullptr);
    if (result == TIME_ZONE_ID_UNKNOWN) {
        SetClockPaneText(panes, kPaneDstBegins, L"DST Begins: -");
        SetClockPaneText(panes, kPaneDstEnds, L"DST Ends: -");
    } else if (result == TIME_ZONE_ID_STANDARD || result == TIME_ZONE_ID_DAYLIGHT) {
        SetClockPaneText(panes, kPaneDstBegins,
                         L"DST Begins: " + TransitionText(zone.daylightDate, local.wYear, clock));
        SetClockPaneText(panes, kPaneDstEnds,
                         L"DST Ends: " + TransitionText(zone.standardDate, local.wYear, clock));
    } else {
        SetClockPaneText(panes, kPaneDstBegins, L"DST Begins: <error>");
        SetClockPaneText(panes, kPaneDstEnds, L"DST Ends: <error>");
    }
}

} // namespace tarvane
