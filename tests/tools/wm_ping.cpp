// SPDX-License-Identifier: GPL-3.0-or-later
// Pings a window as a window manager does (_NET_WM_PING) until SIGTERM or
// SIGINT, one ping at a time, and prints how many replies came and the
// longest wait for one, in milliseconds; a ping still unanswered at the end
// counts with its age. The reply comes from the client's event loop, so the
// longest wait is the longest time that loop did not run.
//
//   vis_wm_ping WINDOW_ID [PAUSE_MS]

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

volatile std::sig_atomic_t stop = 0;
void onSignal(int) { stop = 1; }

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WINDOW_ID [PAUSE_MS]\n", argv[0]);
        return 2;
    }
    const Window target = std::strtoul(argv[1], nullptr, 0);
    const double pause = argc > 2 ? std::atof(argv[2]) : 20;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    const Window root = DefaultRootWindow(d);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(d, "_NET_WM_PING", False);
    // Replies are sent to the root window, for its structure (Qt) or its
    // substructure listeners (as EWMH has it).
    XSelectInput(d, root, StructureNotifyMask | SubstructureNotifyMask);

    long serial = 0;
    long replies = 0;
    double sent = 0, longest = 0, next = nowMs();
    bool waiting = false;
    while (!stop) {
        const double now = nowMs();
        if (!waiting && now >= next) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = target;
            e.xclient.message_type = protocols;
            e.xclient.format = 32;
            e.xclient.data.l[0] = static_cast<long>(ping);
            e.xclient.data.l[1] = ++serial;
            e.xclient.data.l[2] = static_cast<long>(target);
            XSendEvent(d, target, False, NoEventMask, &e);
            XFlush(d);
            sent = now;
            waiting = true;
        }
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == ClientMessage && e.xclient.window == root && e.xclient.message_type == protocols &&
                static_cast<Atom>(e.xclient.data.l[0]) == ping && e.xclient.data.l[1] == serial && waiting) {
                const double t = nowMs();
                if (t - sent > longest) longest = t - sent;
                ++replies;
                waiting = false;
                next = t + pause;
            }
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 5);
    }
    if (waiting && nowMs() - sent > longest) longest = nowMs() - sent;
    std::printf("replies %ld longest %.1f ms\n", replies, longest);
    XCloseDisplay(d);
    return 0;
}
