// SPDX-License-Identifier: GPL-3.0-or-later
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

std::wstring wideFrom(std::string_view s, UINT codePage) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// `lossy` (where the code page allows asking: not for UTF-8) tells whether
// a character had no spelling in the code page.
std::string narrowFrom(std::wstring_view w, UINT codePage, bool* lossy) {
    if (lossy) *lossy = false;
    if (w.empty()) return {};
    const bool ask = lossy && codePage != CP_UTF8;
    BOOL usedDefault = FALSE;
    const DWORD flags = ask ? WC_NO_BEST_FIT_CHARS : 0;
    const int wn = static_cast<int>(w.size());
    const int n = WideCharToMultiByte(codePage, flags, w.data(), wn, nullptr, 0, nullptr, ask ? &usedDefault : nullptr);
    if (n <= 0) {
        if (lossy) *lossy = true;
        return {};
    }
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, w.data(), wn, s.data(), n, nullptr, ask ? &usedDefault : nullptr);
    if (ask) *lossy = usedDefault != FALSE;
    return s;
}

}  // namespace

std::wstring wideFromUtf8(std::string_view utf8) { return wideFrom(utf8, CP_UTF8); }

std::string utf8FromWide(std::wstring_view wide) { return narrowFrom(wide, CP_UTF8, nullptr); }

std::string utf8FromAnsi(std::string_view bytes) { return utf8FromWide(wideFrom(bytes, CP_ACP)); }

std::optional<std::string> ansiFromUtf8(std::string_view utf8) {
    if (GetACP() == CP_UTF8) return std::string(utf8);
    bool lossy = false;
    std::string ansi = narrowFrom(wideFromUtf8(utf8), CP_ACP, &lossy);
    if (lossy) return std::nullopt;
    return ansi;
}

}  // namespace vis::win32
