// Icons, menu bitmaps and menus with the real window system.
#include "resource.h"
#include "win/dialog.h"
#include "win/icon_menu.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace tarvane::test {
namespace {

using namespace tarvane::win;

constexpr int kSide = 16;

// A 32-bit icon from top-down ARGB pixels and a top-down mask (1: transparent).
HICON MakeIcon(const std::vector<std::uint32_t>& argb, const std::vector<bool>& transparent) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = kSide;
    header.bV5Height = -kSide;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP color =
        ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    std::memcpy(bits, argb.data(), argb.size() * 4);
    std::vector<BYTE> maskBits(kSide * 2, 0); // 16 pixels: two bytes a row, word-aligned
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (transparent[static_cast<std::size_t>(y * kSide + x)]) {
                maskBits[static_cast<std::size_t>(y * 2 + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
            }
        }
    }
    HBITMAP mask = ::CreateBitmap(kSide, kSide, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(color);
    ::DeleteObject(mask);
    return icon;
}

// The bitmap's pixels, top row first.
std::vector<std::uint32_t> TopDownPixels(HBITMAP bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kSide;
    info.bmiHeader.biHeight = -kSide;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(kSide * kSide, 0xDEADBEEF);
    HDC screen = ::GetDC(nullptr);
    const int lines = ::GetDIBits(screen, bitmap, 0, kSide, pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(lines, kSide);
    return pixels;
}

bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        return false;
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return true;
}

TEST(LoadScaledIcon, SizeFollowsTheScreensDotsPerInch) {
    // Truncated, not rounded: 86.67 pixels at 130 dots per inch are 86.
    for (const auto& [dpi, side] :
         {std::pair{96, 64}, std::pair{120, 80}, std::pair{130, 86}, std::pair{144, 96}}) {
        const IconLoadPlan plan = PlanScaledIcon(OwnModule(), 64, 64, dpi, dpi);
        EXPECT_EQ(plan.width, side) << dpi;
        EXPECT_EQ(plan.height, side) << dpi;
    }
    const IconLoadPlan truncated = PlanScaledIcon(nullptr, 13, 7, 120, 144);
    EXPECT_EQ(truncated.width, 16);  // 16.25
    EXPECT_EQ(truncated.height, 10); // 10.5
    const IconLoadPlan unscaled = PlanScaledIcon(nullptr, 20, 20, 0, 0);
    EXPECT_EQ(unscaled.width, 20);
}

TEST(LoadScaledIcon, SystemIconsAreSharedAndOwnIconsAreNot) {
    const IconLoadPlan system = PlanScaledIcon(nullptr, 16, 16, 0, 0);
    EXPECT_EQ(system.module, nullptr);
    EXPECT_EQ(system.flags, static_cast<UINT>(LR_SHARED));
    const IconLoadPlan own = PlanScaledIcon(OwnModule(), 16, 16, 0, 0);
    EXPECT_EQ(own.module, ::GetModuleHandleW(nullptr));
    EXPECT_EQ(own.flags, 0u);

    // Without the scale-down loader: a shared icon comes back as the same handle.
    HICON first = LoadScaledIcon(nullptr, nullptr, 32518, 16, 16, 0);
    HICON second = LoadScaledIcon(nullptr, nullptr, 32518, 16, 16, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    HICON mine = LoadScaledIcon(nullptr, OwnModule(), IDR_MAINFRAME, 32, 32, 0);
    HICON again = LoadScaledIcon(nullptr, OwnModule(), IDR_MAINFRAME, 32, 32, 0);
    ASSERT_NE(mine, nullptr);
    EXPECT_NE(mine, again);
    ::DestroyIcon(mine);
    ::DestroyIcon(again);
}

TEST(LoadScaledIcon, TheProgramsIconExistsAtEachDrawnSize) {
    for (int side : {16, 32, 48, 64, 256}) {
        HICON icon = LoadScaledIcon(OwnModule(), IDR_MAINFRAME, side, side, 0);
        ASSERT_NE(icon, nullptr) << side;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(GetIconSize(icon, &width, &height));
        EXPECT_EQ(width, side);
        EXPECT_EQ(height, side);
        ::DestroyIcon(icon);
    }
}

TEST(GetIconSize, NoIconGivesFalseAndZeroes) {
    int width = 5;
    int height = 5;
    EXPECT_FALSE(GetIconSize(nullptr, &width, &height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST(IconToMenuBitmap, IconWithAlphaKeepsItsOwnTransparencyPremultiplied) {
    std::vector<std::uint32_t> argb(kSide * kSide, 0xFF0000FF); // opaque blue
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < kSide; ++x) {
            argb[static_cast<std::size_t>(y * kSide + x)] = 0x80FF0000; // half-transparent red on top
        }
    }
    // The mask says otherwise; alpha wins.
    HICON icon = MakeIcon(argb, std::vector<bool>(kSide * kSide, false));
    ASSERT_NE(icon, nullptr);
    HBITMAP bitmap = IconToMenuBitmap(icon);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_FALSE(IconAlive(icon));
    const auto pixels = TopDownPixels(bitmap);
    EXPECT_EQ(pixels[0] >> 24, 0x80u);
    EXPECT_NEAR(static_cast<int>((pixels[0] >> 16) & 0xFF), 0x80, 1);
    EXPECT_EQ(pixels[0] & 0xFFFF, 0u);
    EXPECT_EQ(pixels[kSide * kSide - 1], 0xFF0000FFu);
    ::DeleteObject(bitmap);
}

TEST(IconToMenuBitmap, IconWithoutAlphaTakesTransparencyFromItsMask) {
    std::vector<std::uint32_t> argb(kSide * kSide, 0x0000FF00); // green, alpha 0
    std::vector<bool> transparent(kSide * kSide, false);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < kSide; ++x) {
            argb[static_cast<std::size_t>(y * kSide + x)] = 0;
            transparent[static_cast<std::size_t>(y * kSide + x)] = true; // the top rows
        }
    }
    HICON icon = MakeIcon(argb, transparent);
    ASSERT_NE(icon, nullptr);
    HBITMAP bitmap = IconToMenuBitmap(icon);
    ASSERT_NE(bitmap, nullptr);
    const auto pixels = TopDownPixels(bitmap);
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[3 * kSide + 5], 0u);
    EXPECT_EQ(pixels[4 * kSide + 5], 0xFF00FF00u);
    EXPECT_EQ(pixels[kSide * kSide - 1], 0xFF00FF00u);
    ::DeleteObject(bitmap);
}

