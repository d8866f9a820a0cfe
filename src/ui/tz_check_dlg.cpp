#include "ui/tz_check_dlg.h"

#include "backup/file_api.h"
#include "platform/clipboard.h"
#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "platform/text.h"
#include "resources/resource.h"
#include "ui/help_request.h"
#include "ui/message_box.h"

#include <commctrl.h>

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

CTzCheckDlg::CTzCheckDlg(TzCheckExchange& exchange) : Dialog(IDD_TZ_CHECK), exchange_(exchange) {}

bool CTzCheckDlg::OnInit() {
    SetItemText(IDC_TZ_CHECK_INTRO, exchange_.intro);
    list_.Attach(Item(IDC_TZ_CHECK_LIST));
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
    for (int column = 0; column < 4; ++column) {
        list_.InsertColumn(column, kCheckColumns[column], 100);
    }
    DWORD counts[3] = {};
    const std::vector<ZoneCheck>& checks = *exchange_.checks;
    list_.SetRedraw(false);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const ZoneCheck& check = checks[i];
        const int row = list_.InsertItem(static_cast<int>(i), check.key);
        list_.SetItemData(row, static_cast<LPARAM>(i));
        list_.SetItemText(row, 1, check.tzName);
        list_.SetItemText(row, 2, StatusText(check.status));
        list_.SetItemText(row, 3, check.difference);
        ++counts[static_cast<int>(check.status)];
    }
    for (int column = 0; column < 4; ++column) {
        ListView_SetColumnWidth(list_.Hwnd(), column, LVSCW_AUTOSIZE_USEHEADER);
    }
    list_.SetRedraw(true);
    SetItemText(IDC_TZ_CHECK_SUMMARY,
                Format(L"%u zones: %u match, %u differ, %u without a mapping",
                       static_cast<DWORD>(checks.size()), counts[0], counts[1], counts[2]));
    if (!checks.empty()) {
        list_.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    ::SetFocus(list_.Hwnd());
    return false;
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
    const int choice = AskCsvSavePath(Hwnd(), &path);
    if (choice == 1) {
        return;
    }
    if (choice != 0) {
        LogMessage(L"[255] res=%d", choice);
        ::MessageBeep(MB_ICONHAND);
        return;
    }
    const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    DWORD error = 0;
    const bool written = WriteCsvFile(path, ChecksAsCsv(Rows(false)), &error);
    ::SetCursor(previous);
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
    return false;
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
    if (header.code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0) {
            exchange_.chosenKey = (*exchange_.checks)[static_cast<std::size_t>(list_.ItemData(row))].key;
            End(IDOK);
        }
        *result = 0;
        return true;
    }
    return false;
}

bool CTzCheckDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message == WM_COPY) {
        CopyRows();
        *result = 0;
        return true;
    }
    return AnswerHelp(Hwnd(), message, result);
}

bool CTzCheckDlg::PreDispatch(UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    drag_.Observe(Hwnd(), message, wParam);
    return false;
}

INT_PTR RunTzCheckDialog(HWND owner, TzCheckExchange& exchange) {
    CTzCheckDlg dialog(exchange);
    return dialog.DoModal(::GetModuleHandleW(nullptr), owner);
}

} // namespace tarvane::ui
