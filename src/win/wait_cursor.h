// The wait cursor while a command works: shown when the object is made, the
// cursor before it put back when it goes or, earlier, at End (before a
// message box, say).
#pragma once

#include "platform/win_types.h"

namespace tarvane::win {

class ScopedWaitCursor {
public:
    ScopedWaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~ScopedWaitCursor() { End(); }
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

    void End() {
        if (!ended_) {
            ended_ = true;
            ::SetCursor(previous_);
        }
    }

private:
    HCURSOR previous_;
    bool ended_ = false;
};

} // namespace tarvane::win
