// SPDX-License-Identifier: GPL-3.0-or-later
// vis_xwatch: the X event recorder of bench/desktop_bench.sh. It clicks
// through XTEST and timestamps what the screen does from X events (map,
// configure, title, damage) instead of guessing with sleeps.
//
//   vis_xwatch capture --main WIN --click X Y [--title TEXT]
//                      [--still MS] [--timeout S] [--pids P,P,...] [--log]
//   vis_xwatch still [--still MS] [--timeout S]
//   vis_xwatch frames PID
//   vis_xwatch run [--pids P,P,...] -- COMMAND [ARGS...]
//
// Results are printed as key=value words on one line; times in ms.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Windows vanish while we look at them; their errors mean nothing here.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

[[noreturn]] void usage() {
    std::fputs(
        "usage: vis_xwatch capture --main WIN --click X Y [--title TEXT] [--still MS] [--timeout S] "
        "[--pids P,...]\n"
        "       vis_xwatch still [--still MS] [--timeout S]\n"
        "       vis_xwatch frames PID\n"
        "       vis_xwatch run [--pids P,...] -- COMMAND [ARGS...]\n",
        stderr);
    std::exit(2);
}

std::vector<int> parsePids(const std::string& s) {
    std::vector<int> pids;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty()) pids.push_back(std::atoi(item.c_str()));
    return pids;
}

// utime + stime of a process in ms, dead threads included; -1 when gone.
double cpuMs(int pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(f, line)) return -1;
    // The command name may hold blanks: fields are counted after its ')'.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Options {
    Window main = 0;
    int clickX = -1, clickY = -1;
    std::string title;
    double stillMs = 50, timeoutS = 15;
    std::vector<int> pids;
    bool log = false;  // each event on stderr, to see where repaints come from
};

Display* openDisplay() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fputs("vis_xwatch: cannot open the display\n", stderr);
        std::exit(1);
    }
    XSetErrorHandler(ignoreErrors);
    return d;
}

std::string windowTitle(Display* d, Window w) {
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom name = XInternAtom(d, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, name, 0, 4096, False, utf8, &type, &format, &n, &after, &data) == Success && data) {
        title.assign(reinterpret_cast<char*>(data), n);
        XFree(data);
    }
    return title;
}