TEST(IconToMenuBitmap, WithoutBufferedPaintingThereIsNoBitmapAndTheIconLives) {
    HICON icon =
        MakeIcon(std::vector<std::uint32_t>(kSide * kSide, 0xFF112233), std::vector<bool>(kSide * kSide));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(IconToMenuBitmap(icon, BufferedPaintFunctions{}), nullptr);
    EXPECT_TRUE(IconAlive(icon));
    EXPECT_EQ(IconToMenuBitmap(nullptr), nullptr);
    ::DestroyIcon(icon);
}

TEST(IconToMenuBitmap, AHeldIconNeverOutlivesTheCallButASharedOneIsLeftToTheSystem) {
    const std::vector<std::uint32_t> pixels(kSide * kSide, 0xFF112233);
    for (const bool painting : {false, true}) {
        const BufferedPaintFunctions paint = painting ? SystemBufferedPaint() : BufferedPaintFunctions{};
        HICON owned = MakeIcon(pixels, std::vector<bool>(kSide * kSide));
        HBITMAP bitmap = IconToMenuBitmap(ScaledIcon(owned, false), paint);
        EXPECT_EQ(bitmap != nullptr, painting);
        EXPECT_FALSE(IconAlive(owned)) << painting;
        ::DeleteObject(bitmap);
    }
    HICON shared = MakeIcon(pixels, std::vector<bool>(kSide * kSide));
    EXPECT_EQ(IconToMenuBitmap(ScaledIcon(shared, true), BufferedPaintFunctions{}), nullptr);
    EXPECT_TRUE(IconAlive(shared));
    ::DestroyIcon(shared);

    // What decides it: a system icon is shared only when LoadImageW loads it.
    EXPECT_TRUE(ScaledIcon::Load(nullptr, nullptr, kShieldIconId, 16, 16, 0).Shared());
    EXPECT_FALSE(ScaledIcon::Load(nullptr, OwnModule(), IDR_MAINFRAME, 16, 16, 0).Shared());
    const auto scaleDown = TheLateBoundFunctions().loadIconWithScaleDown;
    if (scaleDown != nullptr) {
        const ScaledIcon shield = ScaledIcon::Load(scaleDown, nullptr, kShieldIconId, 16, 16, 0);
        EXPECT_NE(shield.Get(), nullptr);
        EXPECT_FALSE(shield.Shared());
    }
}

