// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/x11.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__linux__) || defined(__FreeBSD__)
#define VIS_HAVE_X11 1
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <X11/keysym.h>

#include "desktop/x11_trap.h"
#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define VIS_X86_SHUFFLE 1
#endif
#endif

namespace vis::x11 {

std::vector<unsigned long> keysymsFor(int vk) {
#ifdef VIS_HAVE_X11
    if (vk >= 112 && vk <= 123) return {static_cast<unsigned long>(XK_F1 + (vk - 112))};
    if (vk >= '0' && vk <= '9') return {static_cast<unsigned long>(XK_0 + (vk - '0'))};
    if (vk >= 'A' && vk <= 'Z') return {static_cast<unsigned long>(XK_a + (vk - 'A'))};
    switch (vk) {
        case 8:
            return {XK_BackSpace};
        case 9:
            return {XK_Tab};
        case 13:
            return {XK_Return, XK_KP_Enter};
        case 16:
            return {XK_Shift_L, XK_Shift_R};
        case 17:
            return {XK_Control_L, XK_Control_R};
        case 18:
            return {XK_Alt_L, XK_Alt_R};
        case 27:
            return {XK_Escape};
        case 32:
            return {XK_space};
        case 44:
            return {XK_Print};
        default:
            return {};
    }
#else
    (void)vk;
    return {};
#endif
}

#ifdef VIS_HAVE_X11
namespace {

::Window activeClient(Display* d, ::Window root) {
    Atom prop = XInternAtom(d, "_NET_ACTIVE_WINDOW", True);
    if (prop != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, root, prop, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
                Success &&
            data) {
            ::Window w = None;
            if (type == XA_WINDOW && format == 32 && count == 1) w = *reinterpret_cast<::Window*>(data);
            XFree(data);
            if (w != None) return w;
        }
    }
    ::Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus;
}

}  // namespace
#endif

std::optional<Rect> activeFrame(void* display) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d) return std::nullopt;
    ErrorTrap trap(d);
    const ::Window root = DefaultRootWindow(d);
    ::Window w = activeClient(d, root);
    if (w == None || w == PointerRoot || w == root) return std::nullopt;

    // The window manager reparents clients into frames: the root's child
    // that holds the client is what the user sees as the window.
    for (int depth = 0; depth < 64; ++depth) {
        ::Window r = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &r, &parent, &children, &count)) return std::nullopt;
        if (children) XFree(children);
        if (parent == root || parent == None) break;
        w = parent;
    }
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || trap.failed()) return std::nullopt;
    if (a.map_state != IsViewable) return std::nullopt;

    XWindowAttributes ra{};
    if (!XGetWindowAttributes(d, root, &ra)) return std::nullopt;
    // x and y are the frame's outer corner relative to the root, its parent.
    int x0 = a.x, y0 = a.y;
    int x1 = a.x + a.width + 2 * a.border_width, y1 = a.y + a.height + 2 * a.border_width;
    x0 = x0 < 0 ? 0 : x0;
    y0 = y0 < 0 ? 0 : y0;
    x1 = x1 > ra.width ? ra.width : x1;
    y1 = y1 > ra.height ? ra.height : y1;
    if (x1 <= x0 || y1 <= y0) return std::nullopt;
    return Rect{x0, y0, x1 - x0, y1 - y0};
#else
    (void)display;
    return std::nullopt;
#endif
}

#ifdef VIS_HAVE_X11
namespace {

// A colour channel described by its mask, brought to 0..255.
struct Channel {
    unsigned long mask = 0;
    int shift = 0;
    unsigned long max = 0;
    explicit Channel(unsigned long m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    unsigned char of(unsigned long pixel) const {
        return static_cast<unsigned char>(((pixel & mask) >> shift) * 255 / max);
    }
};

// One row of blue-green-red-pad pixels to blue-green-red, `n` pixels.
void packRow(const unsigned char* in, unsigned char* out, int n) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four pixels in three words, rather than byte by byte.
        for (; x + 4 <= n; x += 4, in += 16, out += 12) {
            std::uint32_t p[4], w[3];
            std::memcpy(p, in, sizeof p);
            w[0] = (p[0] & 0xFFFFFFu) | (p[1] << 24);
            w[1] = ((p[1] >> 8) & 0xFFFFu) | (p[2] << 16);
            w[2] = ((p[2] >> 16) & 0xFFu) | (p[3] << 8);
            std::memcpy(out, w, sizeof w);
        }
    }
    for (; x < n; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
}

#ifdef VIS_X86_SHUFFLE
// The same with one byte shuffle per four pixels, where the processor has it
// (nearly all do; the build targets those that may not). Each 16-byte store
// runs 4 bytes ahead, overwritten by the next, so the last pixels of the row
// are left to the plain loop.
__attribute__((target("ssse3"))) void packRowShuffle(const unsigned char* in, unsigned char* out, int n) {
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 6 <= n; x += 4, in += 16, out += 12) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(p, order));
    }
    packRow(in, out, n - x);
}
#endif

