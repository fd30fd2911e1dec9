// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The few Xlib calls the desktop half needs, kept apart from every Qt header
// (Xlib's macros clash with Qt's names). The display is passed as void* so
// that callers need no X header either; all functions accept a null display
// and then report nothing.

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace vis::x11 {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The outer frame (title bar included) of the active window, in root
// coordinates and clipped to the screen: _NET_ACTIVE_WINDOW, or the input
// focus when the window manager publishes none, walked up to the root's
// child. Nothing when no real, mapped window is active.
std::optional<Rect> activeFrame(void* display);

// Grabs of the root window. Where the server is on this machine, its pixels
// come through one small band of memory shared with it (MIT-SHM), kept from
// grab to grab: setting a band up costs about as much as a whole-screen grab.
// Elsewhere they come by the connection. Goes before its display is closed.
class RootGrabber {
public:
    explicit RootGrabber(void* display);
    ~RootGrabber();
    RootGrabber(const RootGrabber&) = delete;
    RootGrabber& operator=(const RootGrabber&) = delete;

    // Copies a rectangle of the root window (root coordinates, device pixels)
    // into blue-green-red rows `stride` bytes apart, a band of rows at a time:
    // the server's 32-bit picture of the whole rectangle never exists here.
    // False when the rectangle leaves the screen or the server's pixels are
    // not true colour.
    bool grab(const Rect& r, unsigned char* dst, std::size_t stride);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// False where the root window's pixels cannot be read: rootless XWayland,
// whose root has no picture of the screen (a read is refused, and one
// through shared memory "succeeds" with black). Asked once, at start-up.
bool rootReadable(void* display);

// The root window's whole area: every monitor of the display.
Rect rootArea(void* display);

// One grab with a band of its own.
bool grabBgr24(void* display, const Rect& r, unsigned char* dst, std::size_t stride);

// True while the window, or the frame the window manager put round it, is
// still mapped on the screen. A window just hidden leaves the screen only
// once the window manager has unmapped its frame too.
bool onScreen(void* display, unsigned long window);

// Keycodes of the keys a Windows virtual-key code stands for (both Shift
// keys for VK_SHIFT, and so on); empty for codes this layer does not know.
std::vector<unsigned char> keycodesFor(void* display, int virtualKey);

// Which keys are down right now, whichever window has the focus: one
// round trip to the server.
using KeyMap = std::array<char, 32>;
KeyMap keyMap(void* display);
bool anyKeyDown(const KeyMap& map, const std::vector<unsigned char>& keycodes);

// The keys down anywhere on the display, however briefly: XInput 2 raw key
// events on a connection of its own, read when asked (no key is taken from
// other programs, and nothing wakes the program up in between). Without
// XInput 2 it reports nothing.
class KeyPresses {
public:
    explicit KeyPresses(void* display);
    ~KeyPresses();
    KeyPresses(const KeyPresses&) = delete;
    KeyPresses& operator=(const KeyPresses&) = delete;
    // Reads the keys down now and the presses and releases since the
    // previous read.
    void read();
    // True when one of these keys was down at some moment between the
    // previous read and the last one: down then, pressed or released in
    // between. A chord, all its keys down together for a moment, is thus
    // whole in one read however quickly it was typed.
    bool wasDown(const std::vector<unsigned char>& keycodes) const;
    bool working() const { return own_ != nullptr; }
    // The connection's descriptor, for a watcher that calls fetch() whenever
    // it is readable; read() then makes no system call at rest.
    int connection();
    void fetch();
    // Watched, nothing held, nothing down at the last read and nothing come
    // since: the next read can only tell something new once a key event
    // has come in.
    bool quiet() const;

private:
    // Reads this many queued events; true when a key moved.
    bool drain(int queued);

    void* own_ = nullptr;
    int opcode_ = 0;
    bool primed_ = false;
    bool watched_ = false;
    bool moved_ = false;  // keys moved in what fetch() took in since the last read
    std::array<bool, 256> down_{};
    std::array<bool, 256> held_{};        // now, as far as known
    std::array<bool, 256> heldBefore_{};  // at the last read
    std::array<bool, 256> pressed_{};     // since the last read
};

// True while a window manager still holds a window the program has hidden:
// it is still in the manager's frame, or still has a WM_STATE that is not
// Withdrawn. Mapped again before the manager has let it go, the window may
// be left unmapped for good while the toolkit takes it for shown.
bool heldByWindowManager(void* display, unsigned long window);

// True when the window itself and all its ancestors are mapped.
bool viewable(void* display, unsigned long window);

// Asks the window manager to keep a mapped window above the others, the
// desktop's panels included, or no longer to.
void keepAbove(void* display, unsigned long window, bool above);

// Waits until the server has handled every request sent so far (a window
// hidden before a grab is then really gone from the screen).
void sync(void* display);

// True when an X server accepts a connection at this display name (null:
// $DISPLAY). Asked before Qt starts, which aborts when it finds none.
bool serverAnswers(const char* displayName);

// The keysyms that make up a virtual key (exposed for tests).
std::vector<unsigned long> keysymsFor(int virtualKey);

}  // namespace vis::x11
