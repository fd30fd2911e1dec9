// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// View models: the windows and their elements as plain data, in twips.
// The program changes them in its handlers; a front end (the Qt desktop
// layer, or nothing at all in tests) draws them and calls the handlers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace vis {

enum class ControlKind { PictureBox, Image, Label, Shape, Line, TextBox, CheckBox, Slider, Button };
enum class WindowState { Normal, Minimized, Maximized };
enum class CursorKind { Default, Cross, Custom };

// Mouse buttons as a bit set, as the handlers receive them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// Position relative to the element that receives the event, in twips.
struct MouseEvent {
    int button = 0;
    int shift = 0;
    double x = 0;
    double y = 0;
};

// Classic 16-colour palette entries the program uses.
inline constexpr std::uint32_t kBlack = 0xFF000000u;
inline constexpr std::uint32_t kLightGrey = 0xFFC0C0C0u;

// Identity that is never reused, unlike an address: lets a front end tell a
// new element from a deleted one that happened to live at the same place.
std::uint64_t nextViewId();

struct Control {
    const std::uint64_t id = nextViewId();
    ControlKind kind = ControlKind::Label;
    std::string name;
    int index = -1;                // position in its element list, -1 when single
    Control* container = nullptr;  // drawn inside this element (positions relative to it)

    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    bool enabled = true;

    std::string caption;  // label, check box, button caption; text box text
    std::string tooltip;
    Bitmap picture;       // picture box: drawn 1:1 at the top left; image: stretched
    bool devicePixels = false;  // picture box: one picture pixel per device pixel, as the screen gave it
    int borderStyle = 0;  // 0 flat, 1 single line
    std::uint32_t borderColor = kBlack;
    std::uint32_t backColor = 0;  // 0 = the toolkit's default
    std::uint32_t foreColor = 0;  // 0 = the toolkit's default
    CursorKind cursor = CursorKind::Default;
    Bitmap cursorPicture;  // CursorKind::Custom
    int hotSpotX = 0, hotSpotY = 0;

    int value = 0, min = 0, max = 10;  // slider position; check box state (0, 1, 2)
    int maxLength = 0;                 // text box: 0 = no limit (characters, not bytes)
    bool autoSize = false;             // label drawn at its caption's size (the model keeps its own width)
    bool wordWrap = false;             // with autoSize: wrap at the width, grow downwards
    std::string fontName;
    double fontSize = 0;  // points; 0 = default

    int x2 = 0, y2 = 0;  // line: end point (start is left, top)

    std::function<void(const MouseEvent&)> onMouseDown;
    std::function<void(const MouseEvent&)> onMouseMove;
    std::function<void(const MouseEvent&)> onMouseUp;
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void()> onChange;  // text edited, slider moved, box ticked

    Control& setBounds(int l, int t, int w, int h) {
        left = l;
        top = t;
        width = w;
        height = h;
        return *this;
    }
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

struct MenuEntry {
    const std::uint64_t id = nextViewId();
    std::string name;
    std::string caption;   // '&' marks the mnemonic
    std::string shortcut;  // "Ctrl+E", or keys that do the same: "Ctrl+E; Ctrl+S"
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    std::vector<std::unique_ptr<MenuEntry>> children;
    std::function<void()> onClick;
    std::function<void()> onDropDown;  // run when the user opens this menu

    MenuEntry& add(const std::string& entryName, const std::string& entryCaption = {});
    MenuEntry* find(const std::string& entryName);
};

struct Timer {
    const std::uint64_t id = nextViewId();
    std::string name;
    int interval = 0;  // milliseconds; 0 never fires
    bool enabled = false;
    std::function<void()> onTick;
    // Set by a tick's handler that left every window as it was: the front
    // end then has nothing to bring in step (a poll at rest costs no redraw).
    bool changedNothing = false;
    // Set with it by a poll of the keyboard that has nothing left to do until
    // a key moves: a front end that sees the keys move may stop the ticks
    // until then.
    bool idleUntilKey = false;
};

// Why a window is being closed.
// SessionEndUnattended: the session ends and no question may be asked.
enum class UnloadMode { User = 0, Code = 1, SessionEnd = 2, TaskManager = 3, Owner = 5, SessionEndUnattended = 6 };

class Window {
public:
    explicit Window(std::string windowName) : name(std::move(windowName)) {}
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    std::string name;
    bool loaded = false;
    bool visible = false;
    WindowState state = WindowState::Normal;
    // Outer bounds in the normal state; kept while minimised or maximised.
    int left = 0, top = 0, width = 0, height = 0;
    std::string caption;
    Bitmap icon;
    bool dialog = false;       // fixed frame, no minimise box
    bool frameless = false;    // no frame and no title bar at all
    // While maximised, shown without a frame over every monitor (the frozen
    // screen) instead of filling one.
    bool overDesktop = false;
    bool ownedByMain = false;  // stays above the main window
    bool showInTaskbar = true;
    bool modal = false;  // set by the front end while shown modally
    // Set anew (from the view id sequence, so later requests compare higher
    // across windows) whenever the program asks for the window to come to
    // the front; the front end raises and activates it then.
    std::uint64_t raiseRequest = 0;

    std::vector<std::unique_ptr<Control>> controls;
    std::vector<std::unique_ptr<MenuEntry>> menus;  // the menu bar; hidden ones serve as pop-ups
    std::vector<std::unique_ptr<Timer>> timers;

    std::function<void()> onActivate;
    std::function<void()> onGotFocus;
    std::function<void()> onResize;
    std::function<void(bool& cancel, UnloadMode mode)> onQueryUnload;
    std::function<void()> onUnload;
    std::function<void(int keyCode, int shift)> onKeyDown;
    std::function<void(const MouseEvent&)> onMouseMove;  // on the window's own surface

    Control& addControl(ControlKind kind, const std::string& controlName, int index = -1);
    void removeControl(const Control* c);
    Control* find(const std::string& controlName, int index = -1);
    MenuEntry& addMenu(const std::string& menuName, const std::string& menuCaption = {});
    MenuEntry* findMenu(const std::string& menuName);  // searches the whole tree
    Timer& addTimer(const std::string& timerName, int interval, bool enabled);

    // Drops every element, menu and timer; the load handler builds them again.
    void clear();

    // Asks the front end to put the keyboard focus in one of the elements.
    Control* focusControl = nullptr;
    std::uint64_t focusRequest = 0;
    void setFocus(Control& c) {
        focusControl = &c;
        focusRequest = nextViewId();
    }

    void show() {
        visible = true;
        raiseRequest = nextViewId();
    }
    void hide() { visible = false; }
};

}  // namespace vis