using PackRow = void (*)(const unsigned char*, unsigned char*, int);
PackRow bestPackRow() {
#ifdef VIS_X86_SHUFFLE
    if (__builtin_cpu_supports("ssse3")) return packRowShuffle;
#endif
    return packRow;
}

bool copyBand(XImage* im, unsigned char* dst, std::size_t stride) {
    const Channel r(im->red_mask), g(im->green_mask), b(im->blue_mask);
    if (!r.max || !g.max || !b.max) return false;
    // The usual case, blue-green-red-pad bytes, without a call per pixel.
    const bool bgrx = im->bits_per_pixel == 32 && im->byte_order == LSBFirst && im->red_mask == 0xFF0000 &&
                      im->green_mask == 0xFF00 && im->blue_mask == 0xFF;
    static const PackRow pack = bestPackRow();
    for (int y = 0; y < im->height; ++y) {
        unsigned char* out = dst + static_cast<std::size_t>(y) * stride;
        if (bgrx) {
            pack(reinterpret_cast<const unsigned char*>(im->data) +
                     static_cast<std::size_t>(y) * static_cast<std::size_t>(im->bytes_per_line),
                 out, im->width);
            continue;
        }
        for (int x = 0; x < im->width; ++x, out += 3) {
            const unsigned long p = XGetPixel(im, x, y);
            out[0] = b.of(p);
            out[1] = g.of(p);
            out[2] = r.of(p);
        }
    }
    return true;
}

// A band of memory shared with the server, where the server is on this
// machine and allows it; else no memory, and the pixels come by the
// connection. Made under an ErrorTrap.
struct SharedBand {
    // Small enough to be kept for good; at 1080p a grab takes 16 bands.
    static constexpr std::size_t kBytes = std::size_t{1} << 19;
    Display* d;
    XShmSegmentInfo info{};
    bool attached = false;

    explicit SharedBand(Display* display) : d(display) {
        info.shmid = -1;
        info.shmaddr = reinterpret_cast<char*>(-1);
        if (!XShmQueryExtension(d)) return;
        info.shmid = shmget(IPC_PRIVATE, kBytes, IPC_CREAT | 0600);
        if (info.shmid < 0) return;
        info.shmaddr = static_cast<char*>(shmat(info.shmid, nullptr, 0));
        // Gone with the last detach, even if we end abruptly.
        shmctl(info.shmid, IPC_RMID, nullptr);
        if (info.shmaddr == reinterpret_cast<char*>(-1)) return;
        info.readOnly = False;
        // An attach the server refuses (another machine's) shows as an error
        // once it has answered; it is forgiven, the connection serving instead.
        const int errors = g_errors;
        const bool ok = XShmAttach(d, &info);
        XSync(d, False);
        const bool refused = g_errors != errors;
        g_errors = errors;
        if (!ok || refused) {
            shmdt(info.shmaddr);
            info.shmaddr = reinterpret_cast<char*>(-1);
            return;
        }
        attached = true;
    }
    ~SharedBand() {
        if (attached) {
            XShmDetach(d, &info);
            XSync(d, False);
        }
        if (info.shmaddr != reinterpret_cast<char*>(-1)) shmdt(info.shmaddr);
    }
    SharedBand(const SharedBand&) = delete;
    SharedBand& operator=(const SharedBand&) = delete;

    // An image over the band, as many rows of `width` as it holds; null when
    // not even one row fits.
    XImage* image(int width) {
        if (!attached) return nullptr;
        const int screen = DefaultScreen(d);
        XImage* im = XShmCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(DefaultDepth(d, screen)),
                                     ZPixmap, info.shmaddr, &info, static_cast<unsigned>(width), 1);
        if (!im) return nullptr;
        const auto perRow = static_cast<std::size_t>(im->bytes_per_line);
        if (perRow == 0 || perRow > kBytes) {
            im->data = nullptr;
            XDestroyImage(im);
            return nullptr;
        }
        im->height = static_cast<int>(kBytes / perRow);
        return im;
    }
};

}  // namespace
#endif

