// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/format.h"

#include <cmath>
#include <cstdio>

namespace vis {

std::string numberText(double value) {
    char buf[64];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", value);
    } else {
        std::snprintf(buf, sizeof buf, "%.7g", value);
    }
    std::string s = buf;
    if (s == "-0") s = "0";
    return s[0] == '-' ? s : " " + s;
}

std::string twoDigits(int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of the n-th character (or the end).
std::size_t byteOffset(const std::string& s, std::size_t n) {
    std::size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && isContinuation(static_cast<unsigned char>(s[i]))) ++i;
        --n;
    }
    return i;
}
}  // namespace

std::size_t charCount(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if (!isContinuation(c)) ++n;
    return n;
}

std::string leftChars(const std::string& utf8, std::size_t n) { return utf8.substr(0, byteOffset(utf8, n)); }

std::string midChars(const std::string& utf8, std::size_t start, std::size_t n) {
    const std::size_t b = byteOffset(utf8, start);
    if (n == std::string::npos) return utf8.substr(b);
    const std::string rest = utf8.substr(b);
    return rest.substr(0, byteOffset(rest, n));
}

std::string padRight(const std::string& utf8, std::size_t n) {
    std::string s = leftChars(utf8, n);
    const std::size_t count = charCount(s);
    if (count < n) s.append(n - count, ' ');
    return s;
}

long roundToEven(double v) { return std::lrint(v); }

}  // namespace vis
