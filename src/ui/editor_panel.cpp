// The editor panel of the main window: fills the controls from a zone and
// decides which of them may change in view and in edit mode.
#include "ui/editor_panel.h"

#include "core/zone_limits.h"
#include "platform/date_time.h"
#include "platform/diagnostic_log.h"
#include "platform/format.h"
#include "platform/settings_store.h"
#include "resources/resource.h"
#include "ui/editor_controls.h"
#include "win/controls.h"

#include <commctrl.h>

#include <cstdlib>
#include <utility>

namespace tarvane::ui {
namespace {

constexpr DWORD kMaxDynamicYears = 1000;

// The locale's short date or time picture as the pickers show it; none (the
// picker's own) when the locale cannot be read.
const wchar_t* PickerPicture(LCTYPE type) {
    static std::wstring time;
    static std::wstring date;
    std::wstring& picture = type == LOCALE_STIMEFORMAT ? time : date;
    if (picture.empty()) {
        wchar_t buffer[80] = {};
        if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80) > 0) {
            picture = TwoDigitPicture(buffer);
        }
    }
    return picture.empty() ? nullptr : picture.c_str();
}

} // namespace

void EditorPanel::Create() {
    FillFixedLists();
    AddYearButtonTips();
}

bool EditorPanel::NamesEditable() const {
    // A new zone's names are the user's to give. The setting is read at
    // every fill, so a change in the registry shows at the next one.
    return host_.EditingNewZone() || ReadAllowEditDSTzNames(registry_) != 0;
}

void EditorPanel::FillFixedLists() {
    auto fillSign = [this](int id, const wchar_t* prefix) {
        win::ComboBox list(window_.Item(id));
        list.Reset();
        list.AddItem(Format(L"%s +", prefix), 1);
        list.AddItem(Format(L"%s -", prefix), 0);
    };
    fillSign(IDC_BIAS_SIGN, L"GMT");
    fillSign(IDC_STD_SIGN, L"TimeZone");
    fillSign(IDC_DST_SIGN, L"TimeZone");
    for (const OffsetIds& ids : {kBiasIds, kStandardOffsetIds, kDaylightOffsetIds}) {
        ::SendMessageW(window_.Item(ids.hoursSpin), UDM_SETRANGE32, 0, 23);
        ::SendMessageW(window_.Item(ids.minutesSpin), UDM_SETRANGE32, 0, 59);
        ::SendMessageW(window_.Item(ids.hours), EM_LIMITTEXT, 2, 0);
        ::SendMessageW(window_.Item(ids.minutes), EM_LIMITTEXT, 2, 0);
    }
    static const wchar_t* const kMonths[] = {L"January",   L"Februrary", L"March",    L"April",
                                             L"May",       L"June",      L"July",     L"August",
                                             L"September", L"October",   L"November", L"December"};
    static const wchar_t* const kWeeks[] = {L"1st", L"2nd", L"3rd", L"4th", L"Last"};
    static const wchar_t* const kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                           L"Thursday", L"Friday", L"Saturday"};
    for (int id : {IDC_STD_OCCURS, IDC_DST_OCCURS}) {
        win::ComboBox list(window_.Item(id));
        list.Reset();
        list.AddItem(L"Recurring Yearly", kOccursRecurringYearly);
        list.AddItem(L"Happens Only Once", kOccursOnlyOnce);
    }
    for (const TransitionIds& ids : {kStandardTransitionIds, kDaylightTransitionIds}) {
        win::ComboBox months(window_.Item(ids.month));
        months.Reset();
        for (int i = 0; i < 12; ++i) {
            months.AddItem(kMonths[i], i + 1);
        }
        win::ComboBox weeks(window_.Item(ids.week));
        weeks.Reset();
        for (int i = 0; i < 5; ++i) {
            weeks.AddItem(kWeeks[i], i + 1);
        }
        win::ComboBox days(window_.Item(ids.dayOfWeek));
        days.Reset();
        for (int i = 0; i < 7; ++i) {
            days.AddItem(kDays[i], i);
        }
    }
    for (int id : {IDC_DISPLAY_NAME, IDC_STD_NAME, IDC_DST_NAME}) {
        ::SendMessageW(window_.Item(id), EM_LIMITTEXT, 255, 0);
    }
}

void EditorPanel::AddYearButtonTips() {
    HWND tips =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.Hwnd(), nullptr,
                          ::GetModuleHandleW(nullptr), nullptr);
    if (tips == nullptr) {
        // Kept though no test reaches it: only a desktop out of its heap
        // refuses a tooltip window, which no test can arrange; the buttons
        // then work without their tips.
        LogText(EVENTLOG_ERROR_TYPE, L"[244]");
        return;
    }
    const std::pair<int, const wchar_t*> buttons[] = {{IDC_ADD_YEAR, L"Add Year"},
                                                      {IDC_REMOVE_YEAR, L"Remove Year"}};
    for (const auto& [id, text] : buttons) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_.Hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(window_.Item(id));
        tool.lpszText = const_cast<wchar_t*>(text);
        ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

