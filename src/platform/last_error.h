// The thread's last-error slot: the real one on Windows, a thread-local value
// in the native build.
#pragma once

#include "platform/win_types.h"

namespace tarvane {

DWORD GetThreadLastError();
void SetThreadLastError(DWORD code);

// Keeps the caller's last-error value across a call that must not disturb it.
class LastErrorKeeper {
public:
    LastErrorKeeper() : saved_(GetThreadLastError()) {}
    ~LastErrorKeeper() { SetThreadLastError(saved_); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;
    DWORD saved() const { return saved_; }

private:
    DWORD saved_;
};

} // namespace tarvane