struct Menus {
    Menus() {
        bar = ::CreateMenu();
        file = ::CreatePopupMenu();
        recent = ::CreatePopupMenu();
        deepest = ::CreatePopupMenu();
        other = ::CreatePopupMenu();
        ::AppendMenuW(deepest, MF_STRING, 300, L"Deep");
        ::AppendMenuW(recent, MF_STRING, 200, L"One");
        ::AppendMenuW(recent, MF_POPUP, reinterpret_cast<UINT_PTR>(deepest), L"More");
        ::AppendMenuW(file, MF_STRING, 100, L"Open");
        ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"Recent");
        ::AppendMenuW(file, MF_STRING | MF_GRAYED, 101, L"Save");
        ::AppendMenuW(file, MF_STRING, 102, L"Wrap");
        ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
        ::AppendMenuW(other, MF_STRING, 400, L"Other");
    }
    ~Menus() {
        ::DestroyMenu(bar);
        ::DestroyMenu(other);
    }
    HMENU bar, file, recent, deepest, other;
};

TEST(IsSubMenu, FindsPopupsAtAnyDepthOfTheMenu) {
    Menus menus;
    EXPECT_TRUE(IsSubMenu(menus.bar, menus.bar));
    EXPECT_TRUE(IsSubMenu(menus.bar, menus.file));
    EXPECT_TRUE(IsSubMenu(menus.bar, menus.deepest));
    EXPECT_TRUE(IsSubMenu(menus.file, menus.deepest));
    EXPECT_FALSE(IsSubMenu(menus.bar, menus.other));
    EXPECT_FALSE(IsSubMenu(menus.deepest, menus.bar));
    EXPECT_FALSE(IsSubMenu(nullptr, menus.file));
    EXPECT_FALSE(IsSubMenu(menus.bar, nullptr));
}

UINT State(HMENU menu, UINT id) {
    return ::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED);
}

TEST(UpdateMenuCommandUI, RulesEnableDisableAndCheckItemsWithoutRulesKeepTheirState) {
    Menus menus;
    Dialog window(1);
    window.SetUpdateRule(100, [](const CommandUI& item) { item.Enable(false); });
    window.SetUpdateRule(102, [](const CommandUI& item) {
        item.Enable(true);
        item.SetCheck(true);
    });
    std::vector<UINT> seen;
    window.SetUpdateRule(200, [&seen](const CommandUI& item) { seen.push_back(item.Id()); });

    UpdateMenuCommandUI(menus.file, window, true);
    EXPECT_EQ(State(menus.file, 100), 0u) << "the system menu is left alone";

    UpdateMenuCommandUI(menus.file, window, false);
    EXPECT_EQ(State(menus.file, 100), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(State(menus.file, 101), static_cast<UINT>(MF_GRAYED)) << "no rule: kept";
    EXPECT_EQ(State(menus.file, 102), static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(seen.empty()) << "items of submenus are updated when their own popup opens";

    window.SetUpdateRule(100, [](const CommandUI& item) { item.Enable(true); });
    UpdateMenuCommandUI(menus.file, window, false);
    EXPECT_EQ(State(menus.file, 100), 0u);
}

TEST(TrackContextMenu, MissingWindowOrPopupIsAnInvalidParameter) {
    Menus menus;
    POINT point{10, 10};
    UINT command = 55;
    EXPECT_FALSE(TrackContextMenu(&point, nullptr, menus.file, &command));
    EXPECT_EQ(::GetLastError(), 87u);
    EXPECT_EQ(command, 0u);
    command = 55;
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(TrackContextMenu(nullptr, window, nullptr, &command));
    EXPECT_EQ(::GetLastError(), 87u);
    EXPECT_EQ(command, 0u);
    ::DestroyWindow(window);
}

TEST(TrackContextMenu, DismissedMenuIsShownWithCommandZero) {
    Menus menus;
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::SetForegroundWindow(window);
    // The menu's own loop runs the timer, which closes the menu as Esc would.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    POINT point{20, 20};
    UINT command = 55;
    EXPECT_TRUE(TrackContextMenu(&point, window, menus.file, &command));
    EXPECT_EQ(command, 0u);
    ::KillTimer(nullptr, timer);
    ::DestroyWindow(window);
}

} // namespace
} // namespace tarvane::test
