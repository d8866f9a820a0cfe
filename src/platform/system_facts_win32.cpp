#include "platform/system_facts.h"

#include "platform/os_version.h"

namespace tarvane {

SystemFacts ReadSystemFacts() {
    SystemFacts facts;
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    facts.isLegacyOs = GetOsVersion(&version) && version.dwMajorVersion <= 5;
    SYSTEM_INFO system{};
    ::GetNativeSystemInfo(&system);
    // Itanium is 64-bit too, but has no 32-bit registry view to worry about.
    facts.is64BitOs = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    return facts;
}

} // namespace tarvane
