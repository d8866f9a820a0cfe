// The About box: the product's name, version, a notice and a link to the
// maker's web page.
#pragma once

#include "platform/product_version.h"
#include "win/dialog.h"
#include "win/drag_by_body.h"

#include <functional>
#include <string>

namespace tarvane::ui {

inline constexpr wchar_t kProductDescription[] = L"Tarvane time zone database editor";
inline constexpr wchar_t kProductVersion[] = L"" TARVANE_VERSION_TEXT;
inline constexpr wchar_t kAboutNotice[] =
    L"Edits the Windows time zone database. Use with care: changes affect every clock on this computer.";
inline constexpr wchar_t kMakerAddress[] = L"https://tarvane.example/";

class CAboutDlg : public Dialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    // Opens an address as ShellExecuteW does (verb, file): its result, above
    // 32 on success. Tests replace it; an empty function restores the shell.
    using ShellOpener = std::function<INT_PTR(HWND owner, const wchar_t* verb, const wchar_t* file)>;
    static ShellOpener SetShellOpener(ShellOpener opener);

protected:
    bool OnInit() override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool PreDispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OpenMakerPage();
    void Paint();

    HICON icon_ = nullptr;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
    DragByBody drag_;
};

// Shows the About box modally over `owner`; -1 when it could not be shown.
INT_PTR ShowAboutBox(HWND owner);

} // namespace tarvane::ui
