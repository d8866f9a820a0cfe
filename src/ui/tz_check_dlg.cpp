#include "ui/tz_check_dlg.h"

#include "backup/file_api.h"
#include "platform/clipboard.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tz_fill_dlg.h"
#include "win/wait_cursor.h"

#include <commctrl.h>

#include <iterator>

namespace tarvane::ui {
namespace {

// UTF-8 with a byte-order mark, the form spreadsheets open without asking.
bool WriteCsvFile(const std::wstring& path, const std::wstring& text, DWORD* error) {
    FileApi& files = SystemFiles();
    const FileHolder file(files, files.CreateAlways(path));
    if (file.Get() == 0) {
        *error = GetThreadLastError();
        LogMessage(L"[253] file=\"%s\"", path);
        return false;
    }
    const std::string bytes = "\xEF\xBB\xBF" + ToUtf8(text);
    const auto size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!files.Write(file.Get(), reinterpret_cast<const BYTE*>(bytes.data()), size, &written) ||
        written != size) {
        *error = GetThreadLastError();
        LogMessage(L"[254] sz1=%u, sz2=%u, file=\"%s\"", written, size, path);
        return false;
    }
    return true;
}

} // namespace

CTzCheckDlg::CTzCheckDlg(TzCheckExchange& exchange) : ProgramDialog(IDD_TZ_CHECK), exchange_(exchange) {}

bool CTzCheckDlg::OnInit() {
    SetItemText(IDC_TZ_CHECK_INTRO, exchange_.intro);
    list_.Attach(Item(IDC_TZ_CHECK_LIST));
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    for (int column = 0; column < static_cast<int>(std::size(kCheckColumns)); ++column) {
        list_.InsertColumn(column, kCheckColumns[column], 100);
    }
    FillList();
    if (!exchange_.focusKey.empty()) {
        for (int row = list_.NextItem(-1, LVNI_ALL); row >= 0; row = list_.NextItem(row, LVNI_ALL)) {
            if (EqualNoCase((*exchange_.checks)[static_cast<std::size_t>(list_.ItemData(row))].key,
                            exchange_.focusKey)) {
                list_.SetItemState(row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
                ListView_EnsureVisible(list_.Hwnd(), row, FALSE);
                break;
            }
        }
    }
    EnableChoose();
    SetItemText(IDC_TZ_CHECK_SUMMARY, CheckSummary(CountChecks(*exchange_.checks), exchange_.regionText));
    ::SetFocus(list_.Hwnd());
    return false;
}

void CTzCheckDlg::FillList() {
    const bool everyRegion = IsDlgButtonChecked(Hwnd(), IDC_TZ_CHECK_ALL_REGIONS) == BST_CHECKED;
    const std::vector<ZoneCheck>& checks = *exchange_.checks;
    list_.SetRedraw(false);
    ListView_DeleteAllItems(list_.Hwnd());
    int rows = 0;
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const ZoneCheck& check = checks[i];
        if (check.otherRegion && !everyRegion) {
            continue;
        }
        const int row = list_.InsertItem(rows, check.key);
        if (row < 0) {
            continue;
        }
        ++rows;
        list_.SetItemData(row, static_cast<LPARAM>(i));
        list_.SetItemText(row, 1, RegionColumnText(check));
        list_.SetItemText(row, 2, check.tzName);
        list_.SetItemText(row, 3, StatusText(check.status));
        list_.SetItemText(row, 4, check.difference);
    }
    for (int column = 0; column < static_cast<int>(std::size(kCheckColumns)); ++column) {
        ListView_SetColumnWidth(list_.Hwnd(), column, LVSCW_AUTOSIZE_USEHEADER);
        // Wine sizes a column to its rows alone: the header stays whole.
        const int header = ListView_GetStringWidth(list_.Hwnd(), kCheckColumns[column]) + 16;
        if (ListView_GetColumnWidth(list_.Hwnd(), column) < header) {
            ListView_SetColumnWidth(list_.Hwnd(), column, header);
        }
    }
    list_.SetRedraw(true);
    if (rows > 0) {
        list_.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
}

std::vector<const ZoneCheck*> CTzCheckDlg::Rows(bool selectedOnly) const {
    std::vector<const ZoneCheck*> rows;
    const UINT flags = selectedOnly ? LVNI_SELECTED : LVNI_ALL;
    for (int row = list_.NextItem(-1, flags); row >= 0; row = list_.NextItem(row, flags)) {
        rows.push_back(&(*exchange_.checks)[static_cast<std::size_t>(list_.ItemData(row))]);
    }
    return rows;
}

void CTzCheckDlg::CopyRows() {
    std::vector<const ZoneCheck*> rows = Rows(true);
    if (rows.empty()) {
        rows = Rows(false);
    }
    if (!PutClipboardText(Hwnd(), ChecksAsText(rows))) {
        LogText(EVENTLOG_ERROR_TYPE, L"[256]");
        ::MessageBeep(MB_ICONHAND);
    }
}

void CTzCheckDlg::SaveCsv() {
    std::wstring path;
    const FileChoice choice = AskCsvSavePath(Hwnd(), &path);
    if (choice == FileChoice::kCancelled) {
        return;
    }
    if (choice != FileChoice::kChosen) {
        LogMessage(L"[255] res=%d", static_cast<int>(choice));
        ::MessageBeep(MB_ICONHAND);
        return;
    }
    win::ScopedWaitCursor wait;
    DWORD error = 0;
    const bool written = WriteCsvFile(path, ChecksAsCsv(Rows(false)), &error);
    wait.End();
    if (!written) {
        ShowMessage(
            Hwnd(),
            Format(L"ERROR: Failed to save the list to:\n\n%s\n\n(%d) %s", path, error, GetErrorText(error)),
            MB_OK | MB_ICONERROR);
    }
}

bool CTzCheckDlg::OnCommand(WORD id, WORD code, HWND) {
    if (id == IDC_TZ_CHECK_SAVE && code == BN_CLICKED) {
        SaveCsv();
        return true;
    }
    if (id == IDC_TZ_CHECK_ALL_REGIONS && code == BN_CLICKED) {
        FillList();
        EnableChoose();
        return true;
    }
    if (id == IDC_TZ_CHECK_CHOOSE && code == BN_CLICKED) {
        if (const ZoneCheck* check = FocusedCheck(); check != nullptr && CanChooseTzZone(*check)) {
            exchange_.chosenKey = check->key;
            End(kChooseTzZoneAnswer);
        }
        return true;
    }
    return false;
}

const ZoneCheck* CTzCheckDlg::FocusedCheck() const {
    const int row = list_.NextItem(-1, LVNI_FOCUSED);
    return row < 0 ? nullptr : &(*exchange_.checks)[static_cast<std::size_t>(list_.ItemData(row))];
}

void CTzCheckDlg::EnableChoose() {
    const ZoneCheck* check = FocusedCheck();
    EnableItem(IDC_TZ_CHECK_CHOOSE, check != nullptr && CanChooseTzZone(*check));
}

bool CTzCheckDlg::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.idFrom != IDC_TZ_CHECK_LIST) {
        return false;
    }
    if (header.code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
        if (::GetKeyState(VK_CONTROL) < 0 && key == 'C') {
            CopyRows();
        } else if (::GetKeyState(VK_CONTROL) < 0 && key == 'A') {
            list_.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        }
        *result = 0;
        return true;
    }
    if (header.code == LVN_ITEMCHANGED) {
        EnableChoose();
        return false;
    }
    if (header.code == NM_DBLCLK) {
        GoToRow(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        *result = 0;
        return true;
    }
    return false;
}

