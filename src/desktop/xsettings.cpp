// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/xsettings.h"

#include <cstdint>
#include <string>

#if !defined(_WIN32)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace vis::xsettings {

namespace {

struct Reader {
    const unsigned char* data;
    std::size_t size;
    bool bigEndian;
    std::size_t at = 0;

    bool has(std::size_t n) const { return n <= size && at <= size - n; }
    std::uint32_t u32() {
        const unsigned char* p = data + at;
        at += 4;
        return bigEndian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]
                         : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    std::uint16_t u16() {
        const unsigned char* p = data + at;
        at += 2;
        return static_cast<std::uint16_t>(bigEndian ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    }
};

constexpr std::size_t padded(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

}  // namespace

std::optional<int> intSetting(const unsigned char* data, std::size_t size, std::string_view name) {
    if (!data || size < 12) return std::nullopt;
    Reader r{data, size, data[0] == 1};
    r.at = 4;
    r.u32();  // serial
    const std::uint32_t count = r.u32();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!r.has(4)) return std::nullopt;
        const unsigned char type = data[r.at];
        r.at += 2;
        const std::size_t nameLength = r.u16();
        if (!r.has(padded(nameLength) + 4)) return std::nullopt;
        const std::string_view settingName(reinterpret_cast<const char*>(data + r.at), nameLength);
        r.at += padded(nameLength) + 4;  // and the serial of its last change
        switch (type) {
            case 0:  // integer
                if (!r.has(4)) return std::nullopt;
                if (settingName == name) return static_cast<std::int32_t>(r.u32());
                r.at += 4;
                break;
            case 1: {  // string
                if (!r.has(4)) return std::nullopt;
                const std::size_t length = r.u32();
                if (!r.has(padded(length))) return std::nullopt;
                r.at += padded(length);
                break;
            }
            case 2:  // colour: four 16-bit values
                if (!r.has(8)) return std::nullopt;
                r.at += 8;
                break;
            default:
                return std::nullopt;
        }
        if (settingName == name) return std::nullopt;  // there, but not an integer
    }
    return std::nullopt;
}

bool eventSoundsEnabled(void* display) {
#if defined(_WIN32)
    (void)display;
    return true;
#else
    auto* dpy = static_cast<Display*>(display);
    if (!dpy) return true;
    const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(dpy));
    const Window owner = XGetSelectionOwner(dpy, XInternAtom(dpy, selection.c_str(), False));
    if (owner == None) return true;
    const Atom property = XInternAtom(dpy, "_XSETTINGS_SETTINGS", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    // A manager that goes away meanwhile makes this a BadWindow: Qt's error
    // handler only notes it.
    const int status =
        XGetWindowProperty(dpy, owner, property, 0, 1 << 16, False, AnyPropertyType, &type, &format, &items, &after, &data);
    bool enabled = true;
    if (status == Success && data && format == 8) {
        if (const auto v = intSetting(data, items, "Net/EnableEventSounds")) enabled = *v != 0;
    }
    if (data) XFree(data);
    return enabled;
#endif
}

}  // namespace vis::xsettings
