// The tz Database Release dialog: the release in use, a release the user
// opens (a tarball, a folder of its files or a tzdata.zi) with what taking
// it would change, and the choice of it or of the built-in release, which
// the user's settings remember.
#pragma once

#include "platform/registry.h"
#include "tzdb/tz_release_choice.h"
#include "tzdb/tz_table.h"
#include "ui/program_dialog.h"

#include <optional>
#include <string>

namespace tarvane::ui {

struct TzReleaseExchange {
    RegistryApi* registry = nullptr; // in: where the choice is remembered
    int firstYear = 0;               // in: the first year compared
    TzReleaseFiles files;            // in: how releases are read
    bool changed = false;            // out: another release is in use
};

class CTzReleaseDlg : public ProgramDialog {
public:
    explicit CTzReleaseDlg(TzReleaseExchange& exchange);

    // Asks for a release and reads it; what it changes is shown, or the user
    // is told why it cannot be used (and nothing opened before is kept).
    void OpenRelease();
    // The opened release becomes the one in use, remembered in the settings.
    void UseOpenedRelease();
    // The built-in release becomes the one in use; the settings forget the other.
    void UseBuiltInRelease();

protected:
    bool OnInit() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void ShowInUse();
    void ShowOpened();

    TzReleaseExchange& exchange_;
    struct Opened {
        TzTable table;
        std::wstring path;
        std::wstring sha256;
        TzReleaseChanges changes;
    };
    std::optional<Opened> opened_;
};

// Shows the dialog modally over `owner`: IDOK when the release in use was
// changed, IDCANCEL when closed, -1 when it could not be shown.
INT_PTR RunTzReleaseDialog(HWND owner, TzReleaseExchange& exchange);

} // namespace tarvane::ui
