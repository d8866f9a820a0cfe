// Save Changes: checks the edited zone in a fixed order, writes it, and makes
// it the machine's zone when it carries the current-zone flag.
#include "core/activation.h"
#include "core/clock_warnings.h"
#include "core/zone_limits.h"
#include "core/zone_writer.h"
#include "platform/date_time.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "ui/editor_controls.h"
#include "win/message_box.h"

#include <algorithm>
#include <cstdlib>

namespace tarvane::ui {

// The texts of one transition group's checks.
struct RuleChecks {
    int monthId;
    int weekId;
    int dayOfWeekId;
    int timeId;
    int dateId;
    int occursId;
    const wchar_t* month;
    const wchar_t* week;
    const wchar_t* dayOfWeek;
    const wchar_t* time;
    const wchar_t* date;
    const wchar_t* occurs;
    const wchar_t* dateYear; // format: the year the date must lie in
};

namespace {

constexpr LONG kMaxOffset = 1440;

bool OutOfRange(LONG bias) {
    return std::llabs(static_cast<long long>(bias)) > kMaxOffset;
}

const RuleChecks kDaylightChecks{
    IDC_DST_MONTH,
    IDC_DST_WEEK,
    IDC_DST_DAY_OF_WEEK,
    IDC_DST_TIME,
    IDC_DST_DATE,
    IDC_DST_OCCURS,
    L"Daylight Saving Time 'Month' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Daylight Saving 'Time' for 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' is incorrect",
    L"Daylight Saving Time 'Occurs on' selection is incorrect",
    L"Daylight Saving Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

const RuleChecks kStandardChecks{
    IDC_STD_MONTH,
    IDC_STD_WEEK,
    IDC_STD_DAY_OF_WEEK,
    IDC_STD_TIME,
    IDC_STD_DATE,
    IDC_STD_OCCURS,
    L"Standard Time 'Month' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Week' for 'Occurs on' selection is incorrect",
    L"Standard Time 'Day Of The Week' for 'Occurs on' selection is incorrect",
    L"Standard 'Time' for 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' is incorrect",
    L"Standard Time 'Occurs on' selection is incorrect",
    L"Standard Time Date/Time selection for 'Occurs on' must lie in the year %u",
};

} // namespace

bool CTarvaneDlg::Refuse(int focusId, const std::wstring& message) {
    ::SetFocus(Item(focusId));
    ShowMessage(Hwnd(), message, MB_OK | MB_ICONERROR);
    return false;
}

void CTarvaneDlg::ShowYear(DWORD year) {
    ComboBox years(Item(IDC_YEAR));
    const int index = years.FindData(static_cast<LPARAM>(year));
    if (index >= 0) {
        years.Select(index);
        OnYearChanged();
    }
}

bool CTarvaneDlg::CheckTransition(DWORD year, LONG kind, SYSTEMTIME* recurring, const SYSTEMTIME& once,
                                  const RuleChecks& checks) {
    if (kind == kOccursRecurringYearly) {
        int focus = 0;
        const wchar_t* message = nullptr;
        if (recurring->wMonth < 1 || recurring->wMonth > 12) {
            focus = checks.monthId;
            message = checks.month;
        } else if (recurring->wDay < 1 || recurring->wDay > 5) {
            focus = checks.weekId;
            message = checks.week;
        } else if (recurring->wDayOfWeek > 6) {
            focus = checks.dayOfWeekId;
            message = checks.dayOfWeek;
        } else if (recurring->wHour > 23 || recurring->wMinute > 59) {
            focus = checks.timeId;
            message = checks.time;
        }
        if (message != nullptr) {
            ShowYear(year);
            return Refuse(focus, message);
        }
        if (recurring->wSecond > 59) {
            recurring->wSecond = 0;
        }
        if (recurring->wMilliseconds > 999) {
            recurring->wMilliseconds = 0;
        }
        return true;
    }
    if (kind == kOccursOnlyOnce) {
        if (!IsValidDateTime(once)) {
            ShowYear(year);
            return Refuse(checks.dateId, checks.date);
        }
        if (!OnceDateInYear(once, year)) {
            ShowYear(year);
            LogMessage(L"[242] yr=%u, date=%04u-%02u-%02u", year, once.wYear, once.wMonth, once.wDay);
            return Refuse(checks.dateId, Format(checks.dateYear, year));
        }
        return true;
    }
    ShowYear(year);
    return Refuse(checks.occursId, checks.occurs);
}

bool CTarvaneDlg::CheckRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules) {
    const bool own = year == 0;
    if (OutOfRange(rules.tzi.Bias)) {
        ShowYear(year);
        LogMessage(L"[108] bias=%d", rules.tzi.Bias);
        return Refuse(IDC_BIAS_HOURS, L"'Offset (bias)' is out of range");
    }
    if (!BaseOffsetPossible(rules.tzi.Bias)) {
        ShowYear(year);
        LogMessage(L"[239] bias=%d", rules.tzi.Bias);
        return Refuse(IDC_BIAS_HOURS,
                      L"'Offset (bias)' is out of range: it must lie between GMT -14:00 and GMT +14:00");
    }
    if (own) {
        zone.daylightName = TrimWhiteSpace(zone.daylightName);
        SetItemText(IDC_DST_NAME, zone.daylightName);
        if (zone.daylightName.empty()) {
            return Refuse(IDC_DST_NAME, L"'Daylight Saving Time Name' must be provided");
        }
    }
    if (OutOfRange(rules.tzi.DaylightBias)) {
        ShowYear(year);
        LogMessage(L"[110] bias=%d", rules.tzi.DaylightBias);
        return Refuse(IDC_DST_HOURS, L"Daylight Saving Time 'Offset (bias)' is out of range");
    }
    if (rules.dstEnabled != 0 && !CheckTransition(year, rules.daylightOccurs, &rules.tzi.DaylightDate,
                                                  rules.daylightAbsoluteDate, kDaylightChecks)) {
        return false;
    }
    if (own) {
        zone.standardName = TrimWhiteSpace(zone.standardName);
        SetItemText(IDC_STD_NAME, zone.standardName);
        if (zone.standardName.empty()) {
            return Refuse(IDC_STD_NAME, L"'Standard Time Name' must be provided");
        }
    }
    if (OutOfRange(rules.tzi.StandardBias)) {
        ShowYear(year);
        LogMessage(L"[109] bias=%d", rules.tzi.StandardBias);
        return Refuse(IDC_STD_HOURS, L"Standard Time 'Offset (bias)' is out of range");
    }
    if (rules.dstEnabled == 0) {
        return true;
    }
    // Daylight saving in use: its offset and its two transitions must be ones a zone can have.
    if (!DaylightShiftPossible(rules.tzi)) {
        ShowYear(year);
        LogMessage(L"[240] stdBias=%d, dstBias=%d", rules.tzi.StandardBias, rules.tzi.DaylightBias);
        return Refuse(IDC_DST_HOURS, L"Daylight Saving Time 'Offset (bias)' is out of range: it must lie "
                                     L"within 4 hours of the Standard Time 'Offset (bias)'");
    }
    if (!CheckTransition(year, rules.standardOccurs, &rules.tzi.StandardDate, rules.standardAbsoluteDate,
                         kStandardChecks)) {
        return false;
    }
    if (!TransitionsDistinct(rules, clock_)) {
        ShowYear(year);
        LogMessage(L"[241] yr=%u", year);
        return Refuse(rules.daylightOccurs == kOccursOnlyOnce ? IDC_DST_DATE : IDC_DST_MONTH,
                      L"Daylight Saving Time must begin and end at two different moments: the 'Occurs on' "
                      L"selections of Daylight Saving Time and of Standard Time name the same date and time");
    }
    return true;
}

bool CTarvaneDlg::ConfirmClockWarnings(const TimeZoneRecord& zone) {
    std::vector<DWORD> untouched;
    for (const DynamicYearRecord& added : addedYears_) {
        const auto now = std::find_if(zone.years.begin(), zone.years.end(),
                                      [&](const DynamicYearRecord& year) { return year.year == added.year; });
        if (now != zone.years.end() && SameStoredRules(now->rules, added.rules)) {
            untouched.push_back(added.year);
        }
    }
    const std::vector<std::wstring> warnings = ClockWarnings(zone, editSnapshot_, untouched);
    if (warnings.empty()) {
        return true;
    }
    std::wstring text;
    for (const std::wstring& warning : warnings) {
        text += warning + L"\n\n";
    }
    text += L"Save the zone anyway? Choose No to go back to editing.";
    return ShowMessage(Hwnd(), text, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CTarvaneDlg::SaveChanges() {
    HWND focus = ::GetFocus();
    for (int id :
         {IDC_STD_TIME, IDC_STD_DATE, IDC_STD_ONCE_TIME, IDC_DST_TIME, IDC_DST_DATE, IDC_DST_ONCE_TIME}) {
        if (focus == Item(id)) {
            // Leaving the picker makes it hand over what is being typed.
            ::SetFocus(Item(IDC_SAVE_CHANGES));
            break;
        }
    }
    TimeZoneRecord* zone = FindZoneById(editedZoneId_);
    if (zone == nullptr) {
        LogMessage(L"[107] id=%d", editedZoneId_);
        ShowMessage(Hwnd(), L"ERROR: No time zone selected", MB_OK | MB_ICONERROR);
        return;
    }
    int others = 0;
    for (const auto& other : zones_) {
        if (&other != zone && other.isCurrent) {
            ++others;
        }
    }
    const int own = zone->isCurrent ? 1 : 0;
    // Only the zone that was the machine's zone when editing began must keep
    // the flag; where no loaded zone was current there is nothing to remove.
    if (own == 0 && others == 0 && editStartedOnCurrent_) {
        SetChecked(IDC_CURRENT_ZONE, true);
        zone->isCurrent = 1;
        Refuse(IDC_CURRENT_ZONE, L"Cannot remove 'Current time zone' flag. To change current time zone set "
                                 L"it in another time zone.");
        return;
    }
    const bool activate = own >= 1 || others >= 2;

    zone->displayName = TrimWhiteSpace(zone->displayName);
    SetItemText(IDC_DISPLAY_NAME, zone->displayName);
    if (zone->displayName.empty()) {
        Refuse(IDC_DISPLAY_NAME, L"'Display Name' must be provided");
        return;
    }
    if (!CheckRules(*zone, 0, zone->rules)) {
        return;
    }
    for (auto& year : zone->years) {
        if (!CheckRules(*zone, year.year, year.rules)) {
            return;
        }
    }

    if (!ConfirmClockWarnings(*zone) || !ConfirmOverwrite(*zone)) {
        return;
    }
    const HCURSOR previousCursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    if (!SaveEditedZone(*zone)) {
        const DWORD error = GetThreadLastError();
        const std::wstring dump = DumpRecord(*zone);
        SetThreadLastError(error);
        LogMessage(L"[153] %s", dump);
        ShowMessage(Hwnd(),
                    Format(L"ERROR: Failed to save time zone data in the system registry.\n\n(%d) %s", error,
                           GetErrorText(error)),
                    MB_OK | MB_ICONERROR);
        ::SetCursor(previousCursor);
        return;
    }
    if (activate) {
        if (!ActivateTimeZone(services_.timeZones, services_.facts.isLegacyOs, zone)) {
            const DWORD error = GetThreadLastError();
            const std::wstring dump = DumpRecord(*zone);
            SetThreadLastError(error);
            LogMessage(L"[154] %s", dump);
            // The registry holds the zone now: staying in edit mode would
            // suggest that Cancel could take the write back.
            const std::wstring name = zone->displayName;
            SetEditMode(EditMode::kView, {});
            ShowMessage(Hwnd(),
                        Format(L"The time zone \"%s\" was saved, but it could not be made the current time "
                               L"zone.\n\n(%d) %s",
                               name, error, GetErrorText(error)),
                        MB_OK | MB_ICONERROR);
            ::SetCursor(previousCursor);
            return;
        }
        UpdateTitle();
    }
    if (mode_ == EditMode::kEdit) {
        SetEditMode(EditMode::kView, {});
    }
    ::SetCursor(previousCursor);
}

} // namespace tarvane::ui
