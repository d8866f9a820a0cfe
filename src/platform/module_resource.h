// Data that this program file carries as a resource (Windows only).
#pragma once

#ifdef _WIN32
#include "platform/win_types.h"

#include <cstddef>

namespace tarvane {

// The bytes of RCDATA resource `id` of the program's own module; they stay in
// place while the program runs. False, with the system's error code in the
// thread's last-error slot, when there is no such resource.
bool ReadModuleResource(int id, const BYTE** data, std::size_t* size);

} // namespace tarvane
#endif
