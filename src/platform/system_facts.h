// Two facts about the system, computed once at start.
#pragma once

namespace tarvane {

struct SystemFacts {
    bool isLegacyOs = false; // the major version is 5 or lower (XP, Server 2003)
    bool is64BitOs = false;  // the native processor architecture is AMD64
};

// Reads the facts from the running system.
SystemFacts ReadSystemFacts();

} // namespace tarvane
