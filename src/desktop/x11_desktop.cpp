// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop as a whole, where Qt has no word for it: the root window's
// area, and a request to the window manager.

#include "desktop/x11.h"

#if defined(__linux__) || defined(__FreeBSD__)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#define VIS_HAVE_X11 1

#include "desktop/x11_trap.h"
#endif

namespace vis::x11 {

Rect rootArea(void* display) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    XWindowAttributes ra{};
    // Asked, not taken from the connection's start: the size may have changed since.
    if (!d || !XGetWindowAttributes(d, DefaultRootWindow(d), &ra)) return {};
    return {0, 0, ra.width, ra.height};
#else
    (void)display;
    return {};
#endif
}

bool heldByWindowManager(void* display, unsigned long window) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d || !window) return false;
    ErrorTrap trap(d);
    ::Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (parent != root) return true;
    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const int got = XGetWindowProperty(d, window, wmState, 0, 2, False, wmState, &type, &format, &items, &after, &data);
    bool held = false;
    if (got == Success && data) {
        held = format == 32 && items >= 1 && reinterpret_cast<long*>(data)[0] != WithdrawnState;
        XFree(data);
    }
    return held && !trap.failed();
#else
    (void)display, (void)window;
    return false;
#endif
}

bool viewable(void* display, unsigned long window) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d || !window) return false;
    ErrorTrap trap(d);
    XWindowAttributes a{};
    return XGetWindowAttributes(d, window, &a) && !trap.failed() && a.map_state == IsViewable;
#else
    (void)display, (void)window;
    return false;
#endif
}

void keepAbove(void* display, unsigned long window, bool above) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d || !window) return;
    // The window manager's protocol for a mapped window's state: a message
    // to the root window.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = above ? 1 : 0;  // add, remove
    e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_ABOVE", False));
    e.xclient.data.l[3] = 1;  // from an application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d);
#else
    (void)display, (void)window, (void)above;
#endif
}

}  // namespace vis::x11
