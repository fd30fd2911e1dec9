// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/win32_services.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "desktop/win32_text.h"
#include "platform/user_folders.h"
#include "settings/param_file.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <knownfolders.h>
#include <mmsystem.h>
#include <shlobj.h>

namespace vis::win32 {

namespace fs = std::filesystem;

// ---- the screen

namespace {

RECT desktopRect() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Releases what GDI lent, in the reverse order.
struct ScreenCopy {
    HDC screen = GetDC(nullptr);
    HDC mem = screen ? CreateCompatibleDC(screen) : nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ old = nullptr;
    ~ScreenCopy() {
        if (old) SelectObject(mem, old);
        if (dib) DeleteObject(dib);
        if (mem) DeleteDC(mem);
        if (screen) ReleaseDC(nullptr, screen);
    }
};

}  // namespace

Bitmap gdiGrab(int typcapt) {
    const RECT desktop = desktopRect();
    RECT r = desktop;
    if (typcapt == 1) {
        HWND fg = GetForegroundWindow();
        RECT wr{};
        if (!fg || !GetWindowRect(fg, &wr) || !IntersectRect(&r, &wr, &desktop)) return {};
    }
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return {};

    ScreenCopy c;
    if (!c.mem) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;    // top-down rows, as Bitmap has them
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;  // rows padded to 4 bytes, as Bitmap has them
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    c.dib = CreateDIBSection(c.screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!c.dib || !bits) return {};
    c.old = SelectObject(c.mem, c.dib);
    if (!BitBlt(c.mem, 0, 0, w, h, c.screen, r.left, r.top, SRCCOPY | CAPTUREBLT)) return {};
    GdiFlush();
    // The section goes with this function's handles: the picture keeps a
    // copy in memory of its own.
    const std::size_t stride = Bitmap::bgr24Stride(w);
    auto mem = pixelMemory(stride * static_cast<std::size_t>(h));
    std::memcpy(mem.get(), bits, stride * static_cast<std::size_t>(h));
    const std::uint8_t* bytes = mem.get();
    return Bitmap::fromBgr24(w, h, bytes, stride, std::shared_ptr<const void>(std::move(mem), bytes));
}

bool clipboardHasBitmap() { return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP); }

bool pressPrintScreenKey(int typcapt) {
    // The scan code no longer chooses the active window on current systems;
    // Alt + Print Screen does.
    if (typcapt == 1) keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(VK_SNAPSHOT, static_cast<BYTE>(typcapt), 0, 0);
    keybd_event(VK_SNAPSHOT, static_cast<BYTE>(typcapt), KEYEVENTF_KEYUP, 0);
    if (typcapt == 1) keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    for (int i = 0; i < 50 && !clipboardHasBitmap(); ++i) Sleep(10);
    return clipboardHasBitmap();
}

// ---- keys and sound

bool Keyboard::keyDown(int virtualKey) {
    // Bit 15: down now; bit 0: pressed since the previous call.
    return (GetAsyncKeyState(virtualKey) & 0x8001) != 0;
}

void Sound::playWave(const std::string& path) {
    const std::wstring file = wideFromUtf8(path);
    if (file.empty() || GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

// ---- folders

namespace {

std::string utf8Of(const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

fs::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR found = nullptr;
    fs::path p;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &found)) && found) p = found;
    CoTaskMemFree(found);
    return p;
}

}  // namespace

std::string Paths::programFolder() const {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);  // cut short: a longer path
    }
    return utf8Of(fs::path(buffer).parent_path());
}

std::string Paths::configFolder() const {
    const fs::path dir = userConfigFolder();
    if (dir.empty()) return {};
    std::error_code ec;
    fs::create_directories(dir, ec);
    return utf8Of(dir);
}

std::string Paths::documentsFolder() const {
    fs::path dir = knownFolder(FOLDERID_Pictures);
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec)) dir = homeFolder();
    return utf8Of(dir);
}

std::string Paths::recoveryFolder() const { return utf8Of(defaultRecoveryFolder()); }

}  // namespace vis::win32
