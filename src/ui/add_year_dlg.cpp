#include "ui/add_year_dlg.h"

#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "win/controls.h"
#include "ui/help_request.h"
#include "win/icon_menu.h"
#include "ui/prompts.h"

#include <commctrl.h>

#include <algorithm>

namespace tarvane::ui {
namespace {

// The leading decimal digits of `text` as a number; past the year range the
// exact value does not matter, so it stops growing there.
long long LeadingNumber(const std::wstring& text) {
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            break;
        }
        if (value <= kLastDynamicYear) {
            value = value * 10 + (c - L'0');
        }
    }
    return value;
}

} // namespace

CAddYearDlg::CAddYearDlg(AddYearExchange& exchange) : ProgramDialog(IDD_ADD_YEAR), exchange_(exchange) {
    informationIcon_ = win::LoadSmallSystemIcon(win::kInformationIconId);
    warningIcon_ = win::LoadSmallSystemIcon(win::kWarningIconId);
    SetNotes({IDC_ADD_YEAR_NOTE, IDC_ADD_YEAR_WARNING});
    AddIcon(IDC_ADD_YEAR_INFO_ICON, informationIcon_.Get());
    if (exchange_.legacyOs) {
        AddIcon(IDC_ADD_YEAR_WARNING_ICON, warningIcon_.Get());
    }
}

bool CAddYearDlg::HasYear(LONG year) const {
    if (exchange_.zone == nullptr) {
        return false;
    }
    return std::any_of(
        exchange_.zone->years.begin(), exchange_.zone->years.end(),
        [year](const DynamicYearRecord& record) { return static_cast<LONG>(record.year) == year; });
}

bool CAddYearDlg::OnInit() {
    zoneHasYears_ = exchange_.zone != nullptr && !exchange_.zone->years.empty();
    win::ComboBox yearList(Item(IDC_ADD_YEAR_COMBO));
    if (zoneHasYears_) {
        // Years only grow at either end of the group, so only those two are offered.
        ShowItem(IDC_ADD_YEAR_EDIT, false);
        ShowItem(IDC_ADD_YEAR_SPIN, false);
        long long lowest = kLastDynamicYear;
        long long highest = 100;
        for (const DynamicYearRecord& record : exchange_.zone->years) {
            const auto year = static_cast<LONG>(record.year);
            lowest = std::min<long long>(lowest, year);
            highest = std::max<long long>(highest, year);
        }
        yearList.Reset();
        yearList.AddItem(Format(L"%u", static_cast<DWORD>(lowest - 1)), static_cast<LPARAM>(lowest - 1));
        yearList.AddItem(Format(L"%u", static_cast<DWORD>(highest + 1)), static_cast<LPARAM>(highest + 1));
        yearList.Select(1);
        inputId_ = IDC_ADD_YEAR_COMBO;
    } else {
        HWND edit = Item(IDC_ADD_YEAR_EDIT);
        const RECT place = win::ClientRectOf(Hwnd(), yearList.Hwnd());
        const RECT own = win::ClientRectOf(Hwnd(), edit);
        ::SetWindowPos(edit, nullptr, place.left, place.top, place.right - place.left, own.bottom - own.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        HWND spin = Item(IDC_ADD_YEAR_SPIN);
        ::SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
        ::SendMessageW(spin, UDM_SETRANGE32, kFirstDynamicYear, kLastDynamicYear);
        ::SendMessageW(edit, EM_LIMITTEXT, 4, 0);
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        ::SendMessageW(spin, UDM_SETPOS32, 0, now.wYear);
        SetItemText(IDC_ADD_YEAR_EDIT, Format(L"%u", static_cast<DWORD>(now.wYear)));
        ShowItem(IDC_ADD_YEAR_COMBO, false);
        inputId_ = IDC_ADD_YEAR_EDIT;
    }

    win::ComboBox copyList(Item(IDC_COPY_FROM_YEAR));
    copyList.Reset();
    copyList.AddItem(L"Default", 0);
    if (exchange_.zone != nullptr) {
        for (const DynamicYearRecord& record : exchange_.zone->years) {
            copyList.AddItem(Format(L"%u", record.year), static_cast<LPARAM>(record.year));
        }
    }
    // A year usually goes on as its neighbour did: a new year with daylight
    // saving off would silently change every later year's clocks.
    ::CheckDlgButton(Hwnd(), IDC_COPY_FROM_CHECK, BST_CHECKED);
    SelectNeighbourToCopy();

    ShowItem(IDC_ADD_YEAR_WARNING, exchange_.legacyOs);
    EnableItem(IDC_COPY_FROM_YEAR, IsChecked(IDC_COPY_FROM_CHECK));
    ::SetFocus(Item(inputId_));
    return false;
}

void CAddYearDlg::SelectNeighbourToCopy() {
    win::ComboBox copyList(Item(IDC_COPY_FROM_YEAR));
    if (!zoneHasYears_) {
        copyList.SelectData(0);
        return;
    }
    // The year before the one added at the end, the year after the one added
    // at the front.
    const auto added = static_cast<LONG>(win::ComboBox(Item(IDC_ADD_YEAR_COMBO)).SelectedData(0));
    const bool atEnd = added > static_cast<LONG>(exchange_.zone->years.front().year);
    copyList.SelectData(
        static_cast<LPARAM>(atEnd ? exchange_.zone->years.back().year : exchange_.zone->years.front().year));
}

bool CAddYearDlg::OnCommand(WORD id, WORD code, HWND) {
    if (id == IDC_ADD_YEAR_COMBO && code == CBN_SELCHANGE) {
        SelectNeighbourToCopy();
        return true;
    }
    if (id == IDC_COPY_FROM_CHECK && code == BN_CLICKED) {
        EnableItem(IDC_COPY_FROM_YEAR, IsChecked(IDC_COPY_FROM_CHECK));
        return true;
    }
    return false;
}

void CAddYearDlg::OnOK() {
    const long long year = LeadingNumber(TrimWhiteSpace(ItemText(inputId_)));
    if (year < kFirstDynamicYear || year > kLastDynamicYear) {
        ::SetFocus(Item(inputId_));
        const wchar_t* text = zoneHasYears_ ? L"Provide select a year between %u and %u."
                                            : L"Provide a year between %u and %u.";
        ShowMessage(Hwnd(),
                    Format(text, static_cast<DWORD>(kFirstDynamicYear), static_cast<DWORD>(kLastDynamicYear)),
                    MB_OK | MB_ICONERROR);
        return;
    }
    const bool copy = IsChecked(IDC_COPY_FROM_CHECK);
    LONG copyFrom = 0;
    if (copy) {
        copyFrom = static_cast<LONG>(win::ComboBox(Item(IDC_COPY_FROM_YEAR)).SelectedData(-1));
        if (copyFrom != 0 && !HasYear(copyFrom)) {
            ::SetFocus(Item(IDC_COPY_FROM_YEAR));
            ShowMessage(Hwnd(),
                        Format(L"Cannot locate provided year %u to copy settings from...",
                               static_cast<DWORD>(copyFrom)),
                        MB_OK | MB_ICONERROR);
            return;
        }
    }
    exchange_.year = static_cast<LONG>(year);
    exchange_.copy = copy;
    exchange_.copyFrom = copyFrom;
    End(IDOK);
}

INT_PTR RunAddYearDialog(HWND owner, AddYearExchange& exchange) {
    return RunDialog<CAddYearDlg>(owner, exchange);
}

} // namespace tarvane::ui
