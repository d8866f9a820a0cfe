#include "dialog_driver.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace tarvane::test {
namespace {

std::wstring pendingCaption;
std::function<void(HWND)> pendingDrive;
int triesLeft = 0;

HWND FindVisibleWindow(const std::wstring& caption) {
    return FindThreadWindow([&caption](HWND window) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        return ::IsWindowVisible(window) && caption == text;
    });
}

void CALLBACK DriveWhenFound(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindVisibleWindow(pendingCaption);
    if (dialog == nullptr && --triesLeft > 0) {
        return;
    }
    ::KillTimer(nullptr, id);
    auto drive = std::move(pendingDrive);
    pendingDrive = nullptr;
    if (dialog != nullptr && drive) {
        drive(dialog);
    }
}

} // namespace

HWND FindThreadWindow(const std::function<bool(HWND window)>& wanted) {
    struct Search {
        const std::function<bool(HWND)>* wanted;
        HWND found;
    } search{&wanted, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if ((*s->wanted)(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void WhenDialogOpens(const std::wstring& caption, std::function<void(HWND dialog)> drive) {
    pendingCaption = caption;
    pendingDrive = std::move(drive);
    triesLeft = 200;
    ::SetTimer(nullptr, 0, 20, DriveWhenFound);
}

void PressButton(HWND dialog, int id) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::wstring> CutLabels(HWND dialog) {
    std::vector<std::wstring> cut;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    HDC dc = ::GetDC(dialog);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
        const LONG_PTR kind = style & BS_TYPEMASK;
        const bool label = ::lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
        const bool check =
            ::lstrcmpiW(className, L"Button") == 0 && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX ||
                                                       kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON);
        wchar_t text[512] = {};
        ::GetWindowTextW(child, text, 512);
        if ((!label && !check) || text[0] == L'\0' || !::IsWindowVisible(child)) {
            continue;
        }
        RECT client{};
        ::GetClientRect(child, &client);
        // A check box's box and the gap after it take part of its width.
        const int room = client.right - (check ? ::GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0);
        RECT needed{0, 0, room, 0};
        const UINT prefix = label && (style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0;
        const bool wraps = label && client.bottom >= 2 * metrics.tmHeight;
        ::DrawTextW(dc, text, -1, &needed, DT_CALCRECT | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        if (needed.right > room || needed.bottom > client.bottom) {
            wchar_t line[640] = {};
            ::wsprintfW(line, L"%s (needs %d x %d, has %d x %d)", text, static_cast<int>(needed.right),
                        static_cast<int>(needed.bottom), room, static_cast<int>(client.bottom));
            cut.emplace_back(line);
        }
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(dialog, dc);
    return cut;
}

bool SaveWindowShot(HWND window, const std::wstring& givenName) {
    const char* folder = std::getenv("TARVANE_ARTIFACTS");
    if (folder == nullptr || *folder == '\0') {
        return false;
    }
    HDC screenDc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screenDc, LOGPIXELSY);
    ::ReleaseDC(nullptr, screenDc);
    const std::wstring name = dpi == 96 ? givenName : givenName + L"_" + std::to_wstring(dpi) + L"dpi";
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(200);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    const int lines = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (lines != height) {
        return false;
    }
    std::string path = folder;
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path; // a Unix path, as the build passes it
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
    path += "/" + std::string(name.begin(), name.end()) + ".bmp";
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

} // namespace tarvane::test