ZoneRules* EditorPanel::RulesOf(TimeZoneRecord* zone, DWORD year) {
    if (zone == nullptr) {
        return nullptr;
    }
    if (year == 0) {
        return &zone->rules;
    }
    for (auto& dynamicYear : zone->years) {
        if (dynamicYear.year == year) {
            return &dynamicYear.rules;
        }
    }
    return nullptr;
}

DWORD EditorPanel::SelectedYear() const {
    return static_cast<DWORD>(win::ComboBox(window_.Item(IDC_YEAR)).SelectedData(0));
}

void EditorPanel::ShowZone(TimeZoneRecord* zone) {
    ++updates_;
    const bool editing = Editing() && zone != nullptr;
    window_.SetChecked(IDC_CURRENT_ZONE, zone != nullptr && zone->isCurrent != 0);
    window_.EnableItem(IDC_CURRENT_ZONE, editing);
    window_.SetItemText(IDC_DISPLAY_NAME, zone ? zone->displayName : std::wstring());
    window_.SetItemReadOnly(IDC_DISPLAY_NAME, !(editing && NamesEditable()));

    win::ComboBox years(window_.Item(IDC_YEAR));
    window_.EnableItem(IDC_YEAR, zone != nullptr);
    const auto remembered = static_cast<DWORD>(years.SelectedData(0));
    years.Reset();
    years.AddItem(L"Default", 0);
    if (zone != nullptr) {
        for (const auto& dynamicYear : zone->years) {
            years.AddItem(Format(L"%d", dynamicYear.year), static_cast<LPARAM>(dynamicYear.year));
        }
    }
    const int chosen = remembered == 0 ? -1 : years.FindData(static_cast<LPARAM>(remembered));
    years.Select(chosen < 0 ? 0 : chosen);
    ShowRules(zone, chosen < 0 ? 0 : remembered);
}

void EditorPanel::ShowChangedZone(TimeZoneRecord* zone) {
    const bool taking = takingEdits_;
    takingEdits_ = false;
    ShowZone(zone);
    takingEdits_ = taking;
}

void EditorPanel::ShowYear(DWORD year) {
    win::ComboBox years(window_.Item(IDC_YEAR));
    const int index = years.FindData(static_cast<LPARAM>(year));
    if (index >= 0) {
        years.Select(index);
        OnYearChanged();
    }
}

bool EditorPanel::OfferYear(DWORD year) {
    win::ComboBox years(window_.Item(IDC_YEAR));
    int before = -1;
    const int count = years.Count();
    for (int i = 0; i < count; ++i) {
        const LPARAM data = years.ItemData(i);
        if (data != -1 && data != 0 && static_cast<DWORD>(data) > year) {
            before = i;
            break;
        }
    }
    const int item = years.InsertItem(before, Format(L"%u", year));
    if (item < 0 || !years.SetItemData(item, static_cast<LPARAM>(year))) {
        if (item >= 0) {
            years.DeleteItem(item);
        }
        return false;
    }
    years.Select(item);
    ShowRules(host_.SelectedZone(), year);
    UpdateYearButtons();
    return true;
}

bool EditorPanel::WithdrawYear(DWORD year) {
    win::ComboBox years(window_.Item(IDC_YEAR));
    const int item = years.FindData(static_cast<LPARAM>(year));
    return item >= 0 && years.DeleteItem(item);
}

void EditorPanel::ShowOffset(const OffsetIds& ids, const LONG* bias, bool enabled) {
    win::ComboBox sign(window_.Item(ids.sign));
    if (bias == nullptr) {
        sign.Select(-1);
        window_.SetItemText(ids.hours, L"");
        window_.SetItemText(ids.minutes, L"");
    } else {
        const long long magnitude = std::llabs(static_cast<long long>(*bias));
        sign.SelectData(*bias <= 0 ? 1 : 0);
        window_.SetItemText(ids.hours, Format(L"%u", static_cast<DWORD>(magnitude / 60)));
        window_.SetItemText(ids.minutes, Format(L"%u", static_cast<DWORD>(magnitude % 60)));
    }
    window_.EnableItem(ids.sign, enabled);
    window_.EnableItem(ids.hoursSpin, enabled);
    window_.EnableItem(ids.minutesSpin, enabled);
    window_.SetItemReadOnly(ids.hours, !enabled);
    window_.SetItemReadOnly(ids.minutes, !enabled);
}

