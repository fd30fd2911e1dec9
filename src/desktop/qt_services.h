// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The platform services on the real machine, through Qt (and Xlib or Win32
// where Qt has no word for it). A QApplication must exist before any of them
// is built.

#include <functional>
#include <array>
#include <map>
#include <set>
#include <memory>
#include <vector>

#include "platform/services.h"

class QSocketNotifier;
class QWidget;

namespace vis {

class QtScreen final : public IScreen {
public:
    QtScreen();
    int widthPixels() const override;
    int heightPixels() const override;
    int workAreaHeightPixels() const override;
    int twipsPerPixelX() const override { return tppX_; }
    int twipsPerPixelY() const override { return tppY_; }
    int textWidthTwips(const std::string& text, const std::string& fontName, double fontSize) const override;
    std::vector<Monitor> monitors() const override;

private:
    int tppX_ = 15, tppY_ = 15;
};

class QtClipboard final : public IClipboard {
public:
    void clear() override;
    bool hasBitmap() const override;
    Bitmap bitmap() const override;
    void setBitmap(const Bitmap& b) override;
};

// On X11 the picture is grabbed from the root window (the active window's
// frame for typcapt 1); on Windows the Print Screen key is simulated, with a
// GDI copy of the screen when the key leaves nothing. Either way the picture
// ends on the clipboard, as the key would leave it.
namespace x11 {
class RootGrabber;
}

class QtGrabber final : public IScreenGrabber {
public:
    QtGrabber();
    ~QtGrabber() override;
    void pressPrintScreen(int typcapt) override;

private:
    std::unique_ptr<x11::RootGrabber> root_;  // X11: made at the first grab
};

class QtClock final : public IClock {
public:
    QtClock();
    ~QtClock() override;
    double monotonicSeconds() const override;
    TimeOfDay timeOfDay() const override;
    std::string shortDate() const override;
    std::string shortTime() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Runs before a blocking dialog opens, so that the windows behind it show
// what the program last set (the renderer's sync).
// Called before a dialog's own loop; what it returns lives as long as the dialog.
using BeforeBlocking = std::function<std::shared_ptr<void>()>;

// A dialog owned by no window of the program, kept above the active window
// and centred on it.
void keepAboveActiveWindow(QWidget& dialog);

class QtMessageBoxes final : public IMessageBoxes {
public:
    explicit QtMessageBoxes(BeforeBlocking before = {}) : before_(std::move(before)) {}
    MsgResult show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override;

private:
    BeforeBlocking before_;
};

// libcanberra on Linux, PlaySound on Windows.
class QtSound final : public ISound {
public:
    QtSound();
    ~QtSound() override;
    void playWave(const std::string& path) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

class QtFileDialogs final : public IFileDialogs {
public:
    explicit QtFileDialogs(BeforeBlocking before = {}) : before_(std::move(before)) {}
    std::optional<std::string> saveFile(const FileDialogRequest& r) override;
    std::optional<std::string> openFile(const FileDialogRequest& r) override;

private:
    BeforeBlocking before_;
};

// "Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|" -> "Images JPG (*.jpg);;Images (*.bmp)".
std::string qtNameFilters(const std::string& programFilter);
// The extension of the first pattern of a Qt name filter ("Images (*.bmp *.dib)" -> "bmp"), or "".
std::string firstExtension(const std::string& qtFilter);

namespace x11 {
class KeyPresses;
}  // namespace x11

// X11: read once a poll, XQueryKeymap for the keys down now and XInput 2 raw
// events for the keys down since the previous poll, whatever window has the
// focus. Windows: GetAsyncKeyState.
class QtKeyboard final : public IKeyboard {
public:
    QtKeyboard();
    ~QtKeyboard() override;
    void beginPoll() override;
    bool keyDown(int virtualKey) override;
    // Where key events come in as they happen and no key is down: keeps
    // wake, to be called once the next one comes, and says yes.
    bool restUntilKeyMoves(std::function<void()> wake);

private:
    std::function<void()> wake_;
    std::map<int, std::vector<unsigned char>> keycodes_;
    std::unique_ptr<x11::KeyPresses> presses_;
    std::unique_ptr<QSocketNotifier> watcher_;  // declared after presses_: goes first
    // Looked up once: asking Qt for it each key of each poll costs more
    // than the poll itself.
    void* display();
    void* display_ = nullptr;
    bool displayKnown_ = false;
};

class QtPaths final : public IPaths {
public:
    std::string programFolder() const override;
    std::string configFolder() const override;
    std::string documentsFolder() const override;
    bool settingsBesideProgram() const override;
    std::string recoveryFolder() const override;
};

// Qt's screens as monitors in device pixels.
std::vector<Monitor> qtMonitors();

// Qt's Xlib display when the program runs on X11 (xcb), else null.
void* x11Display();

}  // namespace vis
