#include "ui/help_request.h"

#if __has_include("platform/launchers.h")
#include "platform/launchers.h"
#define TARVANE_HAVE_HELP_PAGE 1
#endif

namespace tarvane::ui {
namespace {

HelpOpener& Opener() {
    static HelpOpener opener;
    return opener;
}

} // namespace

void RequestHelp(HWND owner) {
    if (Opener()) {
        Opener()(owner);
        return;
    }
#ifdef TARVANE_HAVE_HELP_PAGE
    OpenHelpPage(owner);
#else
    // The help-page opener of the platform layer is not part of this build.
    (void)owner;
    ::MessageBeep(MB_ICONHAND);
#endif
}

bool AnswerHelp(HWND dialog, UINT message, LRESULT* result) {
    if (message != WM_HELP) {
        return false;
    }
    RequestHelp(dialog);
    *result = TRUE;
    return true;
}

HelpOpener SetHelpOpener(HelpOpener opener) {
    HelpOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

} // namespace tarvane::ui
