// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The seam between the program and the machine: one small interface per
// service the program relies on. The desktop half (src/desktop/) implements
// them for real, the test support implements them in memory.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/desktop_geometry.h"
#include "platform/view.h"

namespace vis {

class IScreen {
public:
    virtual ~IScreen() = default;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;
    virtual int twipsPerPixelX() const = 0;
    virtual int twipsPerPixelY() const = 0;
    // Width of a single-line caption in the given font (empty name / 0 size:
    // the default font), for labels that size themselves.
    virtual int textWidthTwips(const std::string& text, const std::string& fontName, double fontSize) const = 0;

    // Height left to windows by the desktop's panels.
    virtual int workAreaHeightPixels() const { return heightPixels(); }
    // Every monitor of the desktop. By default the one screen above, at
    // scale 1, the primary.
    virtual std::vector<Monitor> monitors() const {
        return {Monitor{{0, 0, widthPixels(), heightPixels()}, {0, 0, widthPixels(), workAreaHeightPixels()}, 1.0, true}};
    }

    // The screen (the primary monitor) in the layout's twips.
    int widthTwips() const { return widthPixels() * twipsPerPixelX(); }
    int heightTwips() const { return heightPixels() * twipsPerPixelY(); }
    DesktopGeometry geometry() const { return DesktopGeometry(monitors(), twipsPerPixelX()); }
};

class IClipboard {
public:
    virtual ~IClipboard() = default;
    virtual void clear() = 0;
    virtual bool hasBitmap() const = 0;
    virtual Bitmap bitmap() const = 0;
    virtual void setBitmap(const Bitmap& b) = 0;
};

// Why a grab left nothing on the clipboard.
enum class GrabFailure {
    Failed,      // this time: refused, too slow, nothing readable came back
    Cancelled,   // the user closed the desktop's own capture dialog
    Impossible,  // no grab can work on this desktop, now or later
};

// What the Print Screen key does: put a picture of the whole screen
// (typcapt 0) or of the active window (typcapt 1) on the clipboard. When the
// picture cannot be had, the clipboard is left as it is.
class IScreenGrabber {
public:
    virtual ~IScreenGrabber() = default;
    virtual void pressPrintScreen(int typcapt) = 0;
    // After a press that left nothing: why.
    virtual GrabFailure lastFailure() const { return GrabFailure::Failed; }
    // The active window is picked by the user in the desktop's own dialog:
    // asking twice in a row would show that dialog twice.
    virtual bool userPicksWindow() const { return false; }
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds on a clock that never jumps (no midnight wrap, no adjustment).
    virtual double monotonicSeconds() const = 0;
    virtual TimeOfDay timeOfDay() const = 0;
    // Today's date and the time now, in the system's short formats.
    virtual std::string shortDate() const = 0;
    virtual std::string shortTime() const = 0;
};

// The event loop and the window system as the program sees them.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    // The front end draws this window and fires its timers from now on.
    virtual void attach(Window& w) = 0;
    virtual void detach(Window& w) = 0;
    // Runs pending events (input, timers, repaints) and returns; windows are
    // brought in step with their view models first.
    virtual void processEvents() = 0;
    // Runs events as they arrive (input, timers, repaints) for this many
    // seconds of the monotonic clock, sleeping in between.
    virtual void wait(double seconds) = 0;
    // Shows the window modally and returns once it is hidden or unloaded.
    virtual void runModal(Window& w) = 0;
    // Opens one of the window's hidden menus at the mouse pointer; returns
    // when the menu closes (after the chosen entry's handler ran).
    virtual void popupMenu(Window& owner, MenuEntry& menu) = 0;
    // Ends the program with this exit code: windows leave the screen at
    // once, and no handler runs after the current one.
    virtual void exitProgram(int code) = 0;
};

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgResult { Ok, Cancel, Yes, No };

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // An empty title means the program's default title.
    virtual MsgResult show(const std::string& text, MsgButtons buttons, MsgIcon icon,
                           const std::string& title = {}) = 0;
};

class ISound {
public:
    virtual ~ISound() = default;
    // Starts playing a wave file and returns at once; fails silently.
    virtual void playWave(const std::string& path) = 0;
};

