// SPDX-License-Identifier: GPL-3.0-or-later
// The Win32 services on a real desktop (Windows, or Wine's on an X server):
// a window of a known picture grabbed back by GDI, keys held by a helper,
// the folders, the ANSI code page.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "desktop/win32_services.h"
#include "desktop/win32_text.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vis::win32 {
namespace {

namespace fs = std::filesystem;

fs::path pathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

TEST(Win32Text, AnsiCodePageBothWays) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP() << ", not Windows-1252";
    EXPECT_EQ(utf8FromAnsi("\x80 \xE9t\xE9 \x9C"), "€ été œ");
    EXPECT_EQ(ansiFromUtf8("€ été œ"), std::optional<std::string>("\x80 \xE9t\xE9 \x9C"));
    // No look-alike for what the code page lacks: "ł" is not "l".
    EXPECT_EQ(ansiFromUtf8("Łódź"), std::nullopt);
    EXPECT_EQ(utf8FromWide(wideFromUtf8("Łódź 日本")), "Łódź 日本");
    EXPECT_EQ(ansiFromUtf8(""), std::optional<std::string>(""));
}

TEST(Win32Paths, TheProgramsAndTheUsersFolders) {
    const Paths paths;
    wchar_t exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    EXPECT_EQ(pathOf(paths.programFolder()), fs::path(exe).parent_path());

    const fs::path config = pathOf(paths.configFolder());
    EXPECT_EQ(config, fs::path(_wgetenv(L"APPDATA")) / "Vistrelle");
    EXPECT_TRUE(fs::is_directory(config));  // made when asked for
    EXPECT_EQ(pathOf(paths.recoveryFolder()), fs::path(_wgetenv(L"LOCALAPPDATA")) / "Vistrelle" / "recovery");
    EXPECT_TRUE(fs::is_directory(pathOf(paths.documentsFolder())));
}

// ---- a window of a known picture

constexpr int kLeft = 200, kTop = 150, kWidth = 96, kHeight = 64;
constexpr wchar_t kTitle[] = L"Vistrelle Win32 test";

std::uint32_t expected(int x, int y) { return rgb(x * 2, y * 3, (x ^ y) & 255); }

LRESULT CALLBACK paintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
    std::vector<std::uint32_t> px(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) px[static_cast<std::size_t>(y) * kWidth + x] = expected(x, y);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, px.data(), &bi, DIB_RGB_COLORS);
    EndPaint(hwnd, &ps);
    return 0;
}

class PictureWindow {
public:
    PictureWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = paintProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VisPictureWindow";
        RegisterClassW(&wc);
        // A popup has no frame: its window is its picture. As an application
        // window, the X side manages it and lets it take the keyboard.
        hwnd_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_TOPMOST, wc.lpszClassName, kTitle, WS_POPUP, kLeft, kTop,
                                kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        SetForegroundWindow(hwnd_);
    }
    ~PictureWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

    static void pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }

private:
    HWND hwnd_ = nullptr;
};

// Pixels of `shot` at (dx, dy) that differ from the window's picture.
int wrongPixels(const Bitmap& shot, int dx, int dy) {
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (shot.pixel(dx + x, dy + y) != expected(x, y)) ++wrong;
    return wrong;
}

// The window reaches the screen once its painting has been flushed out:
// grabbed again until it shows, for up to 30 s on a loaded machine.
template <class Grab>
Bitmap grabUntilShown(Grab grab, int dx, int dy) {
    Bitmap shot;
    for (int i = 0; i < 600; ++i) {
        PictureWindow::pump();
        shot = grab();
        if (!shot.isNull() && shot.width() >= dx + kWidth && shot.height() >= dy + kHeight &&
            wrongPixels(shot, dx, dy) == 0)
            break;
        Sleep(50);
    }
    return shot;
}

TEST(Win32Screen, GdiGrabsAWindowPixelForPixel) {
    PictureWindow window;
    ASSERT_NE(window.hwnd(), nullptr);
    const int x0 = GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);

    const Bitmap screen = grabUntilShown([] { return gdiGrab(0); }, kLeft - x0, kTop - y0);
    ASSERT_FALSE(screen.isNull());
    EXPECT_EQ(screen.width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(screen.height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_TRUE(screen.isBgr24());
    EXPECT_EQ(wrongPixels(screen, kLeft - x0, kTop - y0), 0);

    // The active window: its own rectangle, nothing around it.
    ASSERT_EQ(GetForegroundWindow(), window.hwnd());
    const Bitmap active = grabUntilShown([] { return gdiGrab(1); }, 0, 0);
    ASSERT_FALSE(active.isNull());
    EXPECT_EQ(active.width(), kWidth);
    EXPECT_EQ(active.height(), kHeight);
    EXPECT_EQ(wrongPixels(active, 0, 0), 0);
}

// SHIFT + F11 held by a helper (scripts/check-windows.sh, with xdotool
// under Wine): this prints when to press and waits up to a minute.
TEST(Win32Keys, KeysHeldByAHelperAreDown) {
    if (!std::getenv("VIS_KEYS_HELPER")) GTEST_SKIP() << "no helper to hold the keys (VIS_KEYS_HELPER)";
    PictureWindow window;
    Keyboard keys;
    keys.keyDown(VK_SHIFT);  // forgets what was pressed before
    keys.keyDown(VK_F11);
    EXPECT_FALSE(keys.keyDown(VK_SHIFT));
    EXPECT_FALSE(keys.keyDown(VK_F11));
    std::printf("hold SHIFT F11 now\n");
    std::fflush(stdout);
    bool shift = false, f11 = false;
    for (int i = 0; i < 1200 && !(shift && f11); ++i) {
        PictureWindow::pump();
        shift = shift || keys.keyDown(VK_SHIFT);
        f11 = f11 || keys.keyDown(VK_F11);
        Sleep(50);
    }
    EXPECT_TRUE(shift);
    EXPECT_TRUE(f11);
    EXPECT_FALSE(keys.keyDown(VK_F12));
    EXPECT_FALSE(keys.keyDown('2'));
}

}  // namespace
}  // namespace vis::win32
