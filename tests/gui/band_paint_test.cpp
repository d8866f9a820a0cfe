// The reminder band keeps its colour behind the backup link across repaints.
#include "main_window_harness.h"
#include "resources/resource.h"

namespace tarvane::test {
namespace {

TEST_F(MainWindowTest, TheBackupLinkStaysOnTheBandColourAfterRepaints) {
    Run([&](ui::CTarvaneDlg& window) {
        RECT link{};
        ::GetWindowRect(Item(IDC_BACKUP_LINK), &link);
        const POINT behindLink{link.right - 4, (link.top + link.bottom) / 2};
        POINT clientOrigin{0, 0};
        ::ClientToScreen(window.Hwnd(), &clientOrigin);
        const POINT leftOfBand{clientOrigin.x + 2, behindLink.y};
        for (int paint = 0; paint < 3; ++paint) {
            ::RedrawWindow(window.Hwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump(50);
            HDC screen = ::GetDC(nullptr);
            const COLORREF link = ::GetPixel(screen, behindLink.x, behindLink.y);
            const COLORREF band = ::GetPixel(screen, leftOfBand.x, leftOfBand.y);
            ::ReleaseDC(nullptr, screen);
            EXPECT_EQ(link, RGB(252, 250, 122)) << "paint " << paint;
            EXPECT_EQ(band, RGB(252, 250, 122)) << "paint " << paint;
        }
    });
}

} // namespace
} // namespace tarvane::test
