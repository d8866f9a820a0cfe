#include "win/icon_menu.h"

#include "win/dialog.h"

#include <uxtheme.h>

#include <cstdint>
#include <utility>

namespace tarvane::win {
namespace {

// Deletes the two bitmaps GetIconInfo creates.
class IconBitmaps {
public:
    explicit IconBitmaps(HICON icon) : ok_(::GetIconInfo(icon, &info_) != FALSE) {}
    ~IconBitmaps() {
        if (info_.hbmColor != nullptr) {
            ::DeleteObject(info_.hbmColor);
        }
        if (info_.hbmMask != nullptr) {
            ::DeleteObject(info_.hbmMask);
        }
    }
    IconBitmaps(const IconBitmaps&) = delete;
    IconBitmaps& operator=(const IconBitmaps&) = delete;

    bool Ok() const { return ok_; }
    HBITMAP Color() const { return info_.hbmColor; }
    HBITMAP Mask() const { return info_.hbmMask; }

private:
    ICONINFO info_{};
    bool ok_;
};

bool HasAlpha(const std::uint32_t* pixels, int width, int height, int rowWidth) {
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * rowWidth;
        for (int x = 0; x < width; ++x) {
            if (row[x] > 0x00FFFFFFu) {
                return true;
            }
        }
    }
    return false;
}

// The header of a 32-bit image, bottom row first, without a palette.
BITMAPINFO BottomUp32BitImage(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// An icon without alpha gets its transparency from its mask: transparent
// where the mask is set, opaque elsewhere.
HRESULT AlphaFromMask(HDC dc, HICON icon, std::uint32_t* pixels, int width, int height, int rowWidth) {
    IconBitmaps bitmaps(icon);
    if (!bitmaps.Ok() || bitmaps.Mask() == nullptr) {
        return E_FAIL;
    }
    BITMAPINFO info = BottomUp32BitImage(width, height);
    const SIZE_T bytes = static_cast<SIZE_T>(width) * static_cast<SIZE_T>(height) * 4;
    auto* mask = static_cast<std::uint32_t*>(::HeapAlloc(::GetProcessHeap(), 0, bytes));
    if (mask == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    if (::GetDIBits(dc, bitmaps.Mask(), 0, static_cast<UINT>(height), mask, &info, DIB_RGB_COLORS) !=
        height) {
        result = E_UNEXPECTED;
    } else {
        const std::uint32_t* from = mask;
        for (int y = 0; y < height; ++y) {
            std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * rowWidth;
            for (int x = 0; x < width; ++x) {
                if (*from++ != 0) {
                    row[x] = 0;
                } else {
                    row[x] |= 0xFF000000u;
                }
            }
        }
    }
    ::HeapFree(::GetProcessHeap(), 0, mask);
    return result;
}

HRESULT PremultipliedAlpha(const BufferedPaintFunctions& paint, HANDLE buffer, HDC dc, HICON icon, int width,
                           int height) {
    if (paint.bits == nullptr) {
        return E_NOTIMPL;
    }
    void* bits = nullptr;
    int rowWidth = 0;
    const HRESULT result = paint.bits(buffer, &bits, &rowWidth);
    if (FAILED(result)) {
        return result;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    if (HasAlpha(pixels, width, height, rowWidth)) {
        return S_OK;
    }
    return AlphaFromMask(dc, icon, pixels, width, height, rowWidth);
}

// IconToMenuBitmap; `taken` tells whether it got past its first checks and
// so destroyed the icon.
HBITMAP MenuBitmapOf(HICON icon, const BufferedPaintFunctions& paint, bool* taken) {
    *taken = false;
    int width = 0;
    int height = 0;
    if (paint.begin == nullptr || paint.end == nullptr || icon == nullptr ||
        !GetIconSize(icon, &width, &height)) {
        return nullptr;
    }
    *taken = true;
    HRESULT result = S_OK;
    HBITMAP bitmap = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        result = E_OUTOFMEMORY;
    } else {
        BITMAPINFO info = BottomUp32BitImage(width, height);
        void* bits = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap == nullptr) {
            result = E_OUTOFMEMORY;
        } else {
            HGDIOBJ previous = ::SelectObject(dc, bitmap);
            if (previous == nullptr || previous == HGDI_ERROR) {
                result = E_FAIL;
            } else {
                BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                BP_PAINTPARAMS params{};
                params.cbSize = sizeof params;
                params.dwFlags = BPPF_ERASE;
                params.pBlendFunction = &blend;
                RECT rect{0, 0, width, height};
                HDC paintDc = nullptr;
                HANDLE buffer = paint.begin(dc, &rect, BPBF_DIB, &params, &paintDc);
                if (buffer == nullptr) {
                    result = E_FAIL;
                } else {
                    if (!::DrawIconEx(paintDc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) {
                        result = E_FAIL;
                    } else {
                        result = PremultipliedAlpha(paint, buffer, dc, icon, width, height);
                    }
                    paint.end(buffer, TRUE);
                }
                ::SelectObject(dc, previous);
            }
        }
        ::DeleteDC(dc);
    }
    ::DestroyIcon(icon);
    if (FAILED(result)) {
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
        }
        return nullptr;
    }
    return bitmap;
}

} // namespace

HINSTANCE OwnModule() {
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(-1));
}

