// Moving a dialog by dragging its body: a press of the left button on any spot
// of the client area that no child covers, or on the empty part of the menu
// bar, starts a drag that follows the cursor until the button is released or
// the window is deactivated. Every dialog of the program passes all its
// messages through one of these; it only observes them.
#pragma once

#include "platform/win_types.h"

namespace tarvane::win {

class DragByBody {
public:
    // Looks at one message of `window`; never consumes it.
    void Observe(HWND window, UINT message, WPARAM wParam);
    bool Dragging() const { return dragging_; }

private:
    void Start(HWND window);
    void Stop();

    HCURSOR previousCursor_ = nullptr;
    POINT last_{};
    bool dragging_ = false;
};

} // namespace tarvane::win
