// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A deterministic platform for the program half: virtual clock, synthetic
// screen, clipboard in memory, scripted answers. The program runs on it
// unchanged.

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/services.h"

namespace vis::sim {

// Every pixel of the synthetic screen encodes its own coordinates, so a test
// can tell exactly which part of the screen a picture came from.
std::uint32_t screenPixel(int x, int y);
Bitmap syntheticScreen(int width, int height);
// The same pixels in the 32-bit form.
Bitmap thirtyTwoBits(const Bitmap& b);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

class SimScreen : public IScreen {
public:
    int wPx = 1024, hPx = 768, tpp = 15;
    int widthPixels() const override { return wPx; }
    int heightPixels() const override { return hPx; }
    int twipsPerPixelX() const override { return tpp; }
    int twipsPerPixelY() const override { return tpp; }
    // 6 pixels a character: predictable layouts in tests.
    int textWidthTwips(const std::string& text, const std::string& fontName, double fontSize) const override;
    int charPixels = 6;
    // Several monitors, or another density; empty: the one screen above.
    std::vector<Monitor> mons;
    std::vector<Monitor> monitors() const override { return mons.empty() ? IScreen::monitors() : mons; }
};

class SimClock : public IClock {
public:
    double now = 1000.0;
    TimeOfDay time{9, 5, 3};
    std::string date = "17/05/2024";
    double monotonicSeconds() const override { return now; }
    TimeOfDay timeOfDay() const override { return time; }
    std::string shortDate() const override { return date; }
    std::string shortTime() const override;
};

class SimPlatform;

class SimClipboard : public IClipboard {
public:
    explicit SimClipboard(SimPlatform& p) : p_(p) {}
    void clear() override;
    bool hasBitmap() const override { return !content.isNull(); }
    Bitmap bitmap() const override { return content; }
    void setBitmap(const Bitmap& b) override;
    Bitmap content;

private:
    SimPlatform& p_;
};

struct GrabRecord {
    int typcapt = 0;
    double time = 0;
    std::set<std::string> visibleWindows;  // program windows on screen at the key press
};

class SimGrabber : public IScreenGrabber {
public:
    explicit SimGrabber(SimPlatform& p) : p_(p) {}
    void pressPrintScreen(int typcapt) override;
    bool failing = false;  // the key leaves nothing on the clipboard
    bool outOfMemory = false;  // the grab throws std::bad_alloc
    GrabFailure failure = GrabFailure::Failed;  // and says this of it
    bool picksWindow = false;
    GrabFailure lastFailure() const override { return failure; }
    bool userPicksWindow() const override { return picksWindow; }
    Rect activeWindow{100, 50, 300, 200};
    std::vector<GrabRecord> grabs;

private:
    SimPlatform& p_;
};

class SimWindowSystem : public IWindowSystem {
public:
    explicit SimWindowSystem(SimPlatform& p) : p_(p) {}
    void attach(Window& w) override;
    void detach(Window& w) override;
    void processEvents() override;
    void wait(double seconds) override;
    void runModal(Window& w) override;
    void popupMenu(Window& owner, MenuEntry& menu) override;
    void exitProgram(int code) override;

    // Moves the virtual clock forward, firing every timer that falls due on
    // the way, in time order.
    void advance(double seconds);
    // Fires one timer now, as the event loop would.
    void fire(Timer& t);

