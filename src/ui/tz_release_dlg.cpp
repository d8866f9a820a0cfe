#include "ui/tz_release_dlg.h"

#include "platform/diagnostic_log.h"
#include "platform/error_text.h"
#include "platform/format.h"
#include "platform/last_error.h"
#include "resources/resource.h"
#include "ui/prompts.h"
#include "ui/tz_database.h"
#include "ui/tz_release_setting.h"
#include "win/wait_cursor.h"

namespace tarvane::ui {
namespace {

constexpr UINT kStop = MB_OK | MB_ICONERROR;

std::wstring Count(std::size_t count, const wchar_t* one, const wchar_t* many) {
    return Format(L"%u %s", static_cast<DWORD>(count), count == 1 ? one : many);
}

std::wstring ErrorPhrase(DWORD code) {
    return Format(L"(%d) %s", static_cast<int>(code), GetErrorText(code));
}

} // namespace

CTzReleaseDlg::CTzReleaseDlg(TzReleaseExchange& exchange)
    : ProgramDialog(IDD_TZ_RELEASE), exchange_(exchange) {}

bool CTzReleaseDlg::OnInit() {
    ShowInUse();
    ShowOpened();
    ::SetFocus(Item(IDC_TZ_RELEASE_OPEN));
    return false;
}

void CTzReleaseDlg::ShowInUse() {
    const TzTable* table = ProgramTzTable();
    const std::wstring& path = TzReleasePathInUse();
    SetItemText(IDC_TZ_RELEASE_IN_USE,
                table == nullptr ? std::wstring(L"none: the built-in release is missing or damaged")
                : path.empty()   ? Format(L"%s, built into this program", TzReleaseText(*table))
                                 : Format(L"%s, from %s", TzReleaseText(*table), path));
    // A remembered release that could not be read again is still in the
    // settings: going back to the built-in one forgets it.
    const bool remembered = exchange_.registry != nullptr && ReadRememberedTzRelease(*exchange_.registry);
    EnableItem(IDC_TZ_RELEASE_BUILT_IN, !path.empty() || remembered);
}

void CTzReleaseDlg::ShowOpened() {
    HWND list = Item(IDC_TZ_RELEASE_CHANGES);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    EnableItem(IDC_TZ_RELEASE_USE, opened_.has_value());
    if (!opened_) {
        SetItemText(IDC_TZ_RELEASE_OPENED, L"(none)");
        SetItemText(IDC_TZ_RELEASE_SUMMARY, L"Open a release to see what it changes before you use it.");
        return;
    }
    const TzReleaseChanges& changes = opened_->changes;
    SetItemText(IDC_TZ_RELEASE_OPENED,
                Format(L"IANA tz database %s, from %s", opened_->table.version, opened_->path));
    const TzTable* inUse = ProgramTzTable();
    const std::wstring against =
        inUse != nullptr ? Format(L"IANA tz database %s", inUse->version) : std::wstring(L"no release");
    SetItemText(
        IDC_TZ_RELEASE_SUMMARY,
        changes.changed.empty() && changes.added.empty() && changes.removed.empty()
            ? Format(L"Against the release in use (%s), from %d to %d: no zone differs, none is added or "
                     L"removed.",
                     against, exchange_.firstYear, kLastComparedYear)
            : Format(L"Against the release in use (%s), from %d to %d: %s differ, %s added, %s removed.",
                     against, exchange_.firstYear, kLastComparedYear,
                     Count(changes.changed.size(), L"zone", L"zones"),
                     Count(changes.added.size(), L"zone", L"zones"),
                     Count(changes.removed.size(), L"zone", L"zones")));
    for (const std::wstring& name : changes.changed) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    for (const std::wstring& name : changes.added) {
        const std::wstring line = name + L" (added)";
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    for (const std::wstring& name : changes.removed) {
        const std::wstring line = name + L" (removed)";
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

void CTzReleaseDlg::OpenRelease() {
    std::wstring path;
    const FileChoice asked = AskTzReleasePath(Hwnd(), &path);
    if (asked == FileChoice::kCancelled) {
        return;
    }
    if (asked != FileChoice::kChosen) {
        LogMessage(L"[360] err=%d", static_cast<int>(GetThreadLastError()));
        ShowMessage(Hwnd(), L"ERROR: Can't display window to open a tz release", kStop);
        return;
    }
    // What was opened before goes: the buttons never take a release other
    // than the one the window names.
    opened_.reset();
    ShowOpened();
    Opened read;
    read.path = path;
    TzSourceError error;
    win::ScopedWaitCursor wait;
    const TzReleaseReadResult result =
        ReadTzReleaseAt(exchange_.files, path, &read.table, &read.sha256, &error);
    wait.End();
    switch (result) {
    case TzReleaseReadResult::kRead:
        break;
    case TzReleaseReadResult::kMissing:
    case TzReleaseReadResult::kUnreadable: {
        const DWORD code = GetThreadLastError();
        LogMessage(L"[361] path=\"%s\", err=%d", path, static_cast<int>(code));
        ShowMessage(
            Hwnd(),
            Format(L"ERROR: Can't read %s %s.\n\nThe release in use is unchanged.", path, ErrorPhrase(code)),
            kStop);
        return;
    }
    case TzReleaseReadResult::kRefused:
        LogMessage(L"[362] path=\"%s\", why=\"%s\"", path, TzSourceErrorText(error));
        ShowMessage(Hwnd(),
                    Format(L"ERROR: %s is no tz release Tarvane can use:\n\n%s\n\nThe release in use is "
                           L"unchanged.",
                           path, TzSourceErrorText(error)),
                    kStop);
        return;
    }
    const TzTable* inUse = ProgramTzTable();
    read.changes = inUse != nullptr ? CompareTzReleases(*inUse, read.table, exchange_.firstYear)
                                    : CompareTzReleases(TzTable{}, read.table, exchange_.firstYear);
    opened_ = std::move(read);
    ShowOpened();
    ::SetFocus(Item(IDC_TZ_RELEASE_USE));
}

void CTzReleaseDlg::UseOpenedRelease() {
    if (!opened_ || exchange_.registry == nullptr) {
        return;
    }
    const RememberedTzRelease remembered{opened_->path, opened_->table.version, opened_->sha256};
    if (!WriteRememberedTzRelease(*exchange_.registry, remembered)) {
        const DWORD code = GetThreadLastError();
        LogMessage(L"[363] path=\"%s\", err=%d", opened_->path, static_cast<int>(code));
        ShowMessage(Hwnd(),
                    Format(L"ERROR: Can't remember the release in your settings %s.\n\nThe release in use "
                           L"is unchanged.",
                           ErrorPhrase(code)),
                    kStop);
        return;
    }
    LogMessage(L"[369] path=\"%s\", ver=%s", opened_->path, opened_->table.version);
    UseTzRelease(std::move(opened_->table), opened_->path);
    opened_.reset();
    exchange_.changed = true;
    End(IDOK);
}

void CTzReleaseDlg::UseBuiltInRelease() {
    if (exchange_.registry == nullptr) {
        return;
    }
    if (!ForgetRememberedTzRelease(*exchange_.registry)) {
        const DWORD code = GetThreadLastError();
        LogMessage(L"[364] err=%d", static_cast<int>(code));
        ShowMessage(Hwnd(),
                    Format(L"ERROR: Can't remove the release from your settings %s.\n\nThe release in use "
                           L"is unchanged.",
                           ErrorPhrase(code)),
                    kStop);
        return;
    }
    UseBuiltInTzRelease();
    exchange_.changed = true;
    End(IDOK);
}

bool CTzReleaseDlg::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_TZ_RELEASE_OPEN:
        OpenRelease();
        return true;
    case IDC_TZ_RELEASE_USE:
        UseOpenedRelease();
        return true;
    case IDC_TZ_RELEASE_BUILT_IN:
        UseBuiltInRelease();
        return true;
    default:
        return false;
    }
}

INT_PTR RunTzReleaseDialog(HWND owner, TzReleaseExchange& exchange) {
    return RunDialog<CTzReleaseDlg>(owner, exchange);
}

} // namespace tarvane::ui
