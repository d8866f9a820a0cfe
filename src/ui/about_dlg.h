// The About box: the product's name, version, a notice and a link to the
// maker's web page.
#pragma once

#include "platform/product.h"
#include "platform/product_version.h"
#include "ui/program_dialog.h"
#include "win/icon_menu.h"

#include <functional>
#include <string>

namespace tarvane::ui {

inline constexpr wchar_t kProductVersion[] = L"" TARVANE_VERSION_TEXT;
inline constexpr wchar_t kAboutNotice[] =
    L"Edits the Windows time zone database. Use with care: changes affect every clock on this computer.";

class CAboutDlg : public ProgramDialog {
public:
    CAboutDlg();

    // Opens an address as ShellExecuteW does (verb, file): its result, above
    // 32 on success. Tests replace it; an empty function restores the shell.
    using ShellOpener = std::function<INT_PTR(HWND owner, const wchar_t* verb, const wchar_t* file)>;
    static ShellOpener SetShellOpener(ShellOpener opener);

protected:
    bool OnInit() override;
    bool OnNotify(const NMHDR& header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OpenMakerPage();
    void Paint();

    // The program's icon at 48 pixels, drawn centred over its place.
    win::ScaledIcon icon_;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
};

// Shows the About box modally over `owner`; -1 when it could not be shown.
INT_PTR ShowAboutBox(HWND owner);

} // namespace tarvane::ui
