// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The renderer's insides, shared by its own files only: what it last showed of
// each window, its Impl, and the widgets it builds windows from.

#include <QAction>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QMargins>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "desktop/renderer.h"

class QEventLoop;
class QKeyEvent;
class QPainter;
class QSessionManager;

namespace vis {

inline QString qs(const std::string& s) { return QString::fromStdString(s); }

// The window's keys go to the window, not to a menu bar that kept the focus
// after its menu closed.
void releaseMenuBarFocus(QWidget* top);

// The element's name for screen readers and whether Tab reaches it.
void applyAccessible(QWidget* widget, const Control& c);

// A bordered picture box draws its picture and its children inside a sunken
// frame of this many pixels.
constexpr int kPanelInset = 2;

class TopWidget;
class ClientWidget;

// What a control's widget shows now; compared with the model at each sync so
// that only what changed is touched.
struct Shown {
    QRect rect;
    bool visible = false, enabled = true;
    std::string caption, tooltip, fontName;
    double fontSize = 0;
    const void* picture = nullptr;
    bool devicePixels = false;
    const void* cursorPicture = nullptr;
    int borderStyle = -1;
    std::uint32_t borderColor = 0, backColor = 0, foreColor = 0;
    CursorKind cursor = CursorKind::Default;
    int hotX = 0, hotY = 0;
    int value = 0, min = 0, max = 0, maxLength = -1;
    bool autoSize = false;
    bool vertical = false;
    QPoint lineFrom, lineTo;
};

struct ControlView {
    ControlKind kind = ControlKind::Label;
    QPointer<QWidget> widget;
    std::uint64_t parentId = 0;  // 0: the client area
    bool fresh = true;
    Shown shown;
};

// A menu entry's text and shortcut as last applied.
struct MenuShown {
    bool known = false;
    std::string caption, shortcut;
};

// A menu entry as built, in the order of a walk through the menus.
struct BuiltEntry {
    MenuEntry* entry;
    std::uint64_t id;
    bool separator;
    std::size_t children;
    QPointer<QAction> action;
    MenuShown shown;
};

struct TimerView {
    QPointer<QTimer> timer;
    int interval = -1;
    bool resting = false;  // stopped until a key moves
};

struct WindowView {
    Window* model = nullptr;
    QPointer<TopWidget> top;
    QPointer<QMenuBar> bar;
    QPointer<ClientWidget> client;
    std::unordered_map<std::uint64_t, ControlView> controls;
    std::vector<std::uint64_t> stacking;  // element ids bottom to top, as last applied
    std::unordered_map<std::uint64_t, TimerView> timers;

    std::vector<BuiltEntry> built;
    bool menusBuilt = false;
    std::unordered_map<std::uint64_t, QPointer<QAction>> actions;
    std::unordered_map<std::uint64_t, QPointer<QMenu>> menus;
    std::vector<QPointer<QObject>> menuObjects;
    bool barShown = false;

    bool flagsKnown = false;
    bool dialog = false, showInTaskbar = true, ownedByMain = false, frameless = false;
    bool overDesktop = false;     // shown without its frame over every monitor
    bool frameReturning = false;  // left that, its frame not back yet

    // The bounds last applied (or read back), in twips, and the frame
    // margins they were applied with.
    bool boundsKnown = false;
    int left = 0, top_ = 0, width = 0, height = 0;
    QMargins margins;

    bool shownVisible = false;
    WindowState shownState = WindowState::Normal;
    std::uint64_t raiseRequest = 0;
    std::uint64_t focusRequest = 0;
    bool captionKnown = false;
    std::string caption;
    const void* icon = nullptr;
    bool iconKnown = false;
    bool modalShown = false;

    QPointer<QTimer> reconcileTimer;
    QElapsedTimer shownAt;   // since the window was last shown
    QElapsedTimer hiddenAt;  // since the window was last hidden
};

struct QtRenderer::Impl {
    explicit Impl(const IScreen& s) : screen(s), tppX(s.twipsPerPixelX()), tppY(s.twipsPerPixelY()) {}

