// The editor panel's edits: every change the user makes in a control goes
// straight into the edited record, through one table from the control to the
// field it sets.
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/editor_controls.h"
#include "ui/editor_panel.h"
#include "ui/prompts.h"
#include "win/controls.h"

#include <commctrl.h>

#include <climits>
#include <map>

namespace tarvane::ui {
namespace {

LONG Saturate(long long value) {
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<LONG>(value);
}

// One change in a control, as its setter sees it.
struct Edit {
    const win::Dialog& window;
    TimeZoneRecord& zone;
    ZoneRules& rules;
    // A list's chosen item's data (CBN_SELCHANGE).
    LPARAM chosen;
    // A picker's new value (DTN_DATETIMECHANGE).
    SYSTEMTIME picked;
};

struct Setter {
    // The message and notification that carry the control's change.
    UINT message;
    UINT code;
    void (*set)(const Edit& edit);
};

void StoreOffset(const win::Dialog& window, const OffsetIds& ids, LONG* bias) {
    const long long minutes =
        ReadDecimal(window.ItemText(ids.hours)) * 60 + ReadDecimal(window.ItemText(ids.minutes));
    const bool east = win::ComboBox(window.Item(ids.sign)).SelectedData(-1) == 1;
    *bias = Saturate(east ? -minutes : minutes);
}

void StoreSign(LPARAM chosen, LONG* bias) {
    const long long magnitude = *bias < 0 ? -static_cast<long long>(*bias) : *bias;
    *bias = Saturate(chosen == 1 ? -magnitude : magnitude);
}

void StoreTime(const SYSTEMTIME& picked, SYSTEMTIME* date) {
    date->wHour = picked.wHour;
    date->wMinute = picked.wMinute;
    date->wSecond = picked.wSecond;
    date->wMilliseconds = 0;
}

// The value of the other picker of a one-time date; now when it holds none.
SYSTEMTIME PickerOrNow(const win::Dialog& window, int id) {
    SYSTEMTIME value{};
    if (!win::DateTimePicker(window.Item(id)).GetTime(&value)) {
        ::GetLocalTime(&value);
    }
    return value;
}

SYSTEMTIME DateAt(const SYSTEMTIME& date, const SYSTEMTIME& time) {
    return SYSTEMTIME{date.wYear, date.wMonth, 0, date.wDay, time.wHour, time.wMinute, time.wSecond, 0};
}

WORD Chosen(const Edit& edit) {
    return static_cast<WORD>(edit.chosen);
}

constexpr Setter Text(void (*set)(const Edit&)) {
    return {WM_COMMAND, EN_CHANGE, set};
}
constexpr Setter List(void (*set)(const Edit&)) {
    return {WM_COMMAND, CBN_SELCHANGE, set};
}
constexpr Setter Check(void (*set)(const Edit&)) {
    return {WM_COMMAND, BN_CLICKED, set};
}
constexpr Setter Picker(void (*set)(const Edit&)) {
    return {WM_NOTIFY, DTN_DATETIMECHANGE, set};
}

const std::map<int, Setter>& Setters() {
    static const std::map<int, Setter> setters = {
        {IDC_DISPLAY_NAME,
         Text([](const Edit& e) { e.zone.displayName = e.window.ItemText(IDC_DISPLAY_NAME); })},
        {IDC_STD_NAME, Text([](const Edit& e) { e.zone.standardName = e.window.ItemText(IDC_STD_NAME); })},
        {IDC_DST_NAME, Text([](const Edit& e) { e.zone.daylightName = e.window.ItemText(IDC_DST_NAME); })},
        {IDC_BIAS_HOURS, Text([](const Edit& e) { StoreOffset(e.window, kBiasIds, &e.rules.tzi.Bias); })},
        {IDC_BIAS_MINUTES, Text([](const Edit& e) { StoreOffset(e.window, kBiasIds, &e.rules.tzi.Bias); })},
        {IDC_STD_HOURS,
         Text([](const Edit& e) { StoreOffset(e.window, kStandardOffsetIds, &e.rules.tzi.StandardBias); })},
        {IDC_STD_MINUTES,
         Text([](const Edit& e) { StoreOffset(e.window, kStandardOffsetIds, &e.rules.tzi.StandardBias); })},
        {IDC_DST_HOURS,
         Text([](const Edit& e) { StoreOffset(e.window, kDaylightOffsetIds, &e.rules.tzi.DaylightBias); })},
        {IDC_DST_MINUTES,
         Text([](const Edit& e) { StoreOffset(e.window, kDaylightOffsetIds, &e.rules.tzi.DaylightBias); })},
        {IDC_BIAS_SIGN, List([](const Edit& e) { StoreSign(e.chosen, &e.rules.tzi.Bias); })},
        {IDC_STD_SIGN, List([](const Edit& e) { StoreSign(e.chosen, &e.rules.tzi.StandardBias); })},
        {IDC_DST_SIGN, List([](const Edit& e) { StoreSign(e.chosen, &e.rules.tzi.DaylightBias); })},
        {IDC_STD_OCCURS, List([](const Edit& e) { e.rules.standardOccurs = static_cast<LONG>(e.chosen); })},
        {IDC_DST_OCCURS, List([](const Edit& e) { e.rules.daylightOccurs = static_cast<LONG>(e.chosen); })},
        {IDC_STD_MONTH, List([](const Edit& e) { e.rules.tzi.StandardDate.wMonth = Chosen(e); })},
        {IDC_STD_WEEK, List([](const Edit& e) { e.rules.tzi.StandardDate.wDay = Chosen(e); })},
        {IDC_STD_DAY_OF_WEEK, List([](const Edit& e) { e.rules.tzi.StandardDate.wDayOfWeek = Chosen(e); })},
        {IDC_DST_MONTH, List([](const Edit& e) { e.rules.tzi.DaylightDate.wMonth = Chosen(e); })},
        {IDC_DST_WEEK, List([](const Edit& e) { e.rules.tzi.DaylightDate.wDay = Chosen(e); })},
        {IDC_DST_DAY_OF_WEEK, List([](const Edit& e) { e.rules.tzi.DaylightDate.wDayOfWeek = Chosen(e); })},
        {IDC_CURRENT_ZONE,
         Check([](const Edit& e) { e.zone.isCurrent = e.window.IsChecked(IDC_CURRENT_ZONE); })},
        {IDC_DST_ENABLED,
         Check([](const Edit& e) { e.rules.dstEnabled = e.window.IsChecked(IDC_DST_ENABLED); })},
        {IDC_STD_TIME, Picker([](const Edit& e) { StoreTime(e.picked, &e.rules.tzi.StandardDate); })},
        {IDC_DST_TIME, Picker([](const Edit& e) { StoreTime(e.picked, &e.rules.tzi.DaylightDate); })},
        {IDC_STD_DATE, Picker([](const Edit& e) {
             e.rules.standardAbsoluteDate = DateAt(e.picked, PickerOrNow(e.window, IDC_STD_ONCE_TIME));
         })},
        {IDC_DST_DATE, Picker([](const Edit& e) {
             e.rules.daylightAbsoluteDate = DateAt(e.picked, PickerOrNow(e.window, IDC_DST_ONCE_TIME));
         })},
        {IDC_STD_ONCE_TIME, Picker([](const Edit& e) {
             e.rules.standardAbsoluteDate = DateAt(PickerOrNow(e.window, IDC_STD_DATE), e.picked);
         })},
        {IDC_DST_ONCE_TIME, Picker([](const Edit& e) {
             e.rules.daylightAbsoluteDate = DateAt(PickerOrNow(e.window, IDC_DST_DATE), e.picked);
         })},
    };
    return setters;
}

} // namespace

void EditorPanel::TakeEdit(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Editing() || !takingEdits_ || (message != WM_COMMAND && message != WM_NOTIFY)) {
        return;
    }
    TimeZoneRecord* zone = host_.SelectedZone();
    ZoneRules* rules = RulesOf(zone, SelectedYear());
    if (zone == nullptr || rules == nullptr) {
        return;
    }
    const auto* header = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lParam) : nullptr;
    const int id = header != nullptr ? static_cast<int>(header->idFrom) : LOWORD(wParam);
    const UINT code = header != nullptr ? header->code : HIWORD(wParam);
    const auto setter = Setters().find(id);
    if (setter == Setters().end() || setter->second.message != message || setter->second.code != code) {
        return;
    }
    Edit edit{window_, *zone, *rules, 0, SYSTEMTIME{}};
    if (message == WM_COMMAND && code == CBN_SELCHANGE) {
        edit.chosen = win::ComboBox(reinterpret_cast<HWND>(lParam)).SelectedData(-1);
    } else if (header != nullptr) {
        edit.picked = reinterpret_cast<const NMDATETIMECHANGE*>(lParam)->st;
    }
    setter->second.set(edit);
}

