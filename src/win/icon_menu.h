// Icons at the screen's scale, icons as menu bitmaps, and the menu operations
// of the main window. These hold no state and log nothing: a missing picture
// is simply not drawn.
#pragma once

#include "platform/late_bound_functions.h"
#include "platform/win_types.h"

namespace tarvane::win {

class Dialog;

// Stands for the application's own module in LoadScaledIcon.
HINSTANCE OwnModule();

// How LoadScaledIcon loads an icon: the module, the size and the LoadImageW
// flags. System icons (module none) are shared.
struct IconLoadPlan {
    HINSTANCE module = nullptr;
    int width = 0;
    int height = 0;
    UINT flags = 0;
};

// The plan for a request at the given resolution (dots per inch; 0 leaves the
// size unchanged, as when no device context is had).
IconLoadPlan PlanScaledIcon(HINSTANCE module, int width, int height, int dpiX, int dpiY);

// The resolution (dots per inch) of `window`'s display (none: the screen's);
// 0 when it cannot be read.
int DpiOf(HWND window);

// Loads icon `resource` of `module` (none: the system's icons; OwnModule():
// this program's) at `width` x `height` given at 96 dots per inch, scaled to
// `dpi` (0: the size as given); LoadIconWithScaleDown when the system has it,
// else LoadImageW. Null on failure.
HICON LoadScaledIcon(HINSTANCE module, UINT resource, int width, int height, int dpi);
// The same with the scale-down loader given (null: missing).
HICON LoadScaledIcon(LateBoundFunctions::LoadIconWithScaleDownFn scaleDown, HINSTANCE module, UINT resource,
                     int width, int height, int dpi);

// The system's icons the windows draw.
constexpr UINT kWarningIconId = 32515;     // IDI_WARNING
constexpr UINT kInformationIconId = 32516; // IDI_INFORMATION
constexpr UINT kShieldIconId = 32518;      // IDI_SHIELD

// An icon from LoadScaledIcon, destroyed with this object. A system icon that
// LoadImageW hands out (no scale-down loader) is shared and must never be
// destroyed; every other icon is this program's to destroy.
class ScaledIcon {
public:
    ScaledIcon() = default;
    ScaledIcon(HICON icon, bool shared) : icon_(icon), shared_(shared) {}
    ~ScaledIcon() { Reset(); }
    ScaledIcon(ScaledIcon&& other) noexcept : icon_(other.icon_), shared_(other.shared_) {
        other.icon_ = nullptr;
    }
    ScaledIcon& operator=(ScaledIcon&& other) noexcept;
    ScaledIcon(const ScaledIcon&) = delete;
    ScaledIcon& operator=(const ScaledIcon&) = delete;

    // LoadScaledIcon, held.
    static ScaledIcon Load(HINSTANCE module, UINT resource, int width, int height, int dpi);
    static ScaledIcon Load(LateBoundFunctions::LoadIconWithScaleDownFn scaleDown, HINSTANCE module,
                           UINT resource, int width, int height, int dpi);

    HICON Get() const { return icon_; }
    bool Shared() const { return shared_; }
    // Hands the icon to a new owner, which destroys it.
    HICON Release();
    void Reset();

private:
    HICON icon_ = nullptr;
    bool shared_ = false;
};

// A system icon at small-icon size (SM_CXSMICON x SM_CYSMICON).
ScaledIcon LoadSmallSystemIcon(UINT resource);

// The icon's size in pixels; false with both 0 on failure.
bool GetIconSize(HICON icon, int* width, int* height);

// The buffered-paint functions IconToMenuBitmap needs.
struct BufferedPaintFunctions {
    LateBoundFunctions::BeginBufferedPaintFn begin = nullptr;
    LateBoundFunctions::EndBufferedPaintFn end = nullptr;
    LateBoundFunctions::GetBufferedPaintBitsFn bits = nullptr;
};
BufferedPaintFunctions SystemBufferedPaint();

// A 32-bit DIB section (bottom-up) of the icon's size with
// premultiplied alpha, for a menu item; null on failure. Takes ownership of
// the icon and destroys it on every path past the first checks (no buffered
// painting, no icon, no size: the icon stays alive and null is returned).
HBITMAP IconToMenuBitmap(HICON icon);
HBITMAP IconToMenuBitmap(HICON icon, const BufferedPaintFunctions& paint);
// The same for a held icon, which does not outlive the call on any path:
// where IconToMenuBitmap leaves the icon alive, the holder destroys it.
HBITMAP IconToMenuBitmap(ScaledIcon icon);
HBITMAP IconToMenuBitmap(ScaledIcon icon, const BufferedPaintFunctions& paint);

// True when `popup` is `menu` or one of its submenus at any depth.
bool IsSubMenu(HMENU menu, HMENU popup);

// Runs the window's update rules over the items of a popup about to open
// (WM_INITMENUPOPUP); nothing for the system menu. Items without a rule, and
// separators and submenus, keep their state.
void UpdateMenuCommandUI(HMENU popup, const Dialog& window, bool systemMenu);

// Shows `popup` at `point` (screen coordinates; null: the cursor) for
// `window` and waits for the choice. True when the menu was shown, with the
// chosen command (0 for none) in `command`; the last error is set.
bool TrackContextMenu(const POINT* point, HWND window, HMENU popup, UINT* command);

} // namespace tarvane::win