    const IScreen& screen;
    int tppX, tppY;
    // Context of every deferred call: they die with the renderer.
    QObject anchor;
    std::vector<std::unique_ptr<WindowView>> windows;
    bool ending = false;  // the program asked to end: no handler runs any more
    // Native windows hidden since the last processEvents, perhaps still on
    // the screen in their window manager's frames.
    std::vector<unsigned long> justHidden;
    bool syncing = false;
    bool syncAgain = false;
    bool syncPosted = false;
    // Handlers under way since the innermost modal loop began. While one
    // runs, waits and processEvents only take windows off the screen: what
    // it shows appears once, in its final layout, when it returns.
    int handlerDepth = 0;
    // Raise requests met by the sync under way, and the window raised last.
    std::vector<std::pair<std::uint64_t, QPointer<TopWidget>>> pendingRaises;
    QPointer<TopWidget> lastRaised;
    // A window was mapped or raised by the sync under way: a modal window
    // open meanwhile must come back on top.
    bool broughtForward = false;
    int menuSignals = 0;
    Window* lastActive = nullptr;
    QMargins learnedMargins;
    std::map<std::string, QMargins> framesByName;
    std::set<std::uint64_t> runningTimers;
    std::vector<QPointer<TopWidget>> retired;  // detached, deleted later
    std::function<bool(std::function<void()>)> keyRest;
    void wakeTimer(Window* w, std::uint64_t id);
    // Reused by every sync, which runs after each handler (ten times a
    // second for the hot-key poll): no allocation when nothing changed.
    std::vector<std::uint64_t> orderScratch;
    std::unordered_set<std::uint64_t> liveScratch;

    struct Modal {
        Window* window;
        QEventLoop* loop;
        bool loadedAtStart;
    };
    std::vector<Modal> modals;

    int pxX(double twips) const { return static_cast<int>(std::lround(twips / tppX)); }
    int pxY(double twips) const { return static_cast<int>(std::lround(twips / tppY)); }
    // Where the layout's twips start on the desktop: the primary monitor's
    // top left, in Qt's coordinates.
    QPoint origin() const;
    // The frozen screen's window: every monitor, in Qt's coordinates.
    QRect overDesktopRect() const;
    static bool coversDesktop(const Window& w) { return w.overDesktop && w.state == WindowState::Maximized; }

    WindowView* viewOf(const Window* w) const {
        for (auto& v : windows)
            if (v->model == w) return v.get();
        return nullptr;
    }
    static Control* findControl(Window* w, std::uint64_t id) {
        for (auto& c : w->controls)
            if (c->id == id) return c.get();
        return nullptr;
    }
    static MenuEntry* findEntry(std::vector<std::unique_ptr<MenuEntry>>& list, std::uint64_t id) {
        for (auto& e : list) {
            if (e->id == id) return e.get();
            if (MenuEntry* f = findEntry(e->children, id)) return f;
        }
        return nullptr;
    }
    static Timer* findTimer(Window* w, std::uint64_t id) {
        for (auto& t : w->timers)
            if (t->id == id) return t.get();
        return nullptr;
    }

    // Runs a program handler, then brings every window in step. Events that
    // arrive while a sync is under way wait until it is over.
    template <class F>
    void dispatch(F&& handler) {
        if (ending) return;
        runHandler(std::forward<F>(handler));
        syncNow();
    }
    template <class F>
    void runHandler(F&& handler) {
        ++handlerDepth;
        try {
            handler();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vistrelle: handler failed: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "vistrelle: handler failed\n");
        }
        --handlerDepth;
    }
    template <class F>
    bool deferWhileSyncing(F&& again) {
        if (!syncing) return false;
        QTimer::singleShot(0, &anchor, std::forward<F>(again));
        return true;
    }
    void postSync() {
        if (syncPosted) return;
        syncPosted = true;
        QTimer::singleShot(0, &anchor, [this] {
            syncPosted = false;
            syncNow();
        });
    }

