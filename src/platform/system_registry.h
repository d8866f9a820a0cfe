// The machine's own registry (Windows only).
#pragma once

#include "platform/registry.h"

namespace tarvane {

RegistryApi& SystemRegistry();

} // namespace tarvane
