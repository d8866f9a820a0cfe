#include "ui/about_dlg.h"

#include "platform/format.h"
#include "resources/resource.h"
#include "win/icon_menu.h"
#include "ui/tz_database.h"

#include <commctrl.h>
#include <shellapi.h>

namespace tarvane::ui {
namespace {

CAboutDlg::ShellOpener& Opener() {
    static CAboutDlg::ShellOpener opener;
    return opener;
}

INT_PTR ShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file) {
    if (Opener()) {
        return Opener()(owner, verb, file);
    }
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL));
}

} // namespace

CAboutDlg::CAboutDlg()
    : ProgramDialog(IDD_ABOUTBOX),
      icon_(win::ScaledIcon::Load(win::OwnModule(), IDR_MAINFRAME, 48, 48, win::DpiOf(nullptr))) {
    if (icon_.Get() != nullptr && !win::GetIconSize(icon_.Get(), &iconWidth_, &iconHeight_)) {
        icon_.Reset();
    }
}

CAboutDlg::ShellOpener CAboutDlg::SetShellOpener(ShellOpener opener) {
    ShellOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

bool CAboutDlg::OnInit() {
    SetItemText(IDC_ABOUT_NAME, kProductDescription);
    SetItemText(IDC_ABOUT_VERSION, Format(L"Version: %s", kProductVersion));
    SetItemText(IDC_ABOUT_TZDATA, TzDatabaseLine());
    SetItemText(IDC_ABOUT_NOTICE, kAboutNotice);
    SetItemText(IDC_ABOUT_LINK, Format(L"<a>%s</a>", kMakerAddress));
    // The link comes first in the tab order, and a focused link takes Enter
    // for itself: OK starts with the focus, so Enter closes the box.
    ::SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);
    ::SetFocus(Item(IDOK));
    return false;
}

void CAboutDlg::OpenMakerPage() {
    if (ShellOpen(Hwnd(), L"open", kMakerAddress) <= 32) {
        ::MessageBeep(MB_ICONHAND);
    }
}

bool CAboutDlg::OnNotify(const NMHDR& header, LRESULT* result) {
    if (header.idFrom == IDC_ABOUT_LINK && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        OpenMakerPage();
        *result = 0;
        return true;
    }
    return false;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_PAINT) {
        Paint();
        *result = 0;
        return true;
    }
    return ProgramDialog::OnMessage(message, wParam, lParam, result);
}

void CAboutDlg::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (icon_.Get() != nullptr) {
        RECT place{};
        ::GetWindowRect(Item(IDC_ABOUT_ICON), &place);
        ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&place), 2);
        ::DrawIconEx(dc, (place.left + place.right - iconWidth_) / 2, place.top, icon_.Get(), iconWidth_,
                     iconHeight_, 0, nullptr, DI_NORMAL);
    }
    ::EndPaint(Hwnd(), &paint);
}

INT_PTR ShowAboutBox(HWND owner) {
    return RunDialog<CAboutDlg>(owner);
}

} // namespace tarvane::ui
