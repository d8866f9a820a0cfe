// Writes one known line to the event log; the test reads it back from Wine's
// eventlog debug channel.
#include "platform/diagnostic_log.h"

int main() {
    tarvane::SetThreadLastError(5);
    const int reported = tarvane::LogMessage(L"[999] probe=\"%s\", n=%d", L"event log", -7);
    return reported == 1 && tarvane::GetThreadLastError() == 5 ? 0 : 1;
}
