// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps each top-level window and its view model in step, both ways: flags, geometry, show state.

#include <QApplication>
#include <QEventLoop>
#include <QIcon>
#include <QThread>
#include <QWindow>
#include <algorithm>

#include "desktop/qt_image.h"
#include "desktop/qt_services.h"
#include "desktop/renderer_impl.h"
#include "desktop/x11.h"

namespace vis {

namespace {

// How long after a window is shown its frame may still be settling.
constexpr qint64 kSettleMs = 400;
// How long a window manager may take to let a hidden window go, and to map
// one shown: far more than it needs, for a loaded machine.
constexpr qint64 kReleaseMs = 2000;
constexpr qint64 kMapMs = 3000;

WindowState stateOf(Qt::WindowStates s) {
    if (s & Qt::WindowMinimized) return WindowState::Minimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowState::Maximized;
    return WindowState::Normal;
}

QMargins frameMarginsOf(const QWidget* top) {
    const QRect f = top->frameGeometry();
    const QRect g = top->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

}  // namespace

QPoint QtRenderer::Impl::origin() const {
    const DesktopGeometry g = screen.geometry();
    return {g.originX(), g.originY()};
}

QRect QtRenderer::Impl::overDesktopRect() const {
    const TwipRect r = screen.geometry().frozenScreen();
    return QRect(origin() + QPoint(pxX(r.left), pxY(r.top)), QSize(pxX(r.width), pxY(r.height)));
}

void QtRenderer::Impl::syncAll() {
    // Ending: nothing may come back on the screen.
    if (ending) return;
    if (syncing) {
        syncAgain = true;
        return;
    }
    syncing = true;
    for (int pass = 0; pass < 4; ++pass) {
        syncAgain = false;
        // The list may not change under us (no handler runs here), but a
        // window's view is looked up afresh for each.
        for (std::size_t i = 0; i < windows.size(); ++i) syncWindow(*windows[i]);
        if (!syncAgain) break;
    }
    applyRaises();
    if (broughtForward) keepModalOnTop();
    broughtForward = false;
    syncing = false;
    checkModals();
}

// A modal window stays above every other window of the program, whatever
// the program shows or raises while it is open (a periodic capture shows
// and raises the main window at each tick).
void QtRenderer::Impl::keepModalOnTop() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    modal->raise();
    modal->activateWindow();
}

// A window hidden a moment ago may still be held by its window manager:
// mapped again before the manager has let it go, it can stay off the screen
// for good while Qt takes it for shown.
void QtRenderer::Impl::awaitRelease(WindowView& v) {
    void* display = x11Display();
    if (!display || !v.hiddenAt.isValid() || v.hiddenAt.elapsed() > kReleaseMs) return;
    const auto id = static_cast<unsigned long>(v.top->internalWinId());
    if (!id) return;
    x11::sync(display);
    QElapsedTimer waited;
    waited.start();
    while (x11::heldByWindowManager(display, id) && waited.elapsed() < kReleaseMs) QThread::msleep(2);
}

// A modal window's loop starts only once the window is mapped and on top:
// otherwise nothing of the program answers and nothing shows why. One the
// window manager lost is hidden and shown again.
void QtRenderer::Impl::bringUp(WindowView& v) {
    if (!v.top || !v.top->isVisible()) return;
    void* display = x11Display();
    const auto id = static_cast<unsigned long>(v.top->internalWinId());
    if (display && id) {
        x11::sync(display);
        for (int attempt = 0; attempt < 3; ++attempt) {
            QElapsedTimer waited;
            waited.start();
            while (!x11::viewable(display, id) && waited.elapsed() < kMapMs) QThread::msleep(2);
            if (x11::viewable(display, id)) break;
            hideTop(v);
            awaitRelease(v);
            v.top->show();
            x11::sync(display);
        }
    }
    v.top->raise();
    v.top->activateWindow();
    lastRaised = v.top;
}

void QtRenderer::Impl::applyRaises() {
    if (pendingRaises.empty()) return;
    std::sort(pendingRaises.begin(), pendingRaises.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QPointer<TopWidget> last;
    for (auto& [request, top] : pendingRaises)
        if (top && top->isVisible()) {
            top->raise();
            last = top;
        }
    pendingRaises.clear();
    if (!last) return;
    broughtForward = true;
    // An open modal window keeps the focus (raised again after the sync).
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible() && modal != last) return;
    // Only the window asked last takes the focus: each activation of
    // another one would repaint two windows for nothing.
    last->activateWindow();
    lastRaised = last;
    // Shown again right after being hidden, the window may get the window
    // manager's focus without Qt noticing; and a menu bar left with the
    // focus by a mnemonic eats Escape. Settle both once the window manager
    // is done, unless another window has been asked for since.
    for (int delay : {150, 400})
        QTimer::singleShot(delay, &anchor, [this, last] {
            if (!last || !last->isVisible() || lastRaised != last) return;
            if (QWidget* other = QApplication::activeModalWidget(); other && other != last) return;
            if (!last->isActiveWindow()) last->activateWindow();
            releaseMenuBarFocus(last);
        });
}

void QtRenderer::Impl::checkModals() {
    for (auto& m : modals) {
        WindowView* v = viewOf(m.window);
        const bool done = !v || !m.window->visible || (m.loadedAtStart && !m.window->loaded);
        if (done) m.loop->exit(0);
    }
}

void QtRenderer::Impl::syncWindow(WindowView& v) {
    if (!v.top) createTop(v);
    Window& w = *v.model;
    applyFlags(v);
    syncTimers(v);
    // A window off the screen that stays off gets its elements when it is
    // shown: the sync after each poll of the keys need not walk them.
    if (w.visible || v.top->isVisible()) {
        syncControls(v);
        syncMenus(v);
    }
    if (!v.captionKnown || v.caption != w.caption) {
        v.top->setWindowTitle(qs(w.caption));
        v.caption = w.caption;
        v.captionKnown = true;
    }
    if (!v.iconKnown || v.icon != w.icon.identity()) {
        // No icon of its own: the program's.
        v.top->setWindowIcon(w.icon.isNull() ? QApplication::windowIcon()
                                             : QIcon(QPixmap::fromImage(imageOf(w.icon, true))));
        v.icon = w.icon.identity();
        v.iconKnown = true;
    }
    applyShowState(v);
}

void QtRenderer::Impl::createTop(WindowView& v) {
    Window* w = v.model;
    v.top = new TopWidget(this, w);
    v.bar = new QMenuBar(v.top);
    v.bar->setNativeMenuBar(false);  // its height is part of the window's outer size
    v.bar->hide();
    v.client = new ClientWidget(this, w, v.top);
    v.reconcileTimer = new QTimer(v.top);
    v.reconcileTimer->setSingleShot(true);
    // Window managers report a new size and a new state in separate events:
    // look once they have settled.
    v.reconcileTimer->setInterval(50);
    QObject::connect(v.reconcileTimer, &QTimer::timeout, v.top, [this, w] { reconcile(w); });
}

void QtRenderer::Impl::applyFlags(WindowView& v) {
    Window& w = *v.model;
    if (v.flagsKnown && v.dialog == w.dialog && v.showInTaskbar == w.showInTaskbar && v.ownedByMain == w.ownedByMain &&
        v.frameless == w.frameless)
        return;
    Qt::WindowFlags f = w.showInTaskbar ? Qt::Window : Qt::Tool;
    if (w.frameless)
        f = Qt::SplashScreen | Qt::FramelessWindowHint;
    else if (w.dialog)
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    const bool wasVisible = v.top->isVisible();
    v.top->setWindowFlags(f);  // hides the window; shown again below
    if (wasVisible) {
        v.shownVisible = false;
        v.hiddenAt.start();
    }
    if (!w.dialog) {
        v.top->setMinimumSize(0, 0);
        v.top->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (w.ownedByMain) {
        // Stays above the main window: the start-up window, or the first one.
        WindowView* owner = nullptr;
        for (auto& o : windows)
            if (o.get() != &v && o->model->name == "frmMain") owner = o.get();
        if (!owner)
            for (auto& o : windows)
                if (o.get() != &v && !o->model->ownedByMain && o->top) {
                    owner = o.get();
                    break;
                }
        if (owner && owner->top) {
            owner->top->winId();
            v.top->winId();
            if (v.top->windowHandle() && owner->top->windowHandle())
                v.top->windowHandle()->setTransientParent(owner->top->windowHandle());
        }
    }
    v.dialog = w.dialog;
    v.showInTaskbar = w.showInTaskbar;
    v.ownedByMain = w.ownedByMain;
    v.frameless = w.frameless;
    v.flagsKnown = true;
}

QMargins QtRenderer::Impl::marginsFor(WindowView& v) {
    // Not another window's frame: it has none.
    if (v.model->frameless) return {};
    if (v.top->isVisible()) {
        const QMargins m = frameMarginsOf(v.top);
        if (!m.isNull()) {
            learnedMargins = m;
            framesByName[v.model->name] = m;
            return m;
        }
    }
    // Not framed now: the frame this window (or a window of its name loaded
    // before) had, for a window manager frames a resizable window and a tool
    // window differently; else another's.
    const auto known = framesByName.find(v.model->name);
    return known != framesByName.end() ? known->second : learnedMargins;
}

void QtRenderer::Impl::applyGeometry(WindowView& v) {
    Window& w = *v.model;
    if (w.width <= 0 || w.height <= 0) return;
    const QMargins m = marginsFor(v);
    const QSize client(std::max(1, pxX(w.width) - m.left() - m.right()),
                       std::max(1, pxY(w.height) - m.top() - m.bottom()));
    // Only what differs: each request is a configure for the window manager.
    if (w.dialog) {
        if (v.top->minimumSize() != client || v.top->maximumSize() != client) v.top->setFixedSize(client);
    } else if (v.top->size() != client) {
        v.top->resize(client);
    }
    const QPoint at = origin() + QPoint(pxX(w.left), pxY(w.top));
    if (v.frameReturning || (!v.top->isVisible() && !m.isNull())) {
        // About to be shown, or just left its frameless state: Qt may not know
        // the frame yet and would put the inside where the frame goes. The
        // inside is placed where the frame the window has leaves it.
        v.top->setGeometry(QRect(at + QPoint(m.left(), m.top()), client));
    } else if (v.top->frameGeometry().topLeft() != at) {
        v.top->move(at);
    }
    v.left = w.left;
    v.top_ = w.top;
    v.width = w.width;
    v.height = w.height;
    v.margins = m;
    v.boundsKnown = true;
}

void QtRenderer::Impl::applyShowState(WindowView& v) {
    Window& w = *v.model;
    // Leaving the frozen screen: the window takes its frame back.
    if (v.overDesktop && !coversDesktop(w)) leaveOverDesktop(v);
    bool boundsChanged =
        !v.boundsKnown || v.left != w.left || v.top_ != w.top || v.width != w.width || v.height != w.height;
    const bool actuallyNormal = stateOf(v.top->windowState()) == WindowState::Normal;
    // The bounds are those of the normal state: a minimised or maximised
    // window takes them when it comes back.
    if (boundsChanged && actuallyNormal && w.state == WindowState::Normal) {
        applyGeometry(v);
        boundsChanged = false;
    }

    if (!w.visible) {
        hideNow(v);
        return;
    }
    if (!v.top->isVisible() || !v.shownVisible || v.shownState != w.state) {
        // A window hidden and shown again loses its frame on X11, and with it
        // Qt's idea of where the frame was: place it from the model again.
        const bool reshown = !v.top->isVisible() || !v.shownVisible;
        if (reshown) v.shownAt.start();
        if (!v.top->isVisible()) awaitRelease(v);
        broughtForward = true;
        switch (w.state) {
            case WindowState::Normal:
                // Placed before it is mapped: the window manager frames it
                // where it belongs, with no second configure.
                if (reshown && actuallyNormal) applyGeometry(v);
                v.top->showNormal();
                if (!actuallyNormal || (boundsChanged && !reshown)) applyGeometry(v);
                v.frameReturning = false;
                break;
            case WindowState::Minimized:
                v.top->showMinimized();
                break;
            case WindowState::Maximized:
                if (coversDesktop(w))
                    enterOverDesktop(v);
                else
                    v.top->showMaximized();
                break;
        }
        v.shownVisible = true;
        v.shownState = w.state;
    }
    if (v.raiseRequest != w.raiseRequest) {
        v.raiseRequest = w.raiseRequest;
        // Raised at the end of the sync, in the order the program asked.
        if (w.state != WindowState::Minimized) pendingRaises.emplace_back(w.raiseRequest, v.top);
    }
    if (v.focusRequest != w.focusRequest) {
        v.focusRequest = w.focusRequest;
        if (w.focusControl) {
            auto it = v.controls.find(w.focusControl->id);
            if (it != v.controls.end() && it->second.widget) it->second.widget->setFocus(Qt::OtherFocusReason);
        }
    }
}

// The frame goes and comes back through the native window's own flags:
// the widget's would make the window anew, under another id. Staying above
// the desktop's panels is asked of the window manager directly, for the
// same reason (Qt makes a window anew when that flag changes).
void QtRenderer::Impl::enterOverDesktop(WindowView& v) {
    v.top->winId();
    QWindow* handle = v.top->windowHandle();
    if (!handle) return;
    handle->setFlags(v.top->windowFlags() | Qt::FramelessWindowHint);
    v.top->setGeometry(overDesktopRect());
    v.top->showNormal();
    x11::keepAbove(x11Display(), static_cast<unsigned long>(v.top->winId()), true);
    v.overDesktop = true;
}

void QtRenderer::Impl::leaveOverDesktop(WindowView& v) {
    v.overDesktop = false;
    QWindow* handle = v.top->windowHandle();
    if (!handle) return;
    x11::keepAbove(x11Display(), static_cast<unsigned long>(v.top->winId()), false);
    // The frame asked for in so many words: a window manager may not notice
    // that the request for none was merely withdrawn.
    handle->setFlags(v.top->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    v.frameReturning = true;
}

void QtRenderer::Impl::hideNow(WindowView& v) {
    Window& w = *v.model;
    if (v.overDesktop) leaveOverDesktop(v);
    if (v.top->isVisible()) {
        if (v.top->internalWinId() && justHidden.size() < 64)
            justHidden.push_back(static_cast<unsigned long>(v.top->internalWinId()));
        hideTop(v);
    }
    // Shown again, it is activated again (the program relies on it).
    if (lastActive == &w) lastActive = nullptr;
    v.shownVisible = false;
    v.shownState = w.state;
}

void QtRenderer::Impl::hideTop(WindowView& v) {
    v.top->hide();
    v.hiddenAt.start();
}

void QtRenderer::Impl::syncLeaving() {
    if (ending || syncing) return;
    syncing = true;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        WindowView& v = *windows[i];
        if (!v.top) continue;
        syncTimers(v);
        if (!v.model->visible) hideNow(v);
    }
    syncing = false;
    checkModals();
}

std::shared_ptr<void> QtRenderer::Impl::modalScope() {
    const int outer = handlerDepth;
    handlerDepth = 0;
    syncAll();
    return std::shared_ptr<void>(nullptr, [this, outer](void*) { handlerDepth = outer; });
}

void QtRenderer::Impl::layoutTop(WindowView& v) {
    if (!v.top || !v.bar || !v.client) return;
    const int width = v.top->width();
    int barHeight = 0;
    if (v.barShown) {
        barHeight = v.bar->heightForWidth(width);
        if (barHeight <= 0) barHeight = v.bar->sizeHint().height();
        v.bar->setGeometry(0, 0, width, barHeight);
    }
    v.client->setGeometry(0, barHeight, width, std::max(0, v.top->height() - barHeight));
}

void QtRenderer::Impl::scheduleReconcile(Window* w) {
    WindowView* v = viewOf(w);
    if (v && v->reconcileTimer) v->reconcileTimer->start();
}

// Reads back what the user (or the window manager) did to a window: its
// state, and its bounds in the normal state.
void QtRenderer::Impl::reconcile(Window* w) {
    if (deferWhileSyncing([this, w] { reconcile(w); })) return;
    // A handler under way may have moved the window in its model without
    // its being applied yet: that is no move of the user's.
    if (handlerDepth > 0) {
        scheduleReconcile(w);
        return;
    }
    WindowView* v = viewOf(w);
    if (!v || !v->top || !v->top->isVisible() || !v->shownVisible) return;
    // Over the desktop, the window is where the program put it: nothing of
    // the user's to read back.
    if (coversDesktop(*w)) return;
    const QPoint o = origin();
    bool changed = false;
    const WindowState actual = stateOf(v->top->windowState());
    if (actual != v->shownState) {
        v->shownState = actual;
        if (w->state != actual) {
            w->state = actual;
            changed = true;
        }
        if (actual == WindowState::Normal) applyGeometry(*v);
    } else if (actual == WindowState::Normal && v->boundsKnown) {
        if (frameMarginsOf(v->top) != v->margins && !frameMarginsOf(v->top).isNull()) {
            // The frame became known (or changed): place the window again
            // rather than take its old client size for the user's choice.
            applyGeometry(*v);
        } else if (v->shownAt.isValid() && v->shownAt.elapsed() < kSettleMs) {
            // Just shown: the window manager is still framing the window, and
            // what Qt reports is no move of the user's. The model's place holds.
            const QRect f = v->top->frameGeometry().translated(-o);
            if (f.x() != pxX(v->left) || f.y() != pxY(v->top_)) applyGeometry(*v);
            scheduleReconcile(w);
        } else {
            const QRect f = v->top->frameGeometry().translated(-o);
            if (f.x() != pxX(v->left)) w->left = v->left = f.x() * tppX;
            if (f.y() != pxY(v->top_)) w->top = v->top_ = f.y() * tppY;
            if (f.width() != pxX(v->width)) {
                w->width = v->width = f.width() * tppX;
                changed = true;
            }
            if (f.height() != pxY(v->height)) {
                w->height = v->height = f.height() * tppY;
                changed = true;
            }
        }
    }
    if (!changed) return;
    auto handler = w->onResize;
    if (handler)
        dispatch(handler);
    else
        syncNow();
}

}  // namespace vis