bool EditorPanel::PreTranslateMessage(const MSG& message) {
    // The up-down control of an offset box takes the arrow keys and the
    // wheel of its box even while it is disabled: a box that cannot be
    // changed must not show a value the record does not hold.
    const bool arrowOrWheel =
        (message.message == WM_KEYDOWN && (message.wParam == VK_UP || message.wParam == VK_DOWN)) ||
        message.message == WM_MOUSEWHEEL;
    if (arrowOrWheel && IsReadOnlyOffsetBox(message.hwnd)) {
        return true;
    }
    // Typing into a name the setting keeps read-only says why, once an edit.
    if (Editing() && message.message == WM_CHAR && !namesLockedSaid_ && IsLockedNameBox(message.hwnd)) {
        namesLockedSaid_ = true;
        ShowMessage(window_.Hwnd(), L"Names can be changed when AllowEditDSTzNames is set; see Help.",
                    MB_OK | MB_ICONINFORMATION);
        return true;
    }
    return false;
}

bool EditorPanel::IsLockedNameBox(HWND window) const {
    for (int id : {IDC_DISPLAY_NAME, IDC_STD_NAME, IDC_DST_NAME}) {
        if (window != nullptr && window == window_.Item(id)) {
            return (::GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY) != 0 && !NamesEditable();
        }
    }
    return false;
}

bool EditorPanel::IsReadOnlyOffsetBox(HWND window) const {
    for (const OffsetIds& ids : {kBiasIds, kStandardOffsetIds, kDaylightOffsetIds}) {
        if (window != nullptr && (window == window_.Item(ids.hours) || window == window_.Item(ids.minutes))) {
            return (::GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY) != 0;
        }
    }
    return false;
}

bool EditorPanel::CalendarOpen() const {
    for (int id : kPickerIds) {
        if (win::DateTimePicker(window_.Item(id)).IsCalendarOpen()) {
            return true;
        }
    }
    return false;
}

void EditorPanel::FinishTyping() const {
    HWND focus = ::GetFocus();
    for (int id : kPickerIds) {
        if (focus == window_.Item(id)) {
            // Leaving the picker makes it hand over what is being typed.
            ::SetFocus(window_.Item(IDC_SAVE_CHANGES));
            return;
        }
    }
}

} // namespace tarvane::ui
