// The start-up: what the command line asked for, kept by the application
// object and turned into the main window's start, and the window's ties to
// the application object (its quit event, its handle, the elevated relaunch).
#pragma once

#include "backup/command_line.h"
#include "shell/tarvane_app.h"
#include "ui/tarvane_dlg.h"

namespace tarvane::shell {

// Keeps `request` in `app` and fills `services` from it: the zone selected at
// the first load, and the start action run once after the first paint, whose
// result becomes the process's exit code.
void ApplyStartRequest(const StartRequest& request, CTarvaneApp& app, ui::MainWindowServices& services);

// Gives the main window the application object's side of the relaunch: the
// elevated copy's start, the quit event that ends its wait, and the record of
// the window's handle.
void ConnectToApp(CTarvaneApp& app, ui::MainWindowServices& services);

} // namespace tarvane::shell
