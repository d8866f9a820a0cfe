// Start-up: common controls, the main window, the exit code.
#include "platform/system_registry.h"
#include "platform/time_zone_api.h"
#include "ui/tarvane_app.h"
#include "ui/tarvane_dlg.h"

#include <commctrl.h>

namespace {

// Built during static initialisation, before any window exists, so that this
// process's ready event is signalled as early as possible.
[[maybe_unused]] tarvane::ui::CTarvaneApp& theApp = tarvane::ui::BuildProcessObjects();

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);

    tarvane::ui::MainWindowServices services(tarvane::SystemRegistry(), tarvane::SystemTimeZoneApi());
    services.facts = tarvane::ReadSystemFacts();
    tarvane::ui::CTarvaneDlg dialog(services);
    dialog.DoModal(instance);
    return 0;
}
