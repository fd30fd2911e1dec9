// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/sim_platform.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>
#include <random>

#include "platform/format.h"

namespace vis::sim {

std::uint32_t screenPixel(int x, int y) { return rgb(x & 255, y & 255, ((x >> 8) & 15) << 4 | ((y >> 8) & 15)); }

Bitmap syntheticScreen(int width, int height) {
    // 24 bits, as the desktop's grab gives them.
    const std::size_t stride = Bitmap::bgr24Stride(width);
    auto mem = pixelMemory(stride * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = mem.get() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, out += 3) {
            const std::uint32_t c = screenPixel(x, y);
            out[0] = static_cast<std::uint8_t>(blueOf(c));
            out[1] = static_cast<std::uint8_t>(greenOf(c));
            out[2] = static_cast<std::uint8_t>(redOf(c));
        }
    }
    const std::uint8_t* first = mem.get();
    return Bitmap::fromBgr24(width, height, first, stride, std::move(mem));
}

Bitmap thirtyTwoBits(const Bitmap& b) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) px.push_back(b.pixel(x, y));
    return Bitmap(b.width(), b.height(), std::move(px));
}

int SimScreen::textWidthTwips(const std::string& text, const std::string&, double) const {
    return static_cast<int>(charCount(text)) * charPixels * tpp;
}

