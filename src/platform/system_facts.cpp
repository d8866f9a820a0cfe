#include "platform/system_facts.h"

namespace tarvane {

SystemFacts ReadSystemFacts() {
    SystemFacts facts;
    facts.is64BitOs = sizeof(void*) == 8;
    return facts;
}

} // namespace tarvane