bool CTzCheckDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COPY) {
        CopyRows();
        *result = 0;
        return true;
    }
    return ProgramDialog::OnMessage(message, wParam, lParam, result);
}

void CTzCheckDlg::GoToRow(int row) {
    if (row >= 0) {
        exchange_.chosenKey = (*exchange_.checks)[static_cast<std::size_t>(list_.ItemData(row))].key;
        End(IDOK);
    }
}

bool CTzCheckDlg::PreTranslateMessage(MSG& message, bool&) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd == list_.Hwnd()) {
        GoToRow(list_.NextItem(-1, LVNI_FOCUSED));
        return true;
    }
    return false;
}

INT_PTR RunTzCheckDialog(HWND owner, TzCheckExchange& exchange) {
    return RunDialog<CTzCheckDlg>(owner, exchange);
}

CTzChooseDlg::CTzChooseDlg(TzChooseExchange& exchange) : ProgramDialog(IDD_TZ_CHOOSE), exchange_(exchange) {}

bool CTzChooseDlg::OnInit() {
    SetItemText(
        IDC_TZ_CHOOSE_TEXT,
        Format(L"The IANA zone that Check Against tz Database compares \"%s\" with:", exchange_.zoneKey));
    names_.Attach(Item(IDC_TZ_CHOOSE_SEARCH), Item(IDC_TZ_CHOOSE_LIST), exchange_.table);
    names_.ShowMatches(exchange_.tzName);
    ::SetFocus(Item(IDC_TZ_CHOOSE_SEARCH));
    return false;
}

void CTzChooseDlg::OnOK() {
    const std::wstring chosen = names_.Chosen();
    if (exchange_.table == nullptr || FindTzZone(*exchange_.table, chosen) == nullptr) {
        RefuseInput(*this, IDC_TZ_CHOOSE_SEARCH, L"Choose the IANA zone the zone is compared with.");
        return;
    }
    exchange_.tzName = chosen;
    End(IDOK);
}

bool CTzChooseDlg::OnCommand(WORD id, WORD code, HWND) {
    if (id == IDC_TZ_CHOOSE_SEARCH && code == EN_CHANGE) {
        names_.ShowMatches(exchange_.tzName);
        return true;
    }
    if (id == IDC_TZ_CHOOSE_LIST && code == LBN_DBLCLK) {
        OnOK();
        return true;
    }
    return false;
}

bool CTzChooseDlg::PreTranslateMessage(MSG& message, bool&) {
    return names_.ForwardKey(message);
}

INT_PTR RunTzChooseDialog(HWND owner, TzChooseExchange& exchange) {
    return RunDialog<CTzChooseDlg>(owner, exchange);
}

} // namespace tarvane::ui