struct FileDialogRequest {
    std::string initialFolder;
    std::string fileName;
    std::string filter;  // "Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|"
    std::string title;
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> saveFile(const FileDialogRequest& r) = 0;
    virtual std::optional<std::string> openFile(const FileDialogRequest& r) = 0;
};

class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    // Starts a poll: where the keyboard can be read once for all the keys,
    // the questions that follow answer for this moment.
    virtual void beginPoll() {}
    // True when the key (a virtual-key code) is down now or has been down
    // since the previous poll (since the previous question about it, where
    // the keyboard is read key by key).
    virtual bool keyDown(int virtualKey) = 0;
};

// The icon in the desktop's notification area.
class INotifyIcon {
public:
    virtual ~INotifyIcon() = default;
    // Messages the icon hands back, numbered as Windows numbers them.
    static constexpr int kLeftDoubleClick = 515;
    static constexpr int kRightDown = 516;
    // Shows the icon (a null picture: the program's own icon) for the rest of
    // the run; its mouse messages go to onMessage.
    virtual void add(const Bitmap& icon, const std::string& tip, std::function<void(int message)> onMessage) = 0;
    virtual void remove() = 0;
    // The desktop has a notification area to show the icon in.
    virtual bool available() const = 0;
};

// The printer chosen in the printer dialog, drawn on as one page. Places and
// sizes are twips from the top left of the printable area, whatever the
// printer's own resolution.
class IPrinter {
public:
    virtual ~IPrinter() = default;
    // Shows the printer dialog; false when the user cancels it.
    virtual bool choosePrinter() = 0;
    // Where the next text line starts (its top left).
    virtual void setCurrentPosition(int xTwips, int yTwips) = 0;
    // One line in the printer's default font; false when it cannot be printed.
    virtual bool printLine(const std::string& text) = 0;
    // The whole picture stretched to the rectangle; false on failure.
    virtual bool paintPicture(const Bitmap& picture, int left, int top, int width, int height) = 0;
    // Sends the page to the printer; false when the document could not be made.
    virtual bool endDoc() = 0;
    // Drops the document under way: nothing is printed.
    virtual void killDoc() = 0;
};

// The user's mail program.
class IMailClient {
public:
    virtual ~IMailClient() = default;
    // Hands a mailto: URL to the desktop, which opens a new message with it;
    // false when nothing could take it.
    virtual bool openMailto(const std::string& url) = 0;
};

// The system's own program that shows what the machine is made of.
class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    // Finds it and starts it on its own; false when there is none or it
    // could not start.
    virtual bool start() = 0;
};

class IPaths {
public:
    virtual ~IPaths() = default;
    virtual std::string programFolder() const = 0;  // where the program's data files are
    virtual std::string configFolder() const = 0;   // the user's settings folder
    // The default save folder: the user's pictures folder, else the home folder.
    virtual std::string documentsFolder() const = 0;
    // False for an installed copy: its folders are never written, and the
    // settings live in the user's settings folder.
    virtual bool settingsBesideProgram() const { return true; }
    // Where captures the program had to drop unsaved wait for the next start.
    virtual std::string recoveryFolder() const = 0;
};

// Work that must not hold up the event loop (encoding and writing files).
class IBackgroundJobs {
public:
    virtual ~IBackgroundJobs() = default;
    // How many jobs run at the same time.
    virtual int workerCount() const = 0;
    // Runs `work` on a worker thread, then `done` on the event loop's thread
    // between two events, like any handler. `work` must not touch the view
    // models nor the program's state; what it makes goes to `done` through
    // what both hold. Jobs start in the order given.
    virtual void start(std::function<void()> work, std::function<void()> done) = 0;
};

// Everything the program half receives from the machine.
struct Platform {
    IScreen& screen;
    IClipboard& clipboard;
    IScreenGrabber& grabber;
    IClock& clock;
    IWindowSystem& windows;
    IMessageBoxes& messages;
    ISound& sound;
    IFileDialogs& dialogs;
    IKeyboard& keyboard;
    IPaths& paths;
    INotifyIcon& tray;
    IPrinter& printer;
    IMailClient& mail;
    ISystemInfo& systemInfo;
    IBackgroundJobs& jobs;
};

}  // namespace vis