void EditorPanel::ShowRules(TimeZoneRecord* zone, DWORD year) {
    ZoneRules* rules = RulesOf(zone, year);
    const bool editing = Editing() && zone != nullptr;
    ShowOffset(kBiasIds, rules ? &rules->tzi.Bias : nullptr, editing);
    const bool dst = rules != nullptr && rules->dstEnabled != 0;
    window_.SetChecked(IDC_DST_ENABLED, dst);
    window_.EnableItem(IDC_DST_ENABLED, editing);
    ShowGroups(zone, rules, dst);
}

void EditorPanel::ShowGroups(TimeZoneRecord* zone, ZoneRules* rules, bool dstChecked) {
    const bool locked = !(Editing() && dstChecked && rules != nullptr);
    const bool shown = dstChecked && rules != nullptr;
    const bool namesEditable = NamesEditable();
    struct Group {
        int nameId;
        const std::wstring* name;
        const OffsetIds& offset;
        LONG* bias;
        int occursId;
        LONG* occurs;
        SYSTEMTIME* recurring;
        SYSTEMTIME* once;
        const TransitionIds& transition;
    };
    const Group groups[] = {
        {IDC_STD_NAME, zone ? &zone->standardName : nullptr, kStandardOffsetIds,
         rules ? &rules->tzi.StandardBias : nullptr, IDC_STD_OCCURS, rules ? &rules->standardOccurs : nullptr,
         rules ? &rules->tzi.StandardDate : nullptr, rules ? &rules->standardAbsoluteDate : nullptr,
         kStandardTransitionIds},
        {IDC_DST_NAME, zone ? &zone->daylightName : nullptr, kDaylightOffsetIds,
         rules ? &rules->tzi.DaylightBias : nullptr, IDC_DST_OCCURS, rules ? &rules->daylightOccurs : nullptr,
         rules ? &rules->tzi.DaylightDate : nullptr, rules ? &rules->daylightAbsoluteDate : nullptr,
         kDaylightTransitionIds},
    };
    for (const Group& group : groups) {
        window_.SetItemText(group.nameId,
                            rules != nullptr && group.name != nullptr ? *group.name : std::wstring());
        window_.SetItemReadOnly(group.nameId, locked || !namesEditable);
        ShowOffset(group.offset, group.bias, !locked);
        win::ComboBox occurs(window_.Item(group.occursId));
        LONG kind = 0;
        if (shown) {
            kind = *group.occurs;
            occurs.SelectData(kind);
        } else {
            occurs.Select(-1);
        }
        window_.EnableItem(group.occursId, dstChecked && !locked);
        ShowTransition(kind, shown ? group.recurring : nullptr, shown ? group.once : nullptr,
                       group.transition);
    }
}

void EditorPanel::ShowTransition(LONG kind, SYSTEMTIME* recurring, SYSTEMTIME* once,
                                 const TransitionIds& ids) {
    const bool editing = Editing() && recurring != nullptr && once != nullptr;
    win::ComboBox month(window_.Item(ids.month));
    win::ComboBox week(window_.Item(ids.week));
    win::ComboBox dayOfWeek(window_.Item(ids.dayOfWeek));
    win::DateTimePicker time(window_.Item(ids.time));
    win::DateTimePicker date(window_.Item(ids.date));
    win::DateTimePicker onceTime(window_.Item(ids.onceTime));
    if (kind == kOccursRecurringYearly && recurring != nullptr && once != nullptr) {
        month.SelectData(recurring->wMonth);
        week.SelectData(recurring->wDay);
        dayOfWeek.SelectData(recurring->wDayOfWeek);
        time.SetFormat(PickerPicture(LOCALE_STIMEFORMAT));
        const SYSTEMTIME shown{2017,
                               1,
                               0,
                               1,
                               recurring->wHour,
                               recurring->wMinute,
                               recurring->wSecond,
                               recurring->wMilliseconds};
        time.SetTime(shown);
        date.SetFormat(L" ");
        onceTime.SetFormat(L" ");
        for (int id : {ids.month, ids.week, ids.dayOfWeek, ids.time}) {
            window_.EnableItem(id, editing);
        }
        window_.EnableItem(ids.date, false);
        window_.EnableItem(ids.onceTime, false);
        return;
    }
    if (kind == kOccursOnlyOnce && recurring != nullptr && once != nullptr) {
        month.Select(-1);
        week.Select(-1);
        dayOfWeek.Select(-1);
        time.SetFormat(L" ");
        // A year's rule switched to one time starts in that year, on the date
        // its recurring rule gives there.
        const DWORD year = SelectedYear();
        if (!IsValidDateTime(*once) && year != 0 && year <= 0xFFFF) {
            const SYSTEMTIME inYear = OnceDateForYear(*recurring, *once, static_cast<WORD>(year), clock_);
            if (IsValidDateTime(inYear)) {
                *once = inYear;
            }
        }
        if (!IsValidDateTime(*once)) {
            // Repair in the record: a picker cannot show an invalid date.
            SYSTEMTIME now{};
            ::GetLocalTime(&now);
            const SYSTEMTIME today{now.wYear,     now.wMonth,    0, now.wDay, once->wHour,
                                   once->wMinute, once->wSecond, 0};
            const SYSTEMTIME atNow{once->wYear, once->wMonth, 0,           once->wDay,
                                   now.wHour,   now.wMinute,  now.wSecond, 0};
            if (IsValidDateTime(today)) {
                *once = today;
            } else if (IsValidDateTime(atNow)) {
                *once = atNow;
            } else {
                *once = now;
            }
        }
        date.SetFormat(PickerPicture(LOCALE_SSHORTDATE));
        onceTime.SetFormat(PickerPicture(LOCALE_STIMEFORMAT));
        date.SetTime(*once);
        onceTime.SetTime(*once);
        for (int id : {ids.month, ids.week, ids.dayOfWeek, ids.time}) {
            window_.EnableItem(id, false);
        }
        window_.EnableItem(ids.date, editing);
        window_.EnableItem(ids.onceTime, editing);
        return;
    }
    month.Select(-1);
    week.Select(-1);
    dayOfWeek.Select(-1);
    time.SetFormat(L" ");
    date.SetFormat(L" ");
    onceTime.SetFormat(L" ");
    for (int id : {ids.month, ids.week, ids.dayOfWeek, ids.time, ids.date, ids.onceTime}) {
        window_.EnableItem(id, false);
    }
}