IconLoadPlan PlanScaledIcon(HINSTANCE module, int width, int height, int dpiX, int dpiY) {
    IconLoadPlan plan;
    plan.flags = module == nullptr ? LR_SHARED : 0;
    plan.module = module == OwnModule() ? ::GetModuleHandleW(nullptr) : module;
    plan.width = dpiX > 0 ? static_cast<int>(dpiX / 96.0 * width) : width;
    plan.height = dpiY > 0 ? static_cast<int>(dpiY / 96.0 * height) : height;
    return plan;
}

ScaledIcon& ScaledIcon::operator=(ScaledIcon&& other) noexcept {
    if (this != &other) {
        Reset();
        icon_ = other.icon_;
        shared_ = other.shared_;
        other.icon_ = nullptr;
    }
    return *this;
}

HICON ScaledIcon::Release() {
    HICON icon = icon_;
    icon_ = nullptr;
    return icon;
}

void ScaledIcon::Reset() {
    if (icon_ != nullptr && !shared_) {
        ::DestroyIcon(icon_);
    }
    icon_ = nullptr;
}

ScaledIcon ScaledIcon::Load(LateBoundFunctions::LoadIconWithScaleDownFn scaleDown, HINSTANCE module,
                            UINT resource, int width, int height, int dpi) {
    const bool shared = scaleDown == nullptr && module == nullptr;
    return ScaledIcon(LoadScaledIcon(scaleDown, module, resource, width, height, dpi), shared);
}

ScaledIcon ScaledIcon::Load(HINSTANCE module, UINT resource, int width, int height, int dpi) {
    return Load(TheLateBoundFunctions().loadIconWithScaleDown, module, resource, width, height, dpi);
}

int DpiOf(HWND window) {
    int dpi = 0;
    if (HDC dc = ::GetDC(window)) {
        dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(window, dc);
    }
    return dpi;
}

ScaledIcon LoadSmallSystemIcon(UINT resource) {
    return ScaledIcon::Load(nullptr, resource, ::GetSystemMetrics(SM_CXSMICON),
                            ::GetSystemMetrics(SM_CYSMICON), 0);
}

