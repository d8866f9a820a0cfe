#include "ui/new_zone_dlg.h"

#include "core/zone_keys.h"
#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tzdb/new_zone.h"
#include "win/controls.h"
#include "ui/help_request.h"
#include "ui/prompts.h"
#include "ui/tz_fill_dlg.h"

#include <commctrl.h>

namespace tarvane::ui {
namespace {

constexpr YearRangeIds kYears{IDC_NEW_ZONE_FIRST, IDC_NEW_ZONE_FIRST_SPIN, IDC_NEW_ZONE_LAST,
                              IDC_NEW_ZONE_LAST_SPIN};

} // namespace

CNewZoneDlg::CNewZoneDlg(NewZoneExchange& exchange)
    : ProgramDialog(IDD_NEW_ZONE), exchange_(exchange),
      informationIcon_(win::LoadSmallSystemIcon(IDI_INFORMATION)) {
    SetNotes({IDC_NEW_ZONE_NOTE, IDC_NEW_ZONE_KEY_NOTE});
    AddIcon(IDC_NEW_ZONE_INFO_ICON, informationIcon_);
}

bool CNewZoneDlg::FromTz() const {
    return IsChecked(IDC_NEW_ZONE_FROM_TZ);
}

bool CNewZoneDlg::OnInit() {
    ::SendMessageW(Item(IDC_NEW_ZONE_KEY), EM_LIMITTEXT, kMaxZoneKeyLength, 0);
    const bool canCopy = exchange_.copySource != nullptr;
    SetItemText(IDC_NEW_ZONE_COPY_NAME,
                canCopy ? exchange_.copySource->displayName : std::wstring(L"(no zone is selected)"));
    ::EnableWindow(Item(IDC_NEW_ZONE_FROM_COPY), canCopy);
    ::EnableWindow(Item(IDC_NEW_ZONE_FROM_TZ), exchange_.table != nullptr);
    const bool fromTz = exchange_.table != nullptr && !canCopy;
    ::CheckRadioButton(Hwnd(), IDC_NEW_ZONE_FROM_COPY, IDC_NEW_ZONE_FROM_TZ,
                       fromTz ? IDC_NEW_ZONE_FROM_TZ : IDC_NEW_ZONE_FROM_COPY);
    names_.Attach(Item(IDC_NEW_ZONE_SEARCH), Item(IDC_NEW_ZONE_TZ_LIST), exchange_.table);
    names_.ShowMatches(exchange_.tzName);
    ShowYearRange(*this, kYears, exchange_.firstYear, exchange_.lastYear);
    const std::wstring version = exchange_.table != nullptr ? exchange_.table->version : std::wstring();
    SetItemText(IDC_NEW_ZONE_NOTE,
                Format(L"The new zone opens in edit mode; nothing is written to the registry before Save "
                       L"Changes. From the tz database %s, dynamic years are made where the rules change.",
                       version));
    EnableStarts();
    ::SetFocus(Item(IDC_NEW_ZONE_KEY));
    return false;
}

void CNewZoneDlg::EnableStarts() {
    const bool fromTz = FromTz();
    for (int id : {IDC_NEW_ZONE_SEARCH, IDC_NEW_ZONE_TZ_LIST, IDC_NEW_ZONE_FIRST, IDC_NEW_ZONE_FIRST_SPIN,
                   IDC_NEW_ZONE_LAST, IDC_NEW_ZONE_LAST_SPIN}) {
        EnableItem(id, fromTz);
    }
}

bool CNewZoneDlg::ZoneFromTz(const std::wstring& keyName) {
    const std::wstring tzName = names_.Chosen();
    const TzZone* tz = exchange_.table != nullptr ? FindTzZone(*exchange_.table, tzName) : nullptr;
    if (tz == nullptr) {
        RefuseInput(*this, IDC_NEW_ZONE_SEARCH, L"Choose the IANA zone the new zone follows.");
        return false;
    }
    const std::optional<std::pair<LONG, LONG>> years = ReadYearRange(*this, kYears);
    if (!years) {
        return false;
    }
    const int first = static_cast<int>(years->first);
    const int last = static_cast<int>(years->second);
    const FillPlan plan = PlanNewZone(*tz, first, last);
    // A new zone has no rules of its own to keep in a year the form cannot hold.
    if (!plan.problems.empty()) {
        RefuseInput(
            *this, IDC_NEW_ZONE_FIRST,
            Format(L"These years of %s cannot be expressed exactly in the registry's form:\n\n%s\n\nChoose "
                   L"other years.",
                   tzName, ProblemLines(plan.problems)));
        return false;
    }
    if (plan.years.size() > kMaxDynamicYears) {
        RefuseInput(*this, IDC_NEW_ZONE_FIRST,
                    Format(L"The zone would have more than %u dynamic years. Choose fewer years.",
                           static_cast<DWORD>(kMaxDynamicYears)));
        return false;
    }
    if (plan.laterDifference &&
        ShowMessage(
            Hwnd(),
            Format(L"After %d the zone keeps the rules of %d, which differ from the tz database from %d "
                   L"on.\n\nCreate the zone with the years %d to %d?",
                   last, last, *plan.laterDifference, first, last),
            MB_YESNO | MB_ICONQUESTION) != IDYES) {
        ::SetFocus(Item(IDC_NEW_ZONE_LAST));
        return false;
    }
    exchange_.zone = NewZoneFromPlan(keyName, plan);
    exchange_.tzName = tzName;
    exchange_.firstYear = first;
    exchange_.lastYear = last;
    return true;
}

void CNewZoneDlg::OnOK() {
    const std::wstring keyName = TrimWhiteSpace(ItemText(IDC_NEW_ZONE_KEY));
    SetItemText(IDC_NEW_ZONE_KEY, keyName);
    if (const std::wstring problem = NewZoneKeyProblem(keyName, exchange_.existingKeys); !problem.empty()) {
        RefuseInput(*this, IDC_NEW_ZONE_KEY, problem);
        return;
    }
    if (FromTz()) {
        if (!ZoneFromTz(keyName)) {
            return;
        }
    } else if (exchange_.copySource != nullptr) {
        exchange_.zone = NewZoneFromCopy(keyName, *exchange_.copySource);
        exchange_.tzName.clear();
    } else {
        RefuseInput(*this, IDC_NEW_ZONE_FROM_TZ, L"Choose where the new zone's rules come from.");
        return;
    }
    End(IDOK);
}

bool CNewZoneDlg::OnCommand(WORD id, WORD code, HWND) {
    switch (id) {
    case IDC_NEW_ZONE_FROM_COPY:
    case IDC_NEW_ZONE_FROM_TZ:
        if (code == BN_CLICKED) {
            ::CheckRadioButton(Hwnd(), IDC_NEW_ZONE_FROM_COPY, IDC_NEW_ZONE_FROM_TZ, id);
            EnableStarts();
        }
        return code == BN_CLICKED;
    case IDC_NEW_ZONE_SEARCH:
        if (code == EN_CHANGE) {
            names_.ShowMatches(exchange_.tzName);
        }
        return code == EN_CHANGE;
    case IDC_NEW_ZONE_TZ_LIST:
        if (code == LBN_DBLCLK) {
            OnOK();
        }
        return code == LBN_DBLCLK;
    default:
        return false;
    }
}

bool CNewZoneDlg::PreTranslateMessage(MSG& message, bool&) {
    return names_.ForwardKey(message);
}

INT_PTR RunNewZoneDialog(HWND owner, NewZoneExchange& exchange) {
    return RunDialog<CNewZoneDlg>(owner, exchange);
}

} // namespace tarvane::ui
