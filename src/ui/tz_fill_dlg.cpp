#include "ui/tz_fill_dlg.h"

#include "platform/format.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "tzdb/tz_fill.h"
#include "ui/controls.h"
#include "ui/help_request.h"
#include "ui/message_box.h"

#include <commctrl.h>

namespace tarvane::ui {
CTzFillDlg::CTzFillDlg(TzFillExchange& exchange)
    : Dialog(IDD_TZ_FILL), exchange_(exchange), informationIcon_(LoadSmallSystemIcon(IDI_INFORMATION)) {}

bool CTzFillDlg::OnInit() {
    ComboBox zones(Item(IDC_TZ_FILL_ZONE));
    zones.Reset();
    int chosen = -1;
    if (exchange_.table != nullptr) {
        for (const auto& [name, zone] : exchange_.table->names) {
            const int item = zones.InsertItem(-1, name);
            if (name == exchange_.tzName) {
                chosen = item;
            }
        }
    }
    zones.Select(chosen);
    for (const auto& [edit, spin, year] :
         {std::tuple{IDC_TZ_FILL_FROM, IDC_TZ_FILL_FROM_SPIN, exchange_.firstYear},
          std::tuple{IDC_TZ_FILL_TO, IDC_TZ_FILL_TO_SPIN, exchange_.lastYear}}) {
        ::SendMessageW(Item(spin), UDM_SETRANGE32, kFirstTzYear, kLastTzYear);
        ::SendMessageW(Item(spin), UDM_SETPOS32, 0, year);
        ::SendMessageW(Item(edit), EM_LIMITTEXT, 4, 0);
        SetItemText(edit, Format(L"%d", year));
    }
    const std::wstring version = exchange_.table != nullptr ? exchange_.table->version : std::wstring();
    SetItemText(IDC_TZ_FILL_NOTE,
                Format(L"The zone's offsets and daylight saving dates for these years become those of the tz "
                       L"database %s, and its default rule that of the last year. Nothing is written to the "
                       L"registry before Save Changes.",
                       version));
    ::SetFocus(Item(chosen < 0 ? IDC_TZ_FILL_ZONE : IDC_TZ_FILL_FROM));
    return false;
}

void CTzFillDlg::Refuse(int id, const std::wstring& message) {
    ::SetFocus(Item(id));
    ShowMessage(Hwnd(), message, MB_OK | MB_ICONERROR);
}

void CTzFillDlg::OnOK() {
    ComboBox zones(Item(IDC_TZ_FILL_ZONE));
    const int chosen = zones.Selection();
    if (chosen < 0 || exchange_.table == nullptr) {
        Refuse(IDC_TZ_FILL_ZONE, L"Choose the IANA zone to fill from.");
        return;
    }
    long long years[2] = {};
    const int edits[2] = {IDC_TZ_FILL_FROM, IDC_TZ_FILL_TO};
    for (int i = 0; i < 2; ++i) {
        years[i] = ReadDecimal(TrimWhiteSpace(ItemText(edits[i])));
        if (years[i] < kFirstTzYear || years[i] > kLastTzYear) {
            Refuse(edits[i], Format(L"Provide a year between %u and %u.", static_cast<DWORD>(kFirstTzYear),
                                    static_cast<DWORD>(kLastTzYear)));
            return;
        }
    }
    if (years[0] > years[1]) {
        Refuse(IDC_TZ_FILL_TO, L"The last year must not be earlier than the first.");
        return;
    }
    wchar_t name[256] = {};
    ::SendMessageW(zones.Hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(name));
    exchange_.tzName = name;
    exchange_.firstYear = static_cast<LONG>(years[0]);
    exchange_.lastYear = static_cast<LONG>(years[1]);
    End(IDOK);
}

bool CTzFillDlg::PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    drag_.Observe(Hwnd(), message, wParam);
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_TZ_FILL_NOTE)) {
        *result = NoteColors(reinterpret_cast<HDC>(wParam));
        return true;
    }
    return false;
}

bool CTzFillDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(Hwnd(), &paint);
        DrawSmallIconOnTop(Hwnd(), dc, IDC_TZ_FILL_INFO_ICON, informationIcon_);
        ::EndPaint(Hwnd(), &paint);
        *result = 0;
        return true;
    }
    return AnswerHelp(Hwnd(), message, result);
}

INT_PTR RunTzFillDialog(HWND owner, TzFillExchange& exchange) {
    CTzFillDlg dialog(exchange);
    return dialog.DoModal(::GetModuleHandleW(nullptr), owner);
}

} // namespace tarvane::ui
