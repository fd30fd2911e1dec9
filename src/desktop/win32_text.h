// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Text as Windows spells it: UTF-16 for its own calls, the ANSI code page
// for text files of older programs. No toolkit: the program half's settings
// file uses it too. Windows only.

#include <optional>
#include <string>
#include <string_view>

namespace vis::win32 {

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

// Bytes in the system's ANSI code page, as UTF-8.
std::string utf8FromAnsi(std::string_view bytes);
// UTF-8 text in the ANSI code page; nothing when the code page cannot spell
// every character of it (no best-fit look-alikes).
std::optional<std::string> ansiFromUtf8(std::string_view utf8);

}  // namespace vis::win32
