// The main window's tz database commands: Tools > Check Against tz Database
// (view mode), Edit > Fill From tz Database (edit mode, and the button by
// the year list), which changes the edited zone's record in memory only, and
// Tools > tz Database Release..., which chooses the release they all use.
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tzdb/tz_check.h"
#include "tzdb/tz_fill.h"
#include "ui/prompts.h"
#include "ui/tarvane_dlg.h"
#include "ui/tz_database.h"
#include "win/wait_cursor.h"

namespace tarvane::ui {
namespace {

constexpr UINT kStop = MB_OK | MB_ICONERROR;

const wchar_t kNoTzDatabase[] = L"ERROR: The tz database is missing or damaged in this program file.";

// The question before a fill that leaves years as they are, stops short of
// the tz database's future or changes the display name's offset; empty when
// there is nothing to ask.
std::wstring FillQuestion(const FillPlan& plan, LONG firstYear, LONG lastYear, const std::wstring& oldName,
                          const std::wstring& newName) {
    std::wstring text;
    if (!plan.problems.empty()) {
        text = L"These years cannot be expressed exactly in the registry's form and keep the rules they have "
               L"now:\n\n" +
               ProblemLines(plan.problems) + L"\n\n";
    }
    if (plan.laterDifference) {
        text += Format(
            L"After %d the zone keeps the rules of %d, which differ from the tz database from %d on.\n\n",
            lastYear, lastYear, *plan.laterDifference);
    }
    if (newName != oldName) {
        text += Format(L"The zone's offset from UTC changes, and so does its display name: \"%s\" becomes "
                       L"\"%s\".\n\n",
                       oldName, newName);
    }
    if (text.empty()) {
        return text;
    }
    return text + (plan.problems.empty()
                       ? Format(L"Fill the years %d to %d from the tz database?", firstYear, lastYear)
                       : std::wstring(L"Fill the other years from the tz database?"));
}

} // namespace

bool CTarvaneDlg::OnTzCommand(WORD id, WORD code) {
    switch (id) {
    case ID_TOOLS_TZ_CHECK:
        if (mode_ == EditMode::kView) {
            CheckAgainstTzDatabase();
        }
        return true;
    case ID_EDIT_TZ_FILL:
        FillFromTzDatabase();
        return true;
    case IDC_TZ_FILL:
        if (code == BN_CLICKED) {
            FillFromTzDatabase();
        }
        return code == BN_CLICKED;
    case ID_TOOLS_TZ_RELEASE:
        ChooseTzRelease();
        return true;
    case ID_HELP_ABOUT:
        // The About box names the release in use: a remembered one is read
        // first, as for the other tz commands; the box itself is shown by
        // the window's own commands.
        TzTableForCommand(Hwnd(), services_.registry);
        return false;
    default:
        return false;
    }
}

UserRegion CTarvaneDlg::Region() const {
    return services_.userRegion ? services_.userRegion() : ReadUserRegion();
}

bool CTarvaneDlg::CanFillFromTzDatabase() {
    return mode_ == EditMode::kEdit && SelectedZone() != nullptr;
}

void CTarvaneDlg::ChooseTzRelease() {
    TzTableForCommand(Hwnd(), services_.registry);
    TzReleaseExchange exchange;
    exchange.registry = &services_.registry;
    exchange.firstYear = clock_.LocalNow().wYear;
    exchange.files = SystemTzReleaseFiles();
    if (runTzReleaseDialog(Hwnd(), exchange) == -1) {
        LogMessage(L"[368] dlg=%d", IDD_TZ_RELEASE);
        ShowMessage(Hwnd(), L"ERROR: Can't display window to choose the tz database release", kStop);
    }
}

void CTarvaneDlg::CheckAgainstTzDatabase() {
    const TzTable* table = TzTableForCommand(Hwnd(), services_.registry);
    if (table == nullptr) {
        // Kept though no test reaches it: the table is the program's own
        // resource, checked when the program is built, so only a damaged
        // executable lacks it (as here for Fill From tz Database).
        LogMessage(L"[252] cmd=%d", ID_TOOLS_TZ_CHECK);
        ShowMessage(Hwnd(), kNoTzDatabase, kStop);
        return;
    }
    const UserRegion region = Region();
    std::wstring focusKey;
    for (;;) {
        win::ScopedWaitCursor wait;
        const int firstYear = clock_.LocalNow().wYear;
        const std::vector<ZoneCheck> checks = CheckZones(
            zones_, *table, firstYear, ReadZoneSources(services_.registry), TerritoryOfRegion(region.code));
        wait.End();

        TzCheckExchange exchange;
        exchange.checks = &checks;
        exchange.focusKey = focusKey;
        exchange.regionText = RegionText(region.code, region.name);
        exchange.intro =
            Format(L"The registry's time zones beside the %s, for %s, %d to %d, with the rules as Windows "
                   L"applies them. Ctrl+C copies the selected rows; Enter or a double click goes to a zone.",
                   TzReleaseText(*table), exchange.regionText, firstYear, firstYear + kCheckedYears - 1);
        const INT_PTR answer = runTzCheckDialog(Hwnd(), exchange);
        if (answer == -1) {
            LogMessage(L"[258] dlg=%d", IDD_TZ_CHECK);
            ShowMessage(Hwnd(), L"ERROR: Can't display window to check against the tz database", kStop);
            return;
        }
        if (answer == kChooseTzZoneAnswer) {
            // Asked, remembered and checked again, the row where it was.
            ChooseTzSource(*table, exchange.chosenKey);
            focusKey = exchange.chosenKey;
            continue;
        }
        if (answer != IDOK || mode_ != EditMode::kView) {
            return;
        }
        for (const TimeZoneRecord& zone : zones_) {
            if (EqualNoCase(zone.keyName, exchange.chosenKey)) {
                SelectZoneById(zone.id);
                return;
            }
        }
        return;
    }
}

void CTarvaneDlg::ChooseTzSource(const TzTable& table, const std::wstring& zoneKey) {
    TzChooseExchange exchange;
    exchange.table = &table;
    exchange.zoneKey = zoneKey;
    if (const std::wstring* before = FindZoneSource(ReadZoneSources(services_.registry), zoneKey)) {
        exchange.tzName = *before;
    }
    const INT_PTR answer = runTzChooseDialog(Hwnd(), exchange);
    if (answer == -1) {
        LogMessage(L"[340] dlg=%d", IDD_TZ_CHOOSE);
        ShowMessage(Hwnd(), L"ERROR: Can't display window to choose the IANA zone", kStop);
        return;
    }
    if (answer != IDOK) {
        return;
    }
    // The source is the program's own entry beside the zone, which the check
    // reads; the zone's key is not touched.
    const LONG result = SetZoneSource(services_.registry, zoneKey, exchange.tzName);
    if (result != ERROR_SUCCESS) {
        const auto error = static_cast<DWORD>(result);
        ShowMessage(Hwnd(),
                    Format(L"ERROR: Failed to remember %s as the IANA zone of \"%s\".\n\n(%d) %s",
                           exchange.tzName, zoneKey, error, GetErrorText(error)),
                    kStop);
    }
}

void CTarvaneDlg::FillFromTzDatabase() {
    TimeZoneRecord* zone = CanFillFromTzDatabase() ? SelectedZone() : nullptr;
    if (zone == nullptr) {
        LogMessage(L"[257] id=%d", editedZoneId_);
        ShowMessage(Hwnd(), L"There's no time zone selected", kStop);
        return;
    }
    const TzTable* table = TzTableForCommand(Hwnd(), services_.registry);
    if (table == nullptr) {
        LogMessage(L"[424] cmd=%d", ID_EDIT_TZ_FILL);
        ShowMessage(Hwnd(), kNoTzDatabase, kStop);
        return;
    }
    const LONG zoneId = zone->id;
    const std::wstring region = TerritoryOfRegion(Region().code);
    TzFillExchange exchange;
    exchange.table = table;
    if (const std::wstring* mapped =
            TzNameOfZone(*table, zone->keyName, ReadZoneSources(services_.registry), region)) {
        exchange.tzName = *mapped;
    }
    exchange.offers = ZonesOfKey(*table, zone->keyName, region);
    exchange.firstYear = clock_.LocalNow().wYear;
    exchange.lastYear = exchange.firstYear + kCheckedYears - 1;
    const INT_PTR answer = runTzFillDialog(Hwnd(), exchange);
    if (answer == -1) {
        LogMessage(L"[423] dlg=%d", IDD_TZ_FILL);
        ShowMessage(Hwnd(), L"ERROR: Can't display window to fill from the tz database", kStop);
        return;
    }
    if (answer != IDOK) {
        return;
    }
    // The dialog ran its own message loop: find the zone again.
    zone = FindZoneById(zoneId);
    const TzZone* tz = FindTzZone(*table, exchange.tzName);
    if (zone == nullptr || tz == nullptr || mode_ != EditMode::kEdit) {
        LogMessage(L"[422] id=%d", zoneId);
        ShowMessage(Hwnd(), L"There's no time zone selected", kStop);
        return;
    }

    win::ScopedWaitCursor wait;
    const FillPlan plan = PlanFill(*zone, *tz, exchange.firstYear, exchange.lastYear);
    wait.End();
    if (plan.filledYears == 0 || plan.years.size() > kMaxDynamicYears) {
        LogMessage(L"[259] tz=\"%s\", from=%d, to=%d, yrs=%u", exchange.tzName, exchange.firstYear,
                   exchange.lastYear, static_cast<DWORD>(plan.years.size()));
        ShowMessage(
            Hwnd(),
            plan.filledYears == 0
                ? Format(L"None of the years %d to %d can be expressed exactly in the registry's "
                         L"form:\n\n%s\n\nNothing was changed.",
                         exchange.firstYear, exchange.lastYear, ProblemLines(plan.problems))
                : Format(L"The zone would have more than %u dynamic years. Choose fewer years; nothing "
                         L"was changed.",
                         static_cast<DWORD>(kMaxDynamicYears)),
            kStop);
        return;
    }
    const std::wstring newName = DisplayNameForBias(zone->displayName, plan.rules.tzi.Bias);
    const std::wstring question =
        FillQuestion(plan, exchange.firstYear, exchange.lastYear, zone->displayName, newName);
    if (!question.empty() && ShowMessage(Hwnd(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    zone = FindZoneById(zoneId);
    if (zone == nullptr) {
        return;
    }
    zone->rules = plan.rules;
    zone->years = plan.years;
    // The list, and Windows' own settings, sort and show zones by this name.
    zone->displayName = newName;
    // Filled from the record, not from the user: nothing to write back.
    editor_.ShowChangedZone(zone);
    editor_.UpdateYearButtons();
}

} // namespace tarvane::ui