    void syncAll();
    // What may be applied now: everything between handlers, only what
    // leaves the screen (and the timers) inside one.
    void syncNow() { handlerDepth > 0 ? syncLeaving() : syncAll(); }
    void syncLeaving();
    // A modal loop starts afresh: its own handlers show what they do.
    std::shared_ptr<void> modalScope();
    void syncWindow(WindowView& v);
    void applyRaises();
    void hideNow(WindowView& v);
    void hideTop(WindowView& v);
    void awaitRelease(WindowView& v);
    void bringUp(WindowView& v);
    void keepModalOnTop();
    void enterOverDesktop(WindowView& v);
    void leaveOverDesktop(WindowView& v);
    void createTop(WindowView& v);
    void applyFlags(WindowView& v);
    void syncControls(WindowView& v);
    QWidget* createControlWidget(WindowView& v, const Control& c);
    void applyControl(WindowView& v, ControlView& cv, Control& c);
    void syncMenus(WindowView& v);
    void rebuildMenus(WindowView& v);
    QAction* buildEntry(WindowView& v, MenuEntry& e);
    void syncTimers(WindowView& v);
    void applyGeometry(WindowView& v);
    void applyShowState(WindowView& v);
    void layoutTop(WindowView& v);
    QMargins marginsFor(WindowView& v);
    void checkModals();

    // Input, each entered from a widget with the window and element ids.
    void scheduleReconcile(Window* w);
    void reconcile(Window* w);
    void activated(Window* w);
    void closeRequested(Window* w);
    void sessionEnding(QSessionManager& manager);
    void keyPressed(Window* w, int vk, int shift);
    void shortcutComing(Window* w, const QKeyEvent* e);
    void windowMouseMove(Window* w, const MouseEvent& ev);
    enum class MouseKind { Down, Move, Up, DoubleClick };
    void controlMouse(Window* w, std::uint64_t id, MouseKind kind, const MouseEvent& ev, bool click);
    void menuTriggered(Window* w, std::uint64_t id);
    void menuDropDown(Window* w, std::uint64_t id);
    void timerTick(Window* w, std::uint64_t id);
    void textEdited(Window* w, std::uint64_t id, const QString& text);
    void sliderChanged(Window* w, std::uint64_t id, int value);
    void checkClicked(Window* w, std::uint64_t id);
    void buttonClicked(Window* w, std::uint64_t id);
    void runOnClick(Window* w, std::uint64_t id);
};

using Impl = QtRenderer::Impl;

class TopWidget final : public QWidget {
public:
    TopWidget(Impl* r, Window* w);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Nothing of the window shows the focus: no repaint when it moves.
    void focusInEvent(QFocusEvent*) override {}
    void focusOutEvent(QFocusEvent*) override {}

private:
    Impl* r_;
    Window* w_;
};

class ClientWidget final : public QWidget {
public:
    ClientWidget(Impl* r, Window* w, QWidget* parent);

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    Impl* r_;
    Window* w_;
};

// Picture box, image, label, shape and line: drawn here, not by Qt's own
// widgets, so that each looks and reacts as the program expects.
class SurfaceWidget final : public QWidget {
public:
    SurfaceWidget(Impl* r, Window* w, std::uint64_t id, ControlKind kind, QWidget* parent);

    // What the sync hands over.
    QImage picture;  // wraps the model's Bitmap, no copy
    const void* pictureId = nullptr;
    bool devicePixels = false;  // a picture box's picture drawn 1:1 in device pixels
    QString text;
    int borderStyle = 0;
    QColor borderColor = Qt::black, backColor, foreColor;
    QPoint lineFrom, lineTo;

    int inset() const { return kind_ == ControlKind::PictureBox && borderStyle == 1 ? kPanelInset : 0; }
    // A stretched picture just handed over is reduced for display on another
    // thread while the window is being framed; its first paint takes it.
    void prepareScaled();
    // Runs the element's click, as the keyboard or a screen reader presses it.
    void press();

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent*) override { update(); }
    void hideEvent(QHideEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    MouseEvent eventOf(const QMouseEvent* e, int button) const;

    Impl* r_;
    Window* w_;
    std::uint64_t id_;
    ControlKind kind_;
    QSize scaledSize() const;
    void paintFocus(QPainter& p) const;

    QPixmap scaled_;
    // The memory of the last full-screen display copy, kept over a hide so
    // that the next capture's copy is written into it: fresh memory costs
    // page faults that take as long as the reduction itself.
    QImage spare_;
    const void* scaledId_ = nullptr;
    std::future<QImage> pending_;
    const void* pendingId_ = nullptr;
    QSize pendingSize_;
    QPixmap display_;  // a 24-bit picture converted for 1:1 display
    const void* displayId_ = nullptr;
    int displayPaints_ = 0;
    bool pressedLeft_ = false;
    bool afterDouble_ = false;
};

}  // namespace vis