    double eventStep = 0.01;  // each processEvents advances the clock this much
    int processEventsCalls = 0;
    std::function<void(Window&)> modalScript;              // plays the user inside a modal window
    std::function<void(Window&, MenuEntry&)> popupScript;  // plays the user inside a pop-up menu
    std::vector<std::string> modalShown;
    std::vector<std::string> popupsShown;
    std::optional<int> exitCode;
    std::vector<Window*> attached;
    // Activation as a window manager gives it: the window most recently
    // brought to the front is activated when events are next processed.
    bool emulateActivation = true;
    Window* active = nullptr;
    void activatePending();

private:
    void fireDue(double until);
    std::uint64_t lastRaise_ = 0;
    SimPlatform& p_;
    std::map<Timer*, double> due_;
    std::set<Timer*> running_;
};

struct MessageRecord {
    std::string text;
    MsgButtons buttons;
    MsgIcon icon;
    std::string title;
};

class SimMessages : public IMessageBoxes {
public:
    explicit SimMessages(SimPlatform& p) : p_(p) {}
    MsgResult show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override;
    std::deque<MsgResult> answers;  // when empty: the first button
    std::vector<MessageRecord> shown;
    std::function<void(const MessageRecord&)> onShow;

private:
    SimPlatform& p_;
};

class SimSound : public ISound {
public:
    void playWave(const std::string& path) override { played.push_back(path); }
    std::vector<std::string> played;
};

class SimDialogs : public IFileDialogs {
public:
    std::optional<std::string> saveFile(const FileDialogRequest& r) override;
    std::optional<std::string> openFile(const FileDialogRequest& r) override;
    std::deque<std::optional<std::string>> saveAnswers;  // when empty: cancelled
    std::deque<std::optional<std::string>> openAnswers;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FileDialogRequest> openRequests;
};

class SimKeyboard : public IKeyboard {
public:
    bool keyDown(int virtualKey) override { return down.count(virtualKey) != 0 || tapped.erase(virtualKey) != 0; }
    std::set<int> down;    // held
    std::set<int> tapped;  // pressed and released since the key was last asked about
};

class SimTray : public INotifyIcon {
public:
    void add(const Bitmap&, const std::string& t, std::function<void(int)> handler) override {
        shown = true;
        tip = t;
        onMessage = std::move(handler);
    }
    void remove() override { shown = false; }
    bool available() const override { return hasArea; }
    // What the user does to the icon.
    void send(int message) {
        if (shown && onMessage) onMessage(message);
    }
    bool hasArea = true;
    bool shown = false;
    std::string tip;
    std::function<void(int)> onMessage;
};

// One thing drawn on the page, in twips.
struct PrintedItem {
    enum Kind { Text, Picture } kind = Text;
    int x = 0, y = 0, width = 0, height = 0;
    std::string text;
    Bitmap picture;
};

class SimPrinter : public IPrinter {
public:
    explicit SimPrinter(SimPlatform& p) : p_(p) {}
    bool choosePrinter() override;
    void setCurrentPosition(int x, int y) override {
        currentX = x;
        currentY = y;
    }
    bool printLine(const std::string& text) override;
    bool paintPicture(const Bitmap& picture, int left, int top, int width, int height) override;
    bool endDoc() override;
    void killDoc() override;

    bool cancelDialog = false;  // the user cancels the printer dialog
    bool failing = false;       // every drawing step fails
    int dialogsShown = 0;
    int killed = 0;
    int currentX = 0, currentY = 0;
    std::vector<PrintedItem> page;               // the document under way
    std::vector<std::vector<PrintedItem>> sent;  // the pages that reached the printer

private:
    SimPlatform& p_;
};

class SimMail : public IMailClient {
public:
    bool openMailto(const std::string& url) override {
        urls.push_back(url);
        return available;
    }
    bool available = true;
    std::vector<std::string> urls;
};

class SimSystemInfo : public ISystemInfo {
public:
    bool start() override {
        ++starts;
        return available;
    }
    bool available = true;
    int starts = 0;
};

class SimPaths : public IPaths {
public:
    std::string program, config, documents, recovery;
    std::string programFolder() const override { return program; }
    std::string configFolder() const override { return config; }
    std::string documentsFolder() const override { return documents; }
    bool settingsBesideProgram() const override { return !installed; }
    bool installed = false;
    std::string recoveryFolder() const override { return recovery; }
};

// Jobs run on the test's own thread: at once (the default), or held until
// the test runs them, in any order, to play what happens meanwhile.
class SimJobs : public IBackgroundJobs {
public:
    int workerCount() const override { return workers; }
    void start(std::function<void()> work, std::function<void()> done) override;
    // Runs the work and then the completion of the job started index-th
    // among those still waiting (0: the oldest). False when there is none.
    bool run(std::size_t index = 0);
    void runAll() {
        while (run()) {
        }
    }
    std::size_t waiting() const { return held_.size(); }

    int workers = 2;
    bool hold = false;
    std::size_t started = 0;
    std::size_t mostWaiting = 0;  // the most jobs started and not yet finished at once

private:
    struct Job {
        std::function<void()> work, done;
    };
    std::deque<Job> held_;
};

class SimPlatform {
public:
    explicit SimPlatform(int widthPx = 1024, int heightPx = 768);
    ~SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    Platform platform();

    // A fresh folder for this platform's files, removed with it.
    const std::filesystem::path& folder() const { return folder_; }

    // The screen as the grab sees it; tests may replace it.
    Bitmap screenPicture;

    SimScreen screen;
    SimClipboard clipboard{*this};
    SimGrabber grabber{*this};
    SimClock clock;
    SimWindowSystem windows{*this};
    SimMessages messages{*this};
    SimSound sound;
    SimDialogs dialogs;
    SimKeyboard keyboard;
    SimPaths paths;
    SimTray tray;
    SimPrinter printer{*this};
    SimMail mail;
    SimSystemInfo systemInfo;
    SimJobs jobs;

    // Ordered trace of the effects the program had on the machine.
    std::vector<std::string> trace;

private:
    std::filesystem::path folder_;
};

}  // namespace vis::sim