bool EditorPanel::CanAddYear() const {
    TimeZoneRecord* zone = host_.SelectedZone();
    return Editing() && zone != nullptr && zone->years.size() < kMaxDynamicYears;
}

bool EditorPanel::CanRemoveYear() const {
    TimeZoneRecord* zone = host_.SelectedZone();
    const DWORD year = SelectedYear();
    if (!Editing() || zone == nullptr || year == 0) {
        return false;
    }
    DWORD smallest = 0;
    DWORD largest = 0;
    for (const auto& dynamicYear : zone->years) {
        if (dynamicYear.year == 0) {
            continue;
        }
        if (smallest == 0 || dynamicYear.year < smallest) {
            smallest = dynamicYear.year;
        }
        if (dynamicYear.year > largest) {
            largest = dynamicYear.year;
        }
    }
    return year == smallest || year == largest;
}

void EditorPanel::UpdateYearButtons() {
    window_.EnableItem(IDC_ADD_YEAR, CanAddYear());
    window_.EnableItem(IDC_REMOVE_YEAR, CanRemoveYear());
}

void EditorPanel::OnYearChanged() {
    ShowRules(host_.SelectedZone(), SelectedYear());
    UpdateYearButtons();
}

void EditorPanel::OnDstClicked() {
    TimeZoneRecord* zone = host_.SelectedZone();
    ShowGroups(zone, RulesOf(zone, SelectedYear()), window_.IsChecked(IDC_DST_ENABLED));
}

void EditorPanel::OnOccursChanged(int listId) {
    TimeZoneRecord* zone = host_.SelectedZone();
    ZoneRules* rules = RulesOf(zone, SelectedYear());
    const bool standard = listId == IDC_STD_OCCURS;
    const auto kind = static_cast<LONG>(win::ComboBox(window_.Item(listId)).SelectedData(-1));
    const bool dst = window_.IsChecked(IDC_DST_ENABLED) && rules != nullptr;
    SYSTEMTIME* recurring = dst ? (standard ? &rules->tzi.StandardDate : &rules->tzi.DaylightDate) : nullptr;
    SYSTEMTIME* once =
        dst ? (standard ? &rules->standardAbsoluteDate : &rules->daylightAbsoluteDate) : nullptr;
    ShowTransition(kind, recurring, once, standard ? kStandardTransitionIds : kDaylightTransitionIds);
}

bool EditorPanel::OnCommand(WORD id, WORD code) {
    switch (id) {
    case IDC_YEAR:
        if (code == CBN_SELCHANGE) {
            OnYearChanged();
        }
        return code == CBN_SELCHANGE;
    case IDC_DST_ENABLED:
        if (code == BN_CLICKED) {
            OnDstClicked();
        }
        return code == BN_CLICKED;
    case IDC_STD_OCCURS:
    case IDC_DST_OCCURS:
        if (code == CBN_SELCHANGE) {
            OnOccursChanged(id);
        }
        return code == CBN_SELCHANGE;
    default:
        return false;
    }
}

} // namespace tarvane::ui