HICON LoadScaledIcon(LateBoundFunctions::LoadIconWithScaleDownFn scaleDown, HINSTANCE module, UINT resource,
                     int width, int height, int dpi) {
    const IconLoadPlan plan = PlanScaledIcon(module, width, height, dpi, dpi);
    if (scaleDown != nullptr) {
        HICON icon = nullptr;
        if (FAILED(scaleDown(plan.module, MAKEINTRESOURCEW(resource), plan.width, plan.height, &icon))) {
            return nullptr;
        }
        return icon;
    }
    return static_cast<HICON>(::LoadImageW(plan.module, MAKEINTRESOURCEW(resource), IMAGE_ICON, plan.width,
                                           plan.height, plan.flags));
}

HICON LoadScaledIcon(HINSTANCE module, UINT resource, int width, int height, int dpi) {
    return LoadScaledIcon(TheLateBoundFunctions().loadIconWithScaleDown, module, resource, width, height,
                          dpi);
}

bool GetIconSize(HICON icon, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (icon == nullptr) {
        return false;
    }
    IconBitmaps bitmaps(icon);
    if (!bitmaps.Ok()) {
        return false;
    }
    BITMAP bitmap{};
    HBITMAP which = bitmaps.Color() != nullptr ? bitmaps.Color() : bitmaps.Mask();
    if (which == nullptr || ::GetObjectW(which, sizeof bitmap, &bitmap) != sizeof bitmap) {
        return false;
    }
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight;
    return true;
}

BufferedPaintFunctions SystemBufferedPaint() {
    const LateBoundFunctions& functions = TheLateBoundFunctions();
    return BufferedPaintFunctions{functions.beginBufferedPaint, functions.endBufferedPaint,
                                  functions.getBufferedPaintBits};
}

HBITMAP IconToMenuBitmap(HICON icon) {
    return IconToMenuBitmap(icon, SystemBufferedPaint());
}

HBITMAP IconToMenuBitmap(ScaledIcon icon) {
    return IconToMenuBitmap(std::move(icon), SystemBufferedPaint());
}

HBITMAP IconToMenuBitmap(ScaledIcon icon, const BufferedPaintFunctions& paint) {
    bool taken = false;
    HBITMAP bitmap = MenuBitmapOf(icon.Get(), paint, &taken);
    if (taken) {
        icon.Release();
    }
    return bitmap;
}

HBITMAP IconToMenuBitmap(HICON icon, const BufferedPaintFunctions& paint) {
    bool taken = false;
    return MenuBitmapOf(icon, paint, &taken);
}

bool IsSubMenu(HMENU menu, HMENU popup) {
    if (menu == nullptr || popup == nullptr) {
        return false;
    }
    if (menu == popup) {
        return true;
    }
    const int count = ::GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_SUBMENU;
        if (::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &item) &&
            IsSubMenu(item.hSubMenu, popup)) {
            return true;
        }
    }
    return false;
}

void UpdateMenuCommandUI(HMENU popup, const Dialog& window, bool systemMenu) {
    if (systemMenu || popup == nullptr) {
        return;
    }
    const int count = ::GetMenuItemCount(popup);
    for (int index = 0; index < count; ++index) {
        const UINT id = ::GetMenuItemID(popup, index);
        if (id == 0 || id == static_cast<UINT>(-1)) {
            continue;
        }
        CommandUI item(popup, static_cast<UINT>(index), id, static_cast<UINT>(count));
        window.RunUpdateRule(item);
    }
}

bool TrackContextMenu(const POINT* point, HWND window, HMENU popup, UINT* command) {
    if (command != nullptr) {
        *command = 0;
    }
    if (window == nullptr || popup == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    POINT at{};
    if (point != nullptr) {
        at = *point;
    } else if (!::GetCursorPos(&at)) {
        const DWORD error = ::GetLastError();
        ::SetLastError(error != 0 ? error : ERROR_ALREADY_ASSIGNED);
        return false;
    }
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_HORPOSANIMATION | TPM_VERPOSANIMATION, at.x, at.y, 0, window, nullptr));
    const DWORD error = ::GetLastError();
    if (command != nullptr) {
        *command = chosen;
    }
    ::SetLastError(error);
    return true;
}

} // namespace tarvane::win
