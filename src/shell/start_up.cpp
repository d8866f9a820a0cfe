#include "shell/start_up.h"

#include "shell/relaunch.h"

namespace tarvane::shell {

void ApplyStartRequest(const StartRequest& request, CTarvaneApp& app, ui::MainWindowServices& services) {
    app.startRestorePath = request.startRestorePath;
    app.startAction = request.startAction;
    app.startZoneKey = request.startZoneKey;
    app.startBackupPath = request.startBackupPath;
    services.startZoneKey = app.startZoneKey;
    services.startAction = [request, &app](ui::CTarvaneDlg& window) {
        app.exitCode = RunStartAction(window.Backup(), request);
    };
}

void ConnectToApp(CTarvaneApp& app, ui::MainWindowServices& services) {
    services.relaunchAndClose = RelaunchAndClose;
    services.quitEvent = [&app] { return app.quitEvent.Get(); };
    services.windowCreated = [&app](HWND window) { app.mainWindow = window; };
}

} // namespace tarvane::shell
