// Start-up: the window class, the common controls, the download mark, the
// command line, the main window, the exit code.
#include "backup/command_line.h"
#include "backup/file_api.h"
#include "platform/dll_search.h"
#include "platform/environment.h"
#include "platform/settings_store.h"
#include "platform/system_registry.h"
#include "platform/text.h"
#include "platform/time_sync.h"
#include "platform/time_zone_api.h"
#include "platform/zone_identifier.h"
#include "shell/start_up.h"
#include "shell/tarvane_app.h"
#include "ui/tarvane_dlg.h"
#include "win/window_class.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace {

// First thing, before anything loads a library by name.
[[maybe_unused]] const bool systemFolderOnly = tarvane::LoadLibrariesFromSystemFolderOnly();

// Built during static initialisation, before any window exists, so that this
// process's ready event is signalled as early as possible.
[[maybe_unused]] tarvane::shell::CTarvaneApp& theApp = tarvane::shell::BuildProcessObjects();

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace tarvane;
    shell::CTarvaneApp& app = shell::TheApp();
    win::RegisterMainDialogClass(instance);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);

    DWORD markError = 0;
    RemoveZoneIdentifier(&markError);

    const std::vector<std::wstring> arguments = ProcessArguments();
    std::vector<const wchar_t*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    StartRequest request;
    ParseCommandLine(static_cast<int>(argv.size()), argv.data(), SystemFiles(), request);

    ui::MainWindowServices services(SystemRegistry(), SystemTimeZoneApi());
    services.facts.isLegacyOs = app.isLegacyOs;
    services.facts.is64BitOs = app.is64BitOs;
    ComputeSettingsLocation(SystemAccountApi(), app.NameComparison(), &services.settingsLocation);
    shell::ApplyStartRequest(request, app, services);
    shell::ConnectToApp(app, services);
    services.timeSyncIsAutomatic = [isLegacyOs = app.isLegacyOs] {
        std::wstring type;
        return ReadTimeSyncType(SystemRegistry(), isLegacyOs, &type) && !EqualNoCase(type, L"NoSync");
    };
    {
        ui::CTarvaneDlg dialog(services);
        dialog.DoModal(instance);
    }
    return app.exitCode;
}
