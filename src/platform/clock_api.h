// The clock seam: the current time and the conversion of UTC to the machine's
// local time. The system's clock on Windows (and, for completeness, the C
// library's in the native build); tests use their own.
#pragma once

#include "platform/win_types.h"

namespace tarvane {

class ClockApi {
public:
    virtual ~ClockApi() = default;

    // GetSystemTime.
    virtual SYSTEMTIME UtcNow() = 0;
    // GetLocalTime.
    virtual SYSTEMTIME LocalNow() = 0;
    // SystemTimeToTzSpecificLocalTime for the current zone; false on failure.
    virtual bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME* local) = 0;
};

ClockApi& SystemClock();

} // namespace tarvane