// Records the screen from just before a click until it is still, the
// capture having been shown.
int capture(const Options& o) {
    Display* d = openDisplay();
    int damageEvent = 0, damageError = 0, xtEvent = 0, xtError = 0, major = 0, minor = 0;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError) ||
        !XTestQueryExtension(d, &xtEvent, &xtError, &major, &minor)) {
        std::fputs("vis_xwatch: the X server lacks DAMAGE or XTEST\n", stderr);
        return 1;
    }
    const Window root = DefaultRootWindow(d);
    Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSelectInput(d, o.main, StructureNotifyMask | PropertyChangeMask);
    // Damage on the root reports drawing anywhere on the screen (without a
    // compositor every window draws into the screen's pixmap).
    XDamageCreate(d, root, XDamageReportRawRectangles);
    XDamageCreate(d, o.main, XDamageReportRawRectangles);
    XWindowAttributes a{};
    XGetWindowAttributes(d, root, &a);
    const double screenArea = static_cast<double>(a.width) * a.height;
    XSync(d, False);
    while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
    }

    std::vector<double> cpu0;
    for (int pid : o.pids) cpu0.push_back(cpuMs(pid));
    XTestFakeMotionEvent(d, -1, o.clickX, o.clickY, CurrentTime);
    XSync(d, False);
    const double t0 = nowMs();
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);

    double tUnmap = -1, tMap = -1, tTitle = -1, tShown = -1, tLast = 0;
    int configures = 0, sizeChanges = 0, lastW = -1, lastH = -1;
    double mainArea = 0, screenDrawn = 0, mainW = 0, mainH = 0;
    bool timedOut = false;
    const int fd = ConnectionNumber(d);
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            const double t = nowMs() - t0;
            if (e.type == damageEvent + XDamageNotify) {
                auto* de = reinterpret_cast<XDamageNotifyEvent*>(&e);
                const double area = static_cast<double>(de->area.width) * de->area.height;
                if (o.log)
                    std::fprintf(stderr, "%7.1f damage %s %dx%d+%d+%d\n", t, de->drawable == o.main ? "main" : "screen",
                                 de->area.width, de->area.height, de->area.x, de->area.y);
                if (de->drawable == o.main) {
                    mainArea += area;
                    if (tShown < 0 && tTitle >= 0 && (tUnmap < 0 || tMap >= 0)) tShown = t;
                } else {
                    screenDrawn += area;
                }
                tLast = t;
            } else if (e.type == PropertyNotify) {
                if (e.xproperty.window == o.main && e.xproperty.atom == netName && tTitle < 0 &&
                    windowTitle(d, o.main).find(o.title) != std::string::npos)
                    tTitle = t;
            } else if (e.type == MapNotify || e.type == UnmapNotify || e.type == ConfigureNotify ||
                       e.type == CreateNotify || e.type == DestroyNotify) {
                tLast = t;
                if (e.type == UnmapNotify && e.xunmap.window == o.main && e.xunmap.event == o.main && tUnmap < 0)
                    tUnmap = t;
                if (e.type == MapNotify && e.xmap.window == o.main && e.xmap.event == o.main && tUnmap >= 0)
                    tMap = t;
                if (o.log && (e.xany.window == o.main || (e.type == ConfigureNotify && e.xconfigure.window == o.main)))
                    std::fprintf(stderr, "%7.1f %s%s %dx%d+%d+%d\n", t,
                                 e.type == MapNotify ? "map" : e.type == UnmapNotify ? "unmap"
                                 : e.type == ConfigureNotify ? "configure" : "other",
                                 e.xany.send_event ? " (synthetic)" : "",
                                 e.type == ConfigureNotify ? e.xconfigure.width : 0,
                                 e.type == ConfigureNotify ? e.xconfigure.height : 0,
                                 e.type == ConfigureNotify ? e.xconfigure.x : 0,
                                 e.type == ConfigureNotify ? e.xconfigure.y : 0);
                if (e.type == ConfigureNotify && e.xconfigure.window == o.main && e.xconfigure.event == o.main) {
                    ++configures;
                    if (e.xconfigure.width != lastW || e.xconfigure.height != lastH) ++sizeChanges;
                    lastW = e.xconfigure.width;
                    lastH = e.xconfigure.height;
                }
            }
        }
        const double t = nowMs() - t0;
        if (tShown >= 0 && t - tLast >= o.stillMs) break;
        if (t > o.timeoutS * 1000) {
            timedOut = true;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const double wait = tShown >= 0 ? tLast + o.stillMs - t : 50;
        poll(&p, 1, static_cast<int>(wait < 1 ? 1 : wait + 1));
    }
    XWindowAttributes m{};
    if (XGetWindowAttributes(d, o.main, &m)) {
        mainW = m.width;
        mainH = m.height;
    }
    std::printf("shown_ms=%.1f settled_ms=%.1f unmap_ms=%.1f map_ms=%.1f title_ms=%.1f configures=%d size_changes=%d "
                "main_repaints=%.2f screen_repaints=%.2f main_w=%.0f main_h=%.0f timeout=%d",
                tShown, tShown >= 0 ? tLast : -1, tUnmap, tMap, tTitle, configures, sizeChanges,
                mainW * mainH > 0 ? mainArea / (mainW * mainH) : 0, screenDrawn / screenArea, mainW,
                mainH, timedOut ? 1 : 0);
    for (std::size_t i = 0; i < o.pids.size(); ++i)
        std::printf(" cpu_ms_%d=%.0f", o.pids[i], cpuMs(o.pids[i]) - cpu0[i]);
    std::printf("\n");
    XCloseDisplay(d);
    return timedOut ? 3 : 0;
}

// Waits until nothing is drawn, mapped or moved for the given time.
int still(const Options& o) {
    Display* d = openDisplay();
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) return 1;
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XDamageCreate(d, root, XDamageReportRawRectangles);
    XSync(d, False);
    const double t0 = nowMs();
    double last = t0;
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            last = nowMs();
        }
        const double t = nowMs();
        if (t - last >= o.stillMs) break;
        if (t - t0 > o.timeoutS * 1000) {
            std::printf("still=0\n");
            return 3;
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, static_cast<int>(last + o.stillMs - t) + 1);
    }
    std::printf("still=1 waited_ms=%.0f\n", last - t0);
    XCloseDisplay(d);
    return 0;
}

