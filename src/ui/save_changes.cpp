// Save Changes: checks the edited zone in a fixed order (the rules of a valid
// zone are core's), writes it, and makes it the machine's zone when it
// carries the current-zone flag.
#include "core/activation.h"
#include "core/clock_warnings.h"
#include "core/zone_limits.h"
#include "core/zone_rules_check.h"
#include "core/zone_writer.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"
#include "win/wait_cursor.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace tarvane::ui {

namespace {

// The control of the editor that holds each field a rule speaks of.
int ControlOf(ZoneField field) {
    switch (field) {
    case ZoneField::kDisplayName:
        return IDC_DISPLAY_NAME;
    case ZoneField::kBias:
        return IDC_BIAS_HOURS;
    case ZoneField::kDaylightName:
        return IDC_DST_NAME;
    case ZoneField::kDaylightBias:
        return IDC_DST_HOURS;
    case ZoneField::kDaylightMonth:
        return IDC_DST_MONTH;
    case ZoneField::kDaylightWeek:
        return IDC_DST_WEEK;
    case ZoneField::kDaylightDayOfWeek:
        return IDC_DST_DAY_OF_WEEK;
    case ZoneField::kDaylightTime:
        return IDC_DST_TIME;
    case ZoneField::kDaylightDate:
        return IDC_DST_DATE;
    case ZoneField::kDaylightOccurs:
        return IDC_DST_OCCURS;
    case ZoneField::kStandardName:
        return IDC_STD_NAME;
    case ZoneField::kStandardBias:
        return IDC_STD_HOURS;
    case ZoneField::kStandardMonth:
        return IDC_STD_MONTH;
    case ZoneField::kStandardWeek:
        return IDC_STD_WEEK;
    case ZoneField::kStandardDayOfWeek:
        return IDC_STD_DAY_OF_WEEK;
    case ZoneField::kStandardTime:
        return IDC_STD_TIME;
    case ZoneField::kStandardDate:
        return IDC_STD_DATE;
    case ZoneField::kStandardOccurs:
        return IDC_STD_OCCURS;
    }
    return IDC_BIAS_HOURS;
}

} // namespace

bool CTarvaneDlg::Refuse(int focusId, const std::wstring& message) {
    ::SetFocus(Item(focusId));
    ShowMessage(Hwnd(), message, MB_OK | MB_ICONERROR);
    return false;
}

bool CTarvaneDlg::CheckRules(TimeZoneRecord& zone, DWORD year, ZoneRules& rules) {
    const ZoneRulesCheck check = CheckZoneRules(zone, year, rules, clock_);
    if (check.daylightNameTrimmed) {
        SetItemText(IDC_DST_NAME, zone.daylightName);
    }
    if (check.standardNameTrimmed) {
        SetItemText(IDC_STD_NAME, zone.standardName);
    }
    if (!check.problem) {
        return true;
    }
    const ZoneRuleProblem& problem = *check.problem;
    if (problem.inYear) {
        editor_.ShowYear(year);
    }
    if (!problem.logLine.empty()) {
        LogText(EVENTLOG_ERROR_TYPE, problem.logLine.c_str());
    }
    return Refuse(ControlOf(problem.field), problem.message);
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
    editor_.FinishTyping();
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
    // A name is written again only when trimming changed it.
    if (ItemText(IDC_DISPLAY_NAME) != zone->displayName) {
        SetItemText(IDC_DISPLAY_NAME, zone->displayName);
    }
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
    win::ScopedWaitCursor wait;
    if (!SaveEditedZone(*zone)) {
        const DWORD error = GetThreadLastError();
        const std::wstring dump = DumpRecord(*zone);
        SetThreadLastError(error);
        LogMessage(L"[153] %s", dump);
        ShowMessage(Hwnd(),
                    Format(L"ERROR: Failed to save time zone data in the system registry.\n\n(%d) %s", error,
                           GetErrorText(error)),
                    MB_OK | MB_ICONERROR);
        wait.End();
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
            wait.End();
            return;
        }
        UpdateTitle();
    }
    if (mode_ == EditMode::kEdit) {
        SetEditMode(EditMode::kView, {});
    }
    wait.End();
}

} // namespace tarvane::ui
