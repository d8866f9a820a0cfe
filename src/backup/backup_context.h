// Everything the backup and restore commands reach outside themselves.
#pragma once

#include "backup/file_api.h"
#include "backup/host.h"
#include "backup/process_api.h"
#include "platform/registry.h"

namespace tarvane {

struct BackupContext {
    RegistryApi& registry;
    FileApi& files;
    ProcessApi& processes;
    Prompts& prompts;
    MainWindowOps& window;
    BackupSettings& settings;
    ZoneActivator& activator;
    bool isLegacyOs = false; // the major version is 5 or lower
    bool is64BitOs = false;  // how the restore's own writer names the registry view
};

} // namespace tarvane
