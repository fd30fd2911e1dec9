// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer's face to the program: attaching windows, event processing, modal loops, popups and the exit.

#include "desktop/renderer.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPalette>
#include <QSessionManager>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "desktop/qt_services.h"
#include "desktop/renderer_impl.h"
#include "desktop/x11.h"

#ifdef _WIN32
#include <ole2.h>
#endif

namespace vis {

namespace {
// A window manager that never unmaps a frame must not hold a capture up.
constexpr qint64 kFrameGoneMs = 1000;
}  // namespace

QtRenderer::QtRenderer(const IScreen& screen) : d_(std::make_unique<Impl>(screen)) {
    // Colours that do not follow the focus, as the program's controls never
    // did: otherwise each change of active window repaints both windows
    // whole, and a capture passes the focus between three.
    QPalette steady = QApplication::palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        if (r != QPalette::NoRole) steady.setColor(QPalette::Inactive, r, steady.color(QPalette::Active, r));
    }
    QApplication::setPalette(steady);
    Impl* d = d_.get();
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &d->anchor,
                     [d](QSessionManager& m) { d->sessionEnding(m); });
}

QtRenderer::~QtRenderer() {
    for (auto& v : d_->windows) delete v->top.data();
    // Detached ones not yet deleted by the event loop: their events would
    // reach a renderer that is gone.
    for (auto& top : d_->retired) delete top.data();
}

void QtRenderer::attach(Window& w) {
    if (d_->viewOf(&w)) return;
    auto v = std::make_unique<WindowView>();
    v->model = &w;
    d_->windows.push_back(std::move(v));
    // Windows attached outside any handler (at start-up) are drawn as soon
    // as the event loop runs.
    d_->postSync();
}

void QtRenderer::detach(Window& w) {
    auto& list = d_->windows;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->model != &w) continue;
        WindowView& v = **it;
        for (auto& [id, tv] : v.timers)
            if (tv.timer) tv.timer->stop();
        if (v.top) {
            v.top->hide();
            v.top->deleteLater();
            d_->retired.erase(std::remove(d_->retired.begin(), d_->retired.end(), nullptr), d_->retired.end());
            d_->retired.push_back(v.top);
        }
        list.erase(it);
        break;
    }
    if (d_->lastActive == &w) d_->lastActive = nullptr;
    d_->checkModals();
}

void QtRenderer::syncAll() { d_->syncAll(); }

std::shared_ptr<void> QtRenderer::modalScope() { return d_->modalScope(); }

void QtRenderer::setKeyRest(std::function<bool(std::function<void()>)> rest) { d_->keyRest = std::move(rest); }

void QtRenderer::processEvents() {
    d_->syncNow();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A window hidden just before must be off the screen before a grab: the
    // server has unmapped it, and its window manager has unmapped its frame.
    void* display = x11Display();
    x11::sync(display);
    std::vector<unsigned long> hidden;
    hidden.swap(d_->justHidden);
    QElapsedTimer waited;
    waited.start();
    for (unsigned long id : hidden)
        while (x11::onScreen(display, id) && waited.elapsed() < kFrameGoneMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    d_->syncNow();
}

void QtRenderer::run(const std::function<void()>& handler) { d_->dispatch(handler); }

void QtRenderer::wait(double seconds) {
    d_->syncNow();
    if (d_->ending) return;
    // A loop of its own, ended by a timer: events run as they come and the
    // thread sleeps in between.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::lround(seconds * 1000)), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    d_->syncNow();
}

void QtRenderer::runModal(Window& w) {
    if (d_->ending) return;
    attach(w);
    auto scope = d_->modalScope();
    WindowView* v = d_->viewOf(&w);
    if (!v) return;
    if (!v->top) d_->createTop(*v);
    // Modality can only change while the window is hidden: set before it is
    // first mapped, for a window mapped, unmapped and mapped again at once
    // may be left off the screen by its window manager.
    if (v->top->isVisible()) d_->hideTop(*v);
    v->shownVisible = false;
    v->top->setWindowModality(Qt::ApplicationModal);
    w.modal = true;
    w.show();
    d_->syncAll();
    d_->bringUp(*v);

    QEventLoop loop;
    d_->modals.push_back({&w, &loop, w.loaded});
    d_->checkModals();
    loop.exec(QEventLoop::DialogExec);
    auto& m = d_->modals;
    m.erase(std::remove_if(m.begin(), m.end(), [&](const Impl::Modal& x) { return x.loop == &loop; }), m.end());

    // The window may have been unloaded and let go by the program meanwhile.
    if (WindowView* after = d_->viewOf(&w)) {
        w.modal = false;
        if (after->top) {
            if (after->top->isVisible()) d_->hideTop(*after);
            after->top->setWindowModality(Qt::NonModal);
            after->shownVisible = false;
        }
        d_->syncAll();
    }
}

void QtRenderer::popupMenu(Window& owner, MenuEntry& menu) {
    if (d_->ending) return;
    auto scope = d_->modalScope();
    WindowView* v = d_->viewOf(&owner);
    if (!v) return;
    auto it = v->menus.find(menu.id);
    if (it == v->menus.end() || !it->second) return;
    QPointer<QMenu> m = it->second;
    m->exec(QCursor::pos());
    d_->syncAll();
}

void QtRenderer::exitProgram(int code) {
    // The windows leave the screen now and no handler runs any more; the
    // event loops (every one running) wind up once the current handler has
    // returned, through Qt's own exit, which hands the clipboard to a
    // clipboard manager and removes the tray icon.
    if (d_->ending) return;
    d_->ending = true;
    for (auto& v : d_->windows) {
        for (auto& [id, tv] : v->timers)
            if (tv.timer) tv.timer->stop();
        if (v->top) v->top->hide();
    }
    x11::sync(x11Display());
#ifdef _WIN32
    // What the program left on the clipboard stays there after it ends.
    OleFlushClipboard();
#endif
    QCoreApplication::exit(code);
}

QWidget* QtRenderer::widgetFor(const Window& w) const {
    WindowView* v = d_->viewOf(&w);
    return v ? v->top.data() : nullptr;
}

QWidget* QtRenderer::clientFor(const Window& w) const {
    WindowView* v = d_->viewOf(&w);
    return v ? v->client.data() : nullptr;
}

QWidget* QtRenderer::widgetFor(const Control& c) const {
    for (auto& v : d_->windows) {
        auto it = v->controls.find(c.id);
        if (it != v->controls.end()) return it->second.widget.data();
    }
    return nullptr;
}

QAction* QtRenderer::actionFor(const MenuEntry& e) const {
    for (auto& v : d_->windows) {
        auto it = v->actions.find(e.id);
        if (it != v->actions.end()) return it->second.data();
    }
    return nullptr;
}

QMenu* QtRenderer::menuFor(const MenuEntry& e) const {
    for (auto& v : d_->windows) {
        auto it = v->menus.find(e.id);
        if (it != v->menus.end()) return it->second.data();
    }
    return nullptr;
}

QTimer* QtRenderer::timerFor(const Timer& t) const {
    for (auto& v : d_->windows) {
        auto it = v->timers.find(t.id);
        if (it != v->timers.end()) return it->second.timer.data();
    }
    return nullptr;
}

}  // namespace vis
