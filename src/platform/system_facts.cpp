#include "platform/system_facts.h"

namespace tarvane {

#ifndef _WIN32
// Off Windows there is no version to ask; the build's own architecture stands
// in for the native one.
SystemFacts ReadSystemFacts() {
    SystemFacts facts;
#if defined(__x86_64__) || defined(_M_X64)
    facts.is64BitOs = true;
#endif
    return facts;
}
#endif

} // namespace tarvane
