// The current time from the platform.
#pragma once

#include "platform/win_types.h"

namespace tarvane {

// The current UTC time (GetSystemTime).
SYSTEMTIME CurrentUtcTime();

} // namespace tarvane