// The window under a frame that the window manager manages (it has WM_STATE).
Window clientOf(Display* d, Window w, Atom wmState, int depth = 0) {
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, wmState, 0, 0, False, AnyPropertyType, &type, &format, &n, &after, &data) ==
            Success &&
        type != None) {
        if (data) XFree(data);
        return w;
    }
    if (data) XFree(data);
    if (depth > 4) return 0;
    Window r = 0, parent = 0, *kids = nullptr;
    unsigned nk = 0;
    Window found = 0;
    if (XQueryTree(d, w, &r, &parent, &kids, &nk)) {
        for (unsigned i = 0; i < nk && !found; ++i) found = clientOf(d, kids[i], wmState, depth + 1);
        if (kids) XFree(kids);
    }
    return found;
}

// Prints the screen rectangle of every viewable top-level window (frame
// included) whose client belongs to the process.
int frames(int pid) {
    Display* d = openDisplay();
    const Window root = DefaultRootWindow(d);
    Atom wmState = XInternAtom(d, "WM_STATE", False), netPid = XInternAtom(d, "_NET_WM_PID", False);
    Window r = 0, parent = 0, *kids = nullptr;
    unsigned nk = 0;
    if (!XQueryTree(d, root, &r, &parent, &kids, &nk)) return 1;
    for (unsigned i = 0; i < nk; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, kids[i], &a) || a.map_state != IsViewable || a.c_class != InputOutput) continue;
        const Window c = clientOf(d, kids[i], wmState);
        if (!c) continue;
        Atom type = None;
        int format = 0;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        long owner = -1;
        if (XGetWindowProperty(d, c, netPid, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) ==
                Success &&
            data) {
            if (n == 1) owner = *reinterpret_cast<long*>(data);
            XFree(data);
        }
        if (owner == pid)
            std::printf("%d %d %d %d\n", a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width);
    }
    if (kids) XFree(kids);
    XCloseDisplay(d);
    return 0;
}

// Runs a command and reports its wall time and its own CPU and peak memory.
int run(const std::vector<int>& pids, char** argv) {
    std::vector<double> cpu0;
    for (int pid : pids) cpu0.push_back(cpuMs(pid));
    const double t0 = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (child < 0 || wait4(child, &status, 0, &ru) < 0) return 1;
    const double wall = nowMs() - t0;
    const auto ms = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) * 1e3 + static_cast<double>(tv.tv_usec) / 1e3; };
    std::printf("wall_ms=%.1f cpu_ms=%.1f maxrss_kib=%ld status=%d", wall, ms(ru.ru_utime) + ms(ru.ru_stime),
                ru.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    for (std::size_t i = 0; i < pids.size(); ++i) std::printf(" cpu_ms_%d=%.0f", pids[i], cpuMs(pids[i]) - cpu0[i]);
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) usage();
    const std::string cmd = argv[1];
    Options o;
    int i = 2;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&]() -> std::string {
            if (i + 1 >= argc) usage();
            return argv[++i];
        };
        if (a == "--") {
            ++i;
            break;
        } else if (a == "--main") {
            o.main = static_cast<Window>(std::strtoul(next().c_str(), nullptr, 0));
        } else if (a == "--click") {
            o.clickX = std::atoi(next().c_str());
            o.clickY = std::atoi(next().c_str());
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--title") {
            o.title = next();
        } else if (a == "--still") {
            o.stillMs = std::atof(next().c_str());
        } else if (a == "--timeout") {
            o.timeoutS = std::atof(next().c_str());
        } else if (a == "--pids") {
            o.pids = parsePids(next());
        } else if (cmd == "frames") {
            return frames(std::atoi(a.c_str()));
        } else {
            usage();
        }
    }
    if (cmd == "capture" && o.main && o.clickX >= 0) return capture(o);
    if (cmd == "still") return still(o);
    if (cmd == "run" && i < argc) return run(o.pids, argv + i);
    usage();
}