std::string SimClock::shortTime() const {
    return twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

void SimClipboard::clear() {
    content = {};
    p_.trace.push_back("clipboard.clear");
}

void SimClipboard::setBitmap(const Bitmap& b) {
    content = b;
    p_.trace.push_back("clipboard.set");
}

void SimGrabber::pressPrintScreen(int typcapt) {
    GrabRecord r;
    r.typcapt = typcapt;
    r.time = p_.clock.now;
    for (Window* w : p_.windows.attached)
        if (w->visible && w->state != WindowState::Minimized) r.visibleWindows.insert(w->name);
    grabs.push_back(r);
    p_.trace.push_back("printscreen " + std::to_string(typcapt));
    if (outOfMemory) throw std::bad_alloc();
    if (failing) return;
    if (typcapt == 0)
        p_.clipboard.content = p_.screenPicture;
    else
        p_.clipboard.content = p_.screenPicture.cropped(activeWindow.x, activeWindow.y, activeWindow.w, activeWindow.h);
}

void SimWindowSystem::attach(Window& w) {
    if (std::find(attached.begin(), attached.end(), &w) == attached.end()) attached.push_back(&w);
}

void SimWindowSystem::detach(Window& w) {
    attached.erase(std::remove(attached.begin(), attached.end(), &w), attached.end());
    if (active == &w) active = nullptr;
    for (auto& t : w.timers) {
        due_.erase(t.get());
    }
}

void SimWindowSystem::processEvents() {
    ++processEventsCalls;
    p_.trace.push_back("events");
    const double until = p_.clock.now + eventStep;
    if (!exitCode) {
        activatePending();
        fireDue(until);
    }
    p_.clock.now = std::max(p_.clock.now, until);
}

void SimWindowSystem::wait(double seconds) {
    p_.trace.push_back("wait");
    const double until = p_.clock.now + seconds;
    if (!exitCode) {
        activatePending();
        fireDue(until);
    }
    p_.clock.now = std::max(p_.clock.now, until);
}

void SimWindowSystem::activatePending() {
    if (!emulateActivation) return;
    Window* front = nullptr;
    for (Window* w : attached)
        if (w->visible && w->raiseRequest > lastRaise_ && (!front || w->raiseRequest > front->raiseRequest)) front = w;
    if (!front) return;
    lastRaise_ = front->raiseRequest;
    active = front;
    if (front->onActivate) front->onActivate();
}

void SimWindowSystem::advance(double seconds) {
    const double until = p_.clock.now + seconds;
    if (!exitCode) fireDue(until);
    p_.clock.now = std::max(p_.clock.now, until);
}

void SimWindowSystem::fire(Timer& t) {
    if (exitCode || running_.count(&t) || !t.onTick) return;
    running_.insert(&t);
    auto tick = t.onTick;  // the handler may unload the window that owns the timer
    try {
        tick();
    } catch (...) {
        running_.erase(&t);
        throw;
    }
    running_.erase(&t);
}

void SimWindowSystem::fireDue(double until) {
    for (;;) {
        // Bring the schedule in step with the timers' current settings.
        std::set<Timer*> live;
        for (Window* w : attached)
            for (auto& t : w->timers)
                if (t->enabled && t->interval > 0) {
                    live.insert(t.get());
                    if (!due_.count(t.get())) due_[t.get()] = p_.clock.now + t->interval / 1000.0;
                }
        for (auto it = due_.begin(); it != due_.end();) it = live.count(it->first) ? std::next(it) : due_.erase(it);

        Timer* next = nullptr;
        double when = std::numeric_limits<double>::infinity();
        for (auto& [t, d] : due_)
            if (d < when && !running_.count(t)) {
                when = d;
                next = t;
            }
        if (!next || when > until) return;
        p_.clock.now = std::max(p_.clock.now, when);
        due_[next] = when + next->interval / 1000.0;
        fire(*next);
    }
}

void SimWindowSystem::runModal(Window& w) {
    if (exitCode) return;
    modalShown.push_back(w.name);
    p_.trace.push_back("modal " + w.name);
    w.visible = true;
    w.modal = true;
    if (modalScript) modalScript(w);
    w.modal = false;
}

void SimWindowSystem::popupMenu(Window&, MenuEntry& menu) {
    if (exitCode) return;
    popupsShown.push_back(menu.name);
    p_.trace.push_back("popup " + menu.name);
    if (popupScript) popupScript(*attached.front(), menu);
}

void SimWindowSystem::exitProgram(int code) {
    // As on the desktop: the first end counts, the call returns, and no
    // handler runs afterwards; the code after it is the program's to stop.
    if (exitCode) return;
    exitCode = code;
    p_.trace.push_back("exit " + std::to_string(code));
}

MsgResult SimMessages::show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    MessageRecord r{text, buttons, icon, title};
    shown.push_back(r);
    p_.trace.push_back("message " + text);
    if (onShow) onShow(r);
    if (!answers.empty()) {
        MsgResult a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (buttons) {
        case MsgButtons::Ok:
        case MsgButtons::OkCancel:
            return MsgResult::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgResult::Yes;
    }
    return MsgResult::Ok;
}

bool SimPrinter::choosePrinter() {
    ++dialogsShown;
    p_.trace.push_back("printer.dialog");
    return !cancelDialog;
}

bool SimPrinter::printLine(const std::string& text) {
    if (failing) return false;
    PrintedItem i;
    i.kind = PrintedItem::Text;
    i.x = currentX;
    i.y = currentY;
    i.text = text;
    page.push_back(i);
    return true;
}

bool SimPrinter::paintPicture(const Bitmap& picture, int left, int top, int width, int height) {
    if (failing) return false;
    PrintedItem i;
    i.kind = PrintedItem::Picture;
    i.x = left;
    i.y = top;
    i.width = width;
    i.height = height;
    i.picture = picture;
    page.push_back(i);
    return true;
}

bool SimPrinter::endDoc() {
    if (failing) return false;
    sent.push_back(std::move(page));
    page.clear();
    p_.trace.push_back("printer.end");
    return true;
}

void SimPrinter::killDoc() {
    ++killed;
    page.clear();
}

std::optional<std::string> SimDialogs::saveFile(const FileDialogRequest& r) {
    saveRequests.push_back(r);
    if (saveAnswers.empty()) return std::nullopt;
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
}

std::optional<std::string> SimDialogs::openFile(const FileDialogRequest& r) {
    openRequests.push_back(r);
    if (openAnswers.empty()) return std::nullopt;
    auto a = openAnswers.front();
    openAnswers.pop_front();
    return a;
}

void SimJobs::start(std::function<void()> work, std::function<void()> done) {
    ++started;
    held_.push_back({std::move(work), std::move(done)});
    mostWaiting = std::max(mostWaiting, held_.size());
    if (!hold) run(held_.size() - 1);
}

bool SimJobs::run(std::size_t index) {
    if (index >= held_.size()) return false;
    Job job = std::move(held_[index]);
    held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
    if (job.work) job.work();
    if (job.done) job.done();
    return true;
}

SimPlatform::SimPlatform(int widthPx, int heightPx) {
    static std::atomic<int> counter{0};
    screen.wPx = widthPx;
    screen.hPx = heightPx;
    screenPicture = syntheticScreen(widthPx, heightPx);
    folder_ = std::filesystem::temp_directory_path() /
              ("vis-sim-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "program");
    std::filesystem::create_directories(folder_ / "config");
    std::filesystem::create_directories(folder_ / "documents");
    paths.program = (folder_ / "program").string();
    paths.config = (folder_ / "config").string();
    paths.documents = (folder_ / "documents").string();
    // Made by the program when it first needs it.
    paths.recovery = (folder_ / "state" / "vistrelle" / "recovery").string();
}

SimPlatform::~SimPlatform() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

Platform SimPlatform::platform() {
    return Platform{screen,   clipboard, grabber, clock,   windows, messages,   sound, dialogs,
                    keyboard, paths,     tray,    printer, mail,    systemInfo, jobs};
}

}  // namespace vis::sim
