#include "ui/tz_fill_dlg.h"

#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tzdb/tz_fill.h"
#include "win/controls.h"
#include "ui/help_request.h"
#include "ui/prompts.h"

#include <commctrl.h>

namespace tarvane::ui {
namespace {

constexpr YearRangeIds kFillYears{IDC_TZ_FILL_FROM, IDC_TZ_FILL_FROM_SPIN, IDC_TZ_FILL_TO,
                                  IDC_TZ_FILL_TO_SPIN};

} // namespace

void RefuseInput(const win::Dialog& dialog, int id, const std::wstring& message) {
    ::SetFocus(dialog.Item(id));
    ShowMessage(dialog.Hwnd(), message, MB_OK | MB_ICONERROR);
}

void ShowYearRange(const win::Dialog& dialog, const YearRangeIds& ids, LONG firstYear, LONG lastYear) {
    for (const auto& [edit, spin, year] :
         {std::tuple{ids.first, ids.firstSpin, firstYear}, std::tuple{ids.last, ids.lastSpin, lastYear}}) {
        ::SendMessageW(dialog.Item(spin), UDM_SETRANGE32, kFirstTzYear, kLastTzYear);
        ::SendMessageW(dialog.Item(spin), UDM_SETPOS32, 0, year);
        ::SendMessageW(dialog.Item(edit), EM_LIMITTEXT, 4, 0);
        dialog.SetItemText(edit, Format(L"%d", year));
    }
}

std::optional<std::pair<LONG, LONG>> ReadYearRange(const win::Dialog& dialog, const YearRangeIds& ids) {
    long long years[2] = {};
    const int edits[2] = {ids.first, ids.last};
    for (int i = 0; i < 2; ++i) {
        years[i] = ReadDecimal(TrimWhiteSpace(dialog.ItemText(edits[i])));
        if (years[i] < kFirstTzYear || years[i] > kLastTzYear) {
            RefuseInput(dialog, edits[i],
                        Format(L"Provide a year between %u and %u.", static_cast<DWORD>(kFirstTzYear),
                               static_cast<DWORD>(kLastTzYear)));
            return std::nullopt;
        }
    }
    if (years[0] > years[1]) {
        RefuseInput(dialog, ids.last, L"The last year must not be earlier than the first.");
        return std::nullopt;
    }
    return std::pair{static_cast<LONG>(years[0]), static_cast<LONG>(years[1])};
}

CTzFillDlg::CTzFillDlg(TzFillExchange& exchange)
    : ProgramDialog(IDD_TZ_FILL), exchange_(exchange),
      informationIcon_(win::LoadSmallSystemIcon(IDI_INFORMATION)) {
    SetNotes({IDC_TZ_FILL_NOTE});
    AddIcon(IDC_TZ_FILL_INFO_ICON, informationIcon_);
}

bool CTzFillDlg::OnInit() {
    win::ComboBox zones(Item(IDC_TZ_FILL_ZONE));
    zones.Reset();
    // The key's own zones, labelled with their territories, then every name;
    // an item's data is its name's index.
    int chosen = -1;
    if (exchange_.table != nullptr) {
        const auto& names = exchange_.table->names;
        auto offer = [&](std::size_t index, const std::wstring& label) {
            const int item = zones.AddItem(label, static_cast<LPARAM>(index));
            if (chosen < 0 && item >= 0 && names[index].first == exchange_.tzName) {
                chosen = item;
            }
        };
        for (const TzZoneOffer& own : exchange_.offers) {
            if (own.name < names.size()) {
                offer(own.name, own.label);
            }
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            offer(i, names[i].first);
        }
    }
    zones.Select(chosen);
    ShowYearRange(*this, kFillYears, exchange_.firstYear, exchange_.lastYear);
    const std::wstring version =
        exchange_.table != nullptr ? TzReleaseText(*exchange_.table) : std::wstring(L"tz database");
    SetItemText(
        IDC_TZ_FILL_NOTE,
        Format(L"The zone's offsets and daylight saving dates for these years become those of the %s, "
               L"and its default rule that of the last year. Nothing is written to the registry "
               L"before Save Changes.",
               version));
    ::SetFocus(Item(chosen < 0 ? IDC_TZ_FILL_ZONE : IDC_TZ_FILL_FROM));
    return false;
}

void CTzFillDlg::OnOK() {
    win::ComboBox zones(Item(IDC_TZ_FILL_ZONE));
    const int chosen = zones.Selection();
    if (chosen < 0 || exchange_.table == nullptr) {
        RefuseInput(*this, IDC_TZ_FILL_ZONE, L"Choose the IANA zone to fill from.");
        return;
    }
    const std::optional<std::pair<LONG, LONG>> years = ReadYearRange(*this, kFillYears);
    if (!years) {
        return;
    }
    const auto index = static_cast<std::size_t>(zones.ItemData(chosen));
    if (index >= exchange_.table->names.size()) {
        RefuseInput(*this, IDC_TZ_FILL_ZONE, L"Choose the IANA zone to fill from.");
        return;
    }
    exchange_.tzName = exchange_.table->names[index].first;
    exchange_.firstYear = years->first;
    exchange_.lastYear = years->second;
    End(IDOK);
}

INT_PTR RunTzFillDialog(HWND owner, TzFillExchange& exchange) {
    return RunDialog<CTzFillDlg>(owner, exchange);
}

} // namespace tarvane::ui
