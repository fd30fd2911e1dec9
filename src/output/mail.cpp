// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/mail.h"

// Set by the build (VIS_AUTHOR_MAIL); this default only serves builds that
// do not go through it.
#ifndef VIS_AUTHOR_MAIL
#define VIS_AUTHOR_MAIL "vistrelle@example.org"
#endif

namespace vis {

namespace {

// Percent-escapes every byte but the unreserved ones and those in `keep`;
// UTF-8 letters become their escaped bytes.
std::string escaped(const std::string& s, const char* keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        bool kept = false;
        for (const char* k = keep; *k; ++k) kept = kept || c == static_cast<unsigned char>(*k);
        if (plain || kept) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string authorMail() { return VIS_AUTHOR_MAIL; }

std::string mailtoUrl(const std::string& address, const std::string& subject) {
    return "mailto:" + escaped(address, "@+!$'*") + "?subject=" + escaped(subject, "");
}

}  // namespace vis