struct RootGrabber::Impl {
#ifdef VIS_HAVE_X11
    Display* d = nullptr;
    std::unique_ptr<SharedBand> band;
    bool tried = false;
#endif
};

RootGrabber::RootGrabber(void* display) : d_(std::make_unique<Impl>()) {
#ifdef VIS_HAVE_X11
    d_->d = static_cast<Display*>(display);
#else
    (void)display;
#endif
}

RootGrabber::~RootGrabber() {
#ifdef VIS_HAVE_X11
    if (d_->band) {
        ErrorTrap trap(d_->d);
        d_->band.reset();
    }
#endif
}

bool RootGrabber::grab(const Rect& r, unsigned char* dst, std::size_t stride) {
#ifdef VIS_HAVE_X11
    Display* d = d_->d;
    if (!d || !dst || r.width <= 0 || r.height <= 0 || stride < static_cast<std::size_t>(r.width) * 3) return false;
    ErrorTrap trap(d);
    const ::Window root = DefaultRootWindow(d);
    XWindowAttributes ra{};
    if (!XGetWindowAttributes(d, root, &ra)) return false;
    if (r.x < 0 || r.y < 0 || r.x + r.width > ra.width || r.y + r.height > ra.height) return false;
    if (!d_->tried) {
        d_->tried = true;
        d_->band = std::make_unique<SharedBand>(d);
    }
    if (XImage* im = d_->band->image(r.width)) {
        // The server writes the pixels straight into our memory instead of
        // into the connection.
        const int rows = im->height;
        bool ok = true;
        for (int y0 = 0; y0 < r.height && ok; y0 += rows) {
            im->height = std::min(rows, r.height - y0);
            ok = XShmGetImage(d, root, im, r.x, r.y + y0, AllPlanes) &&
                 copyBand(im, dst + static_cast<std::size_t>(y0) * stride, stride);
        }
        im->data = nullptr;
        XDestroyImage(im);
        return ok && !trap.failed();
    }
    // Bands of about 2 MiB in the server's layout: few round trips, little memory.
    const int band = std::max(1, (1 << 21) / (r.width * 4));
    for (int y0 = 0; y0 < r.height; y0 += band) {
        const int n = std::min(band, r.height - y0);
        XImage* im = XGetImage(d, root, r.x, r.y + y0, static_cast<unsigned>(r.width), static_cast<unsigned>(n),
                               AllPlanes, ZPixmap);
        if (!im) return false;
        const bool ok = copyBand(im, dst + static_cast<std::size_t>(y0) * stride, stride);
        XDestroyImage(im);
        if (!ok) return false;
    }
    return !trap.failed();
#else
    (void)r, (void)dst, (void)stride;
    return false;
#endif
}

bool rootReadable(void* display) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d) return false;
    ErrorTrap trap(d);
    XImage* im = XGetImage(d, DefaultRootWindow(d), 0, 0, 1, 1, AllPlanes, ZPixmap);
    if (im) XDestroyImage(im);
    return im && !trap.failed();
#else
    (void)display;
    return false;
#endif
}

bool grabBgr24(void* display, const Rect& r, unsigned char* dst, std::size_t stride) {
    return RootGrabber(display).grab(r, dst, stride);
}

bool onScreen(void* display, unsigned long window) {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d || window == 0) return false;
    ErrorTrap trap(d);
    const ::Window root = DefaultRootWindow(d);
    ::Window w = window;
    // Up to the root's child: the frame, or the window itself without one.
    for (int depth = 0; depth < 64; ++depth) {
        ::Window r = None, parent = None, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &r, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root || parent == None) break;
        w = parent;
    }
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || trap.failed()) return false;
    return a.map_state == IsViewable;
#else
    (void)display;
    (void)window;
    return false;
#endif
}

std::vector<unsigned char> keycodesFor(void* display, int virtualKey) {
    std::vector<unsigned char> out;
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(display);
    if (!d) return out;
    for (unsigned long sym : keysymsFor(virtualKey)) {
        const KeyCode code = XKeysymToKeycode(d, sym);
        if (code != 0) out.push_back(code);
    }
#else
    (void)display;
    (void)virtualKey;
#endif
    return out;
}

void sync(void* display) {
#ifdef VIS_HAVE_X11
    if (display) XSync(static_cast<Display*>(display), False);
#else
    (void)display;
#endif
}

KeyMap keyMap(void* display) {
    KeyMap map{};
#ifdef VIS_HAVE_X11
    if (auto* d = static_cast<Display*>(display)) XQueryKeymap(d, map.data());
#else
    (void)display;
#endif
    return map;
}

