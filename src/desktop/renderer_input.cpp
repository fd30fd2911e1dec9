// SPDX-License-Identifier: GPL-3.0-or-later
// Forwards the user's input, met by the widgets, to the program's handlers; then every window is synced.

#include <QCheckBox>
#include <QSessionManager>
#include <functional>

#include "desktop/renderer_impl.h"

namespace vis {

void QtRenderer::Impl::activated(Window* w) {
    if (deferWhileSyncing([this, w] { activated(w); })) return;
    if (!viewOf(w) || lastActive == w) return;  // back from another program: no activation of ours
    // Hidden by the program: the window manager passed it the focus while
    // another window left, before this one's own hide reached it. Its
    // activation handler would show it again.
    if (!w->visible) return;
    lastActive = w;
    if (auto h = w->onActivate) dispatch(h);
    // A window gets the focus itself only when none of its elements can take it.
    if (!viewOf(w)) return;
    bool focusable = false;
    for (auto& c : w->controls)
        if (c->visible && c->enabled &&
            (c->kind == ControlKind::TextBox || c->kind == ControlKind::CheckBox || c->kind == ControlKind::Slider ||
             c->kind == ControlKind::Button))
            focusable = true;
    if (!focusable)
        if (auto h = w->onGotFocus) dispatch(h);
}

void QtRenderer::Impl::closeRequested(Window* w) {
    if (deferWhileSyncing([this, w] { closeRequested(w); })) return;
    if (!viewOf(w)) return;
    bool cancel = false;
    if (auto h = w->onQueryUnload) dispatch([&] { h(cancel, UnloadMode::User); });
    if (cancel || !viewOf(w)) return;
    if (auto h = w->onUnload) dispatch(h);
    if (!viewOf(w)) return;
    w->visible = false;
    w->loaded = false;
    syncNow();
}

void QtRenderer::Impl::sessionEnding(QSessionManager& manager) {
    // The main window (the start-up one) speaks for the program; the others
    // refuse any close the program did not ask for.
    Window* main = nullptr;
    for (auto& v : windows)
        if (v->model->name == "frmMain") main = v->model;
    if (!main && !windows.empty()) main = windows.front()->model;
    if (!main || !main->onQueryUnload) return;
    // Where the session manager allows it, the question may hold the logout
    // up; where it does not, the program must end without one.
    const UnloadMode mode = manager.allowsInteraction() ? UnloadMode::SessionEnd : UnloadMode::SessionEndUnattended;
    bool cancel = false;
    auto h = main->onQueryUnload;
    dispatch([&] { h(cancel, mode); });
    if (cancel) manager.cancel();
    manager.release();
}

void QtRenderer::Impl::keyPressed(Window* w, int vk, int shift) {
    if (deferWhileSyncing([this, w, vk, shift] { keyPressed(w, vk, shift); })) return;
    if (!viewOf(w)) return;
    if (auto h = w->onKeyDown) dispatch([&] { h(vk, shift); });
}

void QtRenderer::Impl::windowMouseMove(Window* w, const MouseEvent& ev) {
    if (syncing || !viewOf(w)) return;
    if (auto h = w->onMouseMove) dispatch([&] { h(ev); });
}

void QtRenderer::Impl::controlMouse(Window* w, std::uint64_t id, MouseKind kind, const MouseEvent& ev, bool click) {
    if (deferWhileSyncing([=, this] { controlMouse(w, id, kind, ev, click); })) return;
    if (!viewOf(w)) return;
    Control* c = findControl(w, id);
    if (!c) return;
    std::function<void(const MouseEvent&)> h;
    std::function<void()> dbl;
    switch (kind) {
        case MouseKind::Down:
            h = c->onMouseDown;
            break;
        case MouseKind::Move:
            h = c->onMouseMove;
            break;
        case MouseKind::Up:
            h = c->onMouseUp;
            break;
        case MouseKind::DoubleClick:
            dbl = c->onDblClick;
            break;
    }
    if (h) dispatch([&] { h(ev); });
    if (dbl) dispatch(dbl);
    if (click) runOnClick(w, id);
}

void QtRenderer::Impl::runOnClick(Window* w, std::uint64_t id) {
    // The element may be gone after the previous handler.
    if (!viewOf(w)) return;
    Control* c = findControl(w, id);
    if (!c) return;
    if (auto h = c->onClick) dispatch(h);
}

void QtRenderer::Impl::menuTriggered(Window* w, std::uint64_t id) {
    if (deferWhileSyncing([this, w, id] { menuTriggered(w, id); })) return;
    if (!viewOf(w)) return;
    MenuEntry* e = findEntry(w->menus, id);
    if (!e) return;
    if (auto h = e->onClick) {
        ++menuSignals;
        dispatch(h);
        --menuSignals;
    }
    if (WindowView* v = viewOf(w)) releaseMenuBarFocus(v->top);
}

void QtRenderer::Impl::menuDropDown(Window* w, std::uint64_t id) {
    if (syncing || !viewOf(w)) return;
    MenuEntry* e = findEntry(w->menus, id);
    if (!e) return;
    if (auto h = e->onDropDown) {
        ++menuSignals;
        dispatch(h);
        --menuSignals;
    }
}

void QtRenderer::Impl::timerTick(Window* w, std::uint64_t id) {
    if (syncing || !viewOf(w) || runningTimers.count(id)) return;
    Timer* t = findTimer(w, id);
    if (!t || !t->enabled) return;
    auto h = t->onTick;  // the handler may delete its own timer
    if (!h) return;
    if (ending) return;
    t->changedNothing = false;
    t->idleUntilKey = false;
    runningTimers.insert(id);
    runHandler(h);
    runningTimers.erase(id);
    // The handler may have let its timer (or its window) go.
    WindowView* v = viewOf(w);
    const Timer* after = v ? findTimer(w, id) : nullptr;
    if (!after || !after->changedNothing) {
        syncNow();
        return;
    }
    // A poll at rest: no tick until a key moves, where that can be told.
    if (!after->idleUntilKey || !keyRest) return;
    auto tv = v->timers.find(id);
    if (tv == v->timers.end() || !tv->second.timer) return;
    if (keyRest([this, w, id] { wakeTimer(w, id); })) {
        tv->second.timer->stop();
        tv->second.resting = true;
    }
}

void QtRenderer::Impl::wakeTimer(Window* w, std::uint64_t id) {
    WindowView* v = viewOf(w);
    if (!v) return;
    auto tv = v->timers.find(id);
    if (tv == v->timers.end() || !tv->second.resting) return;
    tv->second.resting = false;
    // Picked up again as the model has it, with a tick at once: a hot key
    // typed in one go is seen now rather than a poll later.
    syncTimers(*v);
    QTimer::singleShot(0, &anchor, [this, w, id] { timerTick(w, id); });
}

void QtRenderer::Impl::textEdited(Window* w, std::uint64_t id, const QString& text) {
    if (syncing || !viewOf(w)) return;
    Control* c = findControl(w, id);
    if (!c) return;
    c->caption = text.toStdString();
    if (WindowView* v = viewOf(w)) v->controls[id].shown.caption = c->caption;
    if (auto h = c->onChange) dispatch(h);
}

void QtRenderer::Impl::sliderChanged(Window* w, std::uint64_t id, int value) {
    if (syncing || !viewOf(w)) return;
    Control* c = findControl(w, id);
    if (!c || c->value == value) return;
    c->value = value;
    if (WindowView* v = viewOf(w)) v->controls[id].shown.value = value;
    if (auto h = c->onChange) dispatch(h);
}

void QtRenderer::Impl::checkClicked(Window* w, std::uint64_t id) {
    if (syncing || !viewOf(w)) return;
    Control* c = findControl(w, id);
    if (!c) return;
    // The user only ticks and unticks; the grey state is the program's.
    c->value = c->value == 1 ? 0 : 1;
    if (WindowView* v = viewOf(w)) {
        ControlView& cv = v->controls[id];
        auto* b = static_cast<QCheckBox*>(cv.widget.data());
        b->setTristate(false);
        b->setCheckState(c->value == 1 ? Qt::Checked : Qt::Unchecked);
        cv.shown.value = c->value;
    }
    if (auto h = c->onClick ? c->onClick : c->onChange) dispatch(h);
}

void QtRenderer::Impl::buttonClicked(Window* w, std::uint64_t id) {
    if (syncing) return;
    runOnClick(w, id);
}

}  // namespace vis