bool anyKeyDown(const KeyMap& map, const std::vector<unsigned char>& keycodes) {
    for (unsigned char code : keycodes)
        if (map[code >> 3] & (1 << (code & 7))) return true;
    return false;
}

KeyPresses::KeyPresses(void* display) {
#ifdef VIS_HAVE_X11
    if (!display) return;
    Display* own = XOpenDisplay(DisplayString(static_cast<Display*>(display)));
    if (!own) return;
    int event = 0, error = 0, major = 2, minor = 2;
    if (!XQueryExtension(own, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(own, &major, &minor) != Success) {
        XCloseDisplay(own);
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(own, DefaultRootWindow(own), &mask, 1);
    XFlush(own);
    own_ = own;
#else
    (void)display;
#endif
}

KeyPresses::~KeyPresses() {
#ifdef VIS_HAVE_X11
    if (own_) XCloseDisplay(static_cast<Display*>(own_));
#endif
}

void KeyPresses::read() {
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(own_);
    if (!d) return;
    // What has arrived already, without asking the server: at rest the poll
    // costs no round trip and no second wake-up. Watched (fetch), the events
    // have been taken in as they came: not even a read of the connection.
    bool confirm = drain(XEventsQueued(d, watched_ ? QueuedAlready : QueuedAfterReading)) || moved_ || !primed_;
    moved_ = false;
    for (bool h : held_) confirm = confirm || h;
    if (confirm) {
        // Keys moved or still held: the server's keymap settles what events
        // cannot tell (a release another client's grab kept from us). Its
        // reply comes after every event sent before it, drained in order.
        char keys[32] = {};
        XQueryKeymap(d, keys);
        for (std::size_t k = 0; k < held_.size(); ++k) held_[k] = (keys[k >> 3] & (1 << (k & 7))) != 0;
        for (std::size_t k = 0; k < held_.size(); ++k) pressed_[k] = pressed_[k] || held_[k];
        drain(XPending(d));
        primed_ = true;
    }
    // Down at some moment since the previous read: held then, pressed in
    // between, or held now.
    for (std::size_t k = 0; k < down_.size(); ++k) down_[k] = heldBefore_[k] || pressed_[k] || held_[k];
    pressed_ = {};
    heldBefore_ = held_;
#endif
}

int KeyPresses::connection() {
#ifdef VIS_HAVE_X11
    if (!own_) return -1;
    watched_ = true;
    return ConnectionNumber(static_cast<Display*>(own_));
#else
    return -1;
#endif
}

void KeyPresses::fetch() {
#ifdef VIS_HAVE_X11
    // Taken out of the queue at once: with events left in it Xlib would not
    // read the connection, which would then stay readable.
    if (own_ && drain(XEventsQueued(static_cast<Display*>(own_), QueuedAfterReading))) moved_ = true;
#endif
}

bool KeyPresses::drain(int queued) {
    bool any = false;
#ifdef VIS_HAVE_X11
    auto* d = static_cast<Display*>(own_);
    for (; queued > 0; --queued) {
        XEvent ev;
        XNextEvent(d, &ev);
        XGenericEventCookie* cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ || !XGetEventData(d, cookie)) continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (raw->detail >= 0 && raw->detail < 256) {
            const auto k = static_cast<std::size_t>(raw->detail);
            if (cookie->evtype == XI_RawKeyPress) {
                held_[k] = pressed_[k] = true;
                any = true;
            } else if (cookie->evtype == XI_RawKeyRelease) {
                held_[k] = false;
                any = true;
            }
        }
        XFreeEventData(d, cookie);
    }
#else
    (void)queued;
#endif
    return any;
}

bool KeyPresses::quiet() const {
#ifdef VIS_HAVE_X11
    if (!own_ || !watched_ || !primed_ || moved_ || XEventsQueued(static_cast<Display*>(own_), QueuedAlready) > 0)
        return false;
    // The last read answered that nothing was down: the next one would
    // answer the same (a key released just before it still answers down).
    for (std::size_t k = 0; k < held_.size(); ++k)
        if (held_[k] || pressed_[k] || down_[k]) return false;
    return true;
#else
    return false;
#endif
}

bool KeyPresses::wasDown(const std::vector<unsigned char>& keycodes) const {
    for (unsigned char k : keycodes)
        if (down_[k]) return true;
    return false;
}

bool serverAnswers(const char* displayName) {
#ifdef VIS_HAVE_X11
    Display* d = XOpenDisplay(displayName);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
#else
    (void)displayName;
    return false;
#endif
}

}  // namespace vis::x11
