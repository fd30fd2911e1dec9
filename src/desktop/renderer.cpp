#include "desktop/renderer.h"

#include <qdrawutil.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSessionManager>
#include <QSlider>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>
#include <unordered_map>

#include "desktop/qt_image.h"
#include "desktop/qt_services.h"
#include "desktop/x11.h"

#ifdef _WIN32
#include <ole2.h>
#endif

namespace vis {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// 0 means "the toolkit's default".
QColor colorOf(std::uint32_t c) { return c == 0 ? QColor() : QColor::fromRgb(static_cast<QRgb>(c | 0xFF000000u)); }

// Line breaks as the program writes them (CR LF).
QString displayText(const std::string& caption) {
    QString t = qs(caption);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

int shiftOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int buttonBit(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

int buttonBits(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? kLeftButton : 0) | (b & Qt::RightButton ? kRightButton : 0) |
           (b & Qt::MiddleButton ? kMiddleButton : 0);
}

// Windows virtual-key codes, which the program's key handlers expect.
int virtualKeyOf(const QKeyEvent* e) {
    const int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return (e->modifiers() & Qt::KeypadModifier) ? 96 + (k - Qt::Key_0) : '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Printer:
            // VK_PRINT: what Qt makes of that key on Windows. X11 has no
            // keysym for it (its Print is the Print Screen key, 44).
            return 42;
        case Qt::Key_Print:
            return 44;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        default:
            return 0;
    }
}

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

bool isSeparator(const MenuEntry& e) { return e.separator || e.caption == "-"; }

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

struct TimerView {
    QPointer<QTimer> timer;
    int interval = -1;
};

struct WindowView {
    Window* model = nullptr;
    QPointer<TopWidget> top;
    QPointer<QMenuBar> bar;
    QPointer<ClientWidget> client;
    std::unordered_map<std::uint64_t, ControlView> controls;
    std::vector<std::uint64_t> stacking;  // element ids bottom to top, as last applied
    std::unordered_map<std::uint64_t, TimerView> timers;

    std::vector<std::uint64_t> menuShape;
    bool menusBuilt = false;
    std::unordered_map<std::uint64_t, QPointer<QAction>> actions;
    std::unordered_map<std::uint64_t, QPointer<QMenu>> menus;
    std::vector<QPointer<QObject>> menuObjects;
    bool barShown = false;

    bool flagsKnown = false;
    bool dialog = false, showInTaskbar = true, ownedByMain = false;

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
};

}  // namespace

// The window's keys go to the window, not to a menu bar that kept the focus
// after its menu closed.
void releaseMenuBarFocus(QWidget* top) {
    if (!top || QApplication::activePopupWidget()) return;
    QWidget* f = QApplication::focusWidget();
    if (f && f->window() == top && qobject_cast<QMenuBar*>(f)) top->setFocus(Qt::OtherFocusReason);
}

struct QtRenderer::Impl {
    explicit Impl(const IScreen& screen) : tppX(screen.twipsPerPixelX()), tppY(screen.twipsPerPixelY()) {}

    int tppX, tppY;
    // Context of every deferred call: they die with the renderer.
    QObject anchor;
    std::vector<std::unique_ptr<WindowView>> windows;
    bool syncing = false;
    bool syncAgain = false;
    bool syncPosted = false;
    int menuSignals = 0;
    Window* lastActive = nullptr;
    QMargins learnedMargins;
    std::set<std::uint64_t> runningTimers;

    struct Modal {
        Window* window;
        QEventLoop* loop;
        bool loadedAtStart;
    };
    std::vector<Modal> modals;

    int pxX(double twips) const { return static_cast<int>(std::lround(twips / tppX)); }
    int pxY(double twips) const { return static_cast<int>(std::lround(twips / tppY)); }

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
        try {
            handler();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vistrelle: handler failed: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "vistrelle: handler failed\n");
        }
        syncAll();
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
            syncAll();
        });
    }

    void syncAll();
    void syncWindow(WindowView& v);
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

namespace {

using Impl = QtRenderer::Impl;

class TopWidget final : public QWidget {
public:
    TopWidget(Impl* r, Window* w) : r_(r), w_(w) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        // Can hold the focus itself, so that its keys reach the window.
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) r_->activated(w_);
        return QWidget::event(e);
    }
    void closeEvent(QCloseEvent* e) override {
        // The program decides: the close box only asks.
        e->ignore();
        r_->closeRequested(w_);
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange) r_->scheduleReconcile(w_);
        QWidget::changeEvent(e);
    }
    void moveEvent(QMoveEvent*) override { r_->scheduleReconcile(w_); }
    void resizeEvent(QResizeEvent*) override {
        if (WindowView* v = r_->viewOf(w_)) r_->layoutTop(*v);
        r_->scheduleReconcile(w_);
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int vk = virtualKeyOf(e);
        if (vk) r_->keyPressed(w_, vk, shiftOf(e->modifiers()));
        e->accept();
    }

private:
    Impl* r_;
    Window* w_;
};

class ClientWidget final : public QWidget {
public:
    ClientWidget(Impl* r, Window* w, QWidget* parent) : QWidget(parent), r_(r), w_(w) { setMouseTracking(true); }

protected:
    void mouseMoveEvent(QMouseEvent* e) override {
        MouseEvent ev;
        ev.button = buttonBits(e->buttons());
        ev.shift = shiftOf(e->modifiers());
        ev.x = e->position().x() * r_->tppX;
        ev.y = e->position().y() * r_->tppY;
        r_->windowMouseMove(w_, ev);
    }

private:
    Impl* r_;
    Window* w_;
};

// Picture box, image, label, shape and line: drawn here, not by Qt's own
// widgets, so that each looks and reacts as the program expects.
class SurfaceWidget final : public QWidget {
public:
    SurfaceWidget(Impl* r, Window* w, std::uint64_t id, ControlKind kind, QWidget* parent)
        : QWidget(parent), r_(r), w_(w), id_(id), kind_(kind) {
        if (kind == ControlKind::Shape || kind == ControlKind::Line)
            setAttribute(Qt::WA_TransparentForMouseEvents);
        else
            setMouseTracking(true);
    }

    // What the sync hands over.
    QImage picture;  // wraps the model's Bitmap, no copy
    const void* pictureId = nullptr;
    QString text;
    int borderStyle = 0;
    QColor borderColor = Qt::black, backColor, foreColor;
    QPoint lineFrom, lineTo;

    int inset() const { return kind_ == ControlKind::PictureBox && borderStyle == 1 ? kPanelInset : 0; }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        switch (kind_) {
            case ControlKind::PictureBox: {
                p.fillRect(rect(), backColor.isValid() ? backColor : palette().color(QPalette::Window));
                const int in = inset();
                const QRect inside = rect().adjusted(in, in, -in, -in);
                if (!picture.isNull()) {
                    // 1:1 at the top left; only the exposed part is copied.
                    const QRect target =
                        e->rect().intersected(inside).intersected(QRect(QPoint(in, in), picture.size()));
                    if (!target.isEmpty()) p.drawImage(target, picture, target.translated(-in, -in));
                }
                if (borderStyle == 1) qDrawWinPanel(&p, rect(), palette(), true);
                break;
            }
            case ControlKind::Image: {
                if (!picture.isNull() && width() > 0 && height() > 0) {
                    const qreal dpr = devicePixelRatioF();
                    const QSize want(qRound(width() * dpr), qRound(height() * dpr));
                    if (scaledId_ != pictureId || scaled_.size() != want) {
                        // Once per picture and size: a full-screen capture
                        // is never scaled again at the next paint.
                        scaled_ =
                            QPixmap::fromImage(picture.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
                        scaled_.setDevicePixelRatio(dpr);
                        scaledId_ = pictureId;
                    }
                    p.drawPixmap(0, 0, scaled_);
                } else {
                    scaled_ = QPixmap();
                    scaledId_ = nullptr;
                }
                if (borderStyle == 1) qDrawWinPanel(&p, rect(), palette(), true);
                break;
            }
            case ControlKind::Label: {
                if (backColor.isValid()) p.fillRect(rect(), backColor);
                const int in = borderStyle == 1 ? 1 : 0;
                if (borderStyle == 1) {
                    p.setPen(QColor(Qt::black));
                    p.drawRect(rect().adjusted(0, 0, -1, -1));
                }
                p.setPen(foreColor.isValid() ? foreColor : palette().color(QPalette::WindowText));
                p.setFont(font());
                p.drawText(rect().adjusted(in, in, -in, -in), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
                break;
            }
            case ControlKind::Shape:
                p.setPen(QPen(borderColor, 1));
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect().adjusted(0, 0, -1, -1));
                break;
            case ControlKind::Line:
                p.setPen(QPen(borderColor, 1));
                p.drawLine(lineFrom, lineTo);
                break;
            default:
                break;
        }
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) {
            pressedLeft_ = true;
            afterDouble_ = false;
        }
        r_->controlMouse(w_, id_, Impl::MouseKind::Down, eventOf(e, buttonBit(e->button())), false);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        r_->controlMouse(w_, id_, Impl::MouseKind::Move, eventOf(e, buttonBits(e->buttons())), false);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool click =
            e->button() == Qt::LeftButton && pressedLeft_ && !afterDouble_ && rect().contains(e->position().toPoint());
        if (e->button() == Qt::LeftButton) pressedLeft_ = false;
        r_->controlMouse(w_, id_, Impl::MouseKind::Up, eventOf(e, buttonBit(e->button())), click);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        // The second press of a double click is no new mouse-down.
        if (e->button() == Qt::LeftButton) {
            afterDouble_ = true;
            pressedLeft_ = true;
        }
        r_->controlMouse(w_, id_, Impl::MouseKind::DoubleClick, eventOf(e, buttonBit(e->button())), false);
    }

private:
    MouseEvent eventOf(const QMouseEvent* e, int button) const {
        MouseEvent ev;
        ev.button = button;
        ev.shift = shiftOf(e->modifiers());
        ev.x = (e->position().x() - inset()) * r_->tppX;
        ev.y = (e->position().y() - inset()) * r_->tppY;
        return ev;
    }

    Impl* r_;
    Window* w_;
    std::uint64_t id_;
    ControlKind kind_;
    QPixmap scaled_;
    const void* scaledId_ = nullptr;
    bool pressedLeft_ = false;
    bool afterDouble_ = false;
};

bool isSurface(ControlKind k) {
    return k == ControlKind::PictureBox || k == ControlKind::Image || k == ControlKind::Label ||
           k == ControlKind::Shape || k == ControlKind::Line;
}

QFont fontFor(const Control& c) {
    QFont f = QApplication::font();
    if (!c.fontName.empty()) f.setFamily(qs(c.fontName));
    if (c.fontSize > 0) f.setPointSizeF(c.fontSize);
    return f;
}

}  // namespace

// ---------------------------------------------------------------- sync

void QtRenderer::Impl::syncAll() {
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
    syncing = false;
    checkModals();
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
    syncControls(v);
    syncMenus(v);
    syncTimers(v);
    if (!v.captionKnown || v.caption != w.caption) {
        v.top->setWindowTitle(qs(w.caption));
        v.caption = w.caption;
        v.captionKnown = true;
    }
    if (!v.iconKnown || v.icon != w.icon.identity()) {
        v.top->setWindowIcon(w.icon.isNull() ? QIcon() : QIcon(QPixmap::fromImage(imageOf(w.icon, true))));
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
    if (v.flagsKnown && v.dialog == w.dialog && v.showInTaskbar == w.showInTaskbar && v.ownedByMain == w.ownedByMain)
        return;
    Qt::WindowFlags f = w.showInTaskbar ? Qt::Window : Qt::Tool;
    if (w.dialog)
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    const bool wasVisible = v.top->isVisible();
    v.top->setWindowFlags(f);  // hides the window; shown again below
    if (wasVisible) v.shownVisible = false;
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
    v.flagsKnown = true;
}

QMargins QtRenderer::Impl::marginsFor(WindowView& v) {
    if (v.top->isVisible()) {
        const QMargins m = frameMarginsOf(v.top);
        if (!m.isNull()) learnedMargins = m;
        return m.isNull() ? learnedMargins : m;
    }
    return learnedMargins;
}

void QtRenderer::Impl::applyGeometry(WindowView& v) {
    Window& w = *v.model;
    if (w.width <= 0 || w.height <= 0) return;
    const QMargins m = marginsFor(v);
    const QSize client(std::max(1, pxX(w.width) - m.left() - m.right()),
                       std::max(1, pxY(w.height) - m.top() - m.bottom()));
    if (w.dialog)
        v.top->setFixedSize(client);
    else
        v.top->resize(client);
    v.top->move(pxX(w.left), pxY(w.top));
    v.left = w.left;
    v.top_ = w.top;
    v.width = w.width;
    v.height = w.height;
    v.margins = m;
    v.boundsKnown = true;
}

void QtRenderer::Impl::applyShowState(WindowView& v) {
    Window& w = *v.model;
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
        if (v.top->isVisible()) v.top->hide();
        // Shown again, it is activated again (the program relies on it).
        if (lastActive == &w) lastActive = nullptr;
        v.shownVisible = false;
        v.shownState = w.state;
        return;
    }
    if (!v.top->isVisible() || !v.shownVisible || v.shownState != w.state) {
        // A window hidden and shown again loses its frame on X11, and with it
        // Qt's idea of where the frame was: place it from the model again.
        const bool reshown = !v.top->isVisible() || !v.shownVisible;
        switch (w.state) {
            case WindowState::Normal:
                v.top->showNormal();
                if (!actuallyNormal || boundsChanged || reshown) applyGeometry(v);
                break;
            case WindowState::Minimized:
                v.top->showMinimized();
                break;
            case WindowState::Maximized:
                v.top->showMaximized();
                break;
        }
        v.shownVisible = true;
        v.shownState = w.state;
    }
    if (v.raiseRequest != w.raiseRequest) {
        v.raiseRequest = w.raiseRequest;
        if (w.state != WindowState::Minimized) {
            v.top->raise();
            v.top->activateWindow();
            // Shown again right after being hidden, the window may get the
            // window manager's focus without Qt noticing; and a menu bar
            // left with the focus by a mnemonic eats Escape. Settle both once
            // the window manager is done.
            QPointer<TopWidget> top = v.top;
            for (int delay : {150, 400})
                QTimer::singleShot(delay, &anchor, [top] {
                    if (!top || !top->isVisible()) return;
                    if (!top->isActiveWindow()) top->activateWindow();
                    releaseMenuBarFocus(top);
                });
        }
    }
    if (v.focusRequest != w.focusRequest) {
        v.focusRequest = w.focusRequest;
        if (w.focusControl) {
            auto it = v.controls.find(w.focusControl->id);
            if (it != v.controls.end() && it->second.widget) it->second.widget->setFocus(Qt::OtherFocusReason);
        }
    }
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
    WindowView* v = viewOf(w);
    if (!v || !v->top || !v->top->isVisible() || !v->shownVisible) return;
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
        } else {
            const QRect f = v->top->frameGeometry();
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
        syncAll();
}

// ---------------------------------------------------------------- controls

QWidget* QtRenderer::Impl::createControlWidget(WindowView& v, const Control& c) {
    Window* w = v.model;
    const std::uint64_t id = c.id;
    QWidget* parent = v.client;
    switch (c.kind) {
        case ControlKind::TextBox: {
            auto* e = new QLineEdit(parent);
            QObject::connect(e, &QLineEdit::textEdited, e, [this, w, id](const QString& t) { textEdited(w, id, t); });
            return e;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(parent);
            QObject::connect(b, &QCheckBox::clicked, b, [this, w, id] { checkClicked(w, id); });
            return b;
        }
        case ControlKind::Slider: {
            auto* s = new QSlider(parent);
            s->setTracking(false);  // one change when the thumb is let go
            QObject::connect(s, &QSlider::valueChanged, s, [this, w, id](int value) { sliderChanged(w, id, value); });
            return s;
        }
        case ControlKind::Button: {
            auto* b = new QPushButton(parent);
            QObject::connect(b, &QPushButton::clicked, b, [this, w, id] { buttonClicked(w, id); });
            return b;
        }
        default:
            return new SurfaceWidget(this, w, id, c.kind, parent);
    }
}

void QtRenderer::Impl::syncControls(WindowView& v) {
    Window& w = *v.model;
    // Later elements lie over earlier ones, whatever created or moved them.
    std::vector<std::uint64_t> order;
    order.reserve(w.controls.size());
    bool restack = false;
    std::set<std::uint64_t> live;
    for (auto& c : w.controls) {
        live.insert(c->id);
        order.push_back(c->id);
        auto it = v.controls.find(c->id);
        if (it == v.controls.end() || !it->second.widget) {
            ControlView cv;
            cv.kind = c->kind;
            cv.widget = createControlWidget(v, *c);
            v.controls[c->id] = std::move(cv);
            restack = true;
        }
    }
    if (order != v.stacking) restack = true;
    // Parents first, so that no widget still inside a removed one is lost
    // with it.
    for (auto& c : w.controls) {
        ControlView& cv = v.controls[c->id];
        std::uint64_t parentId = 0;
        QWidget* parent = v.client;
        if (c->container && live.count(c->container->id) && c->container != c.get()) {
            auto pit = v.controls.find(c->container->id);
            // A container inside its own element would make a loop of widgets.
            if (pit != v.controls.end() && pit->second.widget && !cv.widget->isAncestorOf(pit->second.widget)) {
                parentId = c->container->id;
                parent = pit->second.widget;
            }
        }
        if (cv.widget->parentWidget() != parent) {
            cv.widget->setParent(parent);
            cv.fresh = true;
            restack = true;
        }
        cv.parentId = parentId;
    }
    for (auto it = v.controls.begin(); it != v.controls.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        if (QWidget* old = it->second.widget) {
            // A handler of this very widget may be on the stack.
            old->hide();
            old->deleteLater();
        }
        it = v.controls.erase(it);
    }
    for (auto& c : w.controls) applyControl(v, v.controls[c->id], *c);
    if (restack) {
        for (auto& c : w.controls) v.controls[c->id].widget->raise();
        v.stacking = std::move(order);
    }
}

void QtRenderer::Impl::applyControl(WindowView& v, ControlView& cv, Control& c) {
    QWidget* wid = cv.widget;
    Shown& s = cv.shown;
    const bool fresh = cv.fresh;
    cv.fresh = false;
    auto* surface = isSurface(c.kind) ? static_cast<SurfaceWidget*>(wid) : nullptr;

    // Text and font before the geometry: a label may size itself to them.
    const bool fontChanged = fresh || s.fontName != c.fontName || s.fontSize != c.fontSize;
    if (fontChanged) {
        if (c.fontName.empty() && c.fontSize <= 0)
            wid->setFont(QFont());
        else
            wid->setFont(fontFor(c));
        s.fontName = c.fontName;
        s.fontSize = c.fontSize;
    }
    const bool captionChanged = fresh || s.caption != c.caption;
    if (captionChanged) {
        switch (c.kind) {
            case ControlKind::Label:
                surface->text = displayText(c.caption);
                surface->setAccessibleName(surface->text);  // what a screen reader (or a test) reads
                break;
            case ControlKind::TextBox: {
                auto* e = static_cast<QLineEdit*>(wid);
                if (e->text() != qs(c.caption)) e->setText(qs(c.caption));
                break;
            }
            case ControlKind::CheckBox:
                static_cast<QCheckBox*>(wid)->setText(qs(c.caption));
                break;
            case ControlKind::Button:
                static_cast<QPushButton*>(wid)->setText(qs(c.caption));
                break;
            default:
                break;
        }
        s.caption = c.caption;
        if (surface) surface->update();
    }
    if (c.kind == ControlKind::Label && c.autoSize && (captionChanged || fontChanged || !s.autoSize)) {
        const QFontMetrics fm(wid->font());
        const int border = c.borderStyle == 1 ? 2 : 0;
        if (c.wordWrap) {
            // Keeps its width and grows downwards, a line per wrapped word.
            const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, pxX(c.width) - border), 100000),
                                            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, displayText(c.caption));
            c.height = (std::max(r.height(), fm.height()) + border) * tppY;
        } else {
            const QRect r =
                fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, displayText(c.caption));
            c.width = (r.width() + border) * tppX;
            c.height = (std::max(r.height(), fm.height()) + border) * tppY;
        }
    }
    s.autoSize = c.autoSize;

    // Geometry, relative to the container's inside.
    int inset = 0;
    if (cv.parentId) {
        auto pit = v.controls.find(cv.parentId);
        if (pit != v.controls.end() && isSurface(pit->second.kind))
            inset = static_cast<SurfaceWidget*>(pit->second.widget.data())->inset();
    }
    QRect rect;
    QPoint from, to;
    if (c.kind == ControlKind::Line) {
        const QPoint a(pxX(c.left), pxY(c.top)), b(pxX(c.x2), pxY(c.y2));
        rect = QRect(a, b).normalized().adjusted(0, 0, 1, 1).translated(inset, inset);
        from = a - rect.topLeft() + QPoint(inset, inset);
        to = b - rect.topLeft() + QPoint(inset, inset);
    } else {
        rect = QRect(pxX(c.left) + inset, pxY(c.top) + inset, std::max(0, pxX(c.width)), std::max(0, pxY(c.height)));
    }
    if (fresh || rect != s.rect) {
        wid->setGeometry(rect);
        s.rect = rect;
    }
    if (surface && (fresh || from != s.lineFrom || to != s.lineTo)) {
        surface->lineFrom = from;
        surface->lineTo = to;
        s.lineFrom = from;
        s.lineTo = to;
        surface->update();
    }

    if (fresh || s.enabled != c.enabled) {
        wid->setEnabled(c.enabled);
        s.enabled = c.enabled;
    }
    if (fresh || s.tooltip != c.tooltip) {
        wid->setToolTip(qs(c.tooltip));
        s.tooltip = c.tooltip;
    }

    if (surface) {
        bool repaint = false;
        if (fresh || s.picture != c.picture.identity()) {
            surface->picture = imageOf(c.picture);
            surface->pictureId = c.picture.identity();
            s.picture = c.picture.identity();
            repaint = true;
        }
        if (fresh || s.borderStyle != c.borderStyle || s.borderColor != c.borderColor || s.backColor != c.backColor ||
            s.foreColor != c.foreColor) {
            surface->borderStyle = c.borderStyle;
            surface->borderColor = c.borderColor == 0 ? QColor(Qt::black) : colorOf(c.borderColor);
            surface->backColor = colorOf(c.backColor);
            surface->foreColor = colorOf(c.foreColor);
            s.borderStyle = c.borderStyle;
            s.borderColor = c.borderColor;
            s.backColor = c.backColor;
            s.foreColor = c.foreColor;
            repaint = true;
        }
        if (repaint) surface->update();
        if (fresh || s.cursor != c.cursor || s.cursorPicture != c.cursorPicture.identity() || s.hotX != c.hotSpotX ||
            s.hotY != c.hotSpotY) {
            switch (c.cursor) {
                case CursorKind::Default:
                    wid->unsetCursor();
                    break;
                case CursorKind::Cross:
                    wid->setCursor(Qt::CrossCursor);
                    break;
                case CursorKind::Custom:
                    if (c.cursorPicture.isNull())
                        wid->unsetCursor();
                    else
                        wid->setCursor(
                            QCursor(QPixmap::fromImage(imageOf(c.cursorPicture, true)), c.hotSpotX, c.hotSpotY));
                    break;
            }
            s.cursor = c.cursor;
            s.cursorPicture = c.cursorPicture.identity();
            s.hotX = c.hotSpotX;
            s.hotY = c.hotSpotY;
        }
    }

    switch (c.kind) {
        case ControlKind::TextBox:
            if (fresh || s.maxLength != c.maxLength) {
                static_cast<QLineEdit*>(wid)->setMaxLength(c.maxLength > 0 ? c.maxLength : 32767);
                s.maxLength = c.maxLength;
            }
            break;
        case ControlKind::CheckBox:
            if (fresh || s.value != c.value) {
                auto* b = static_cast<QCheckBox*>(wid);
                b->setTristate(c.value == 2);
                b->setCheckState(c.value == 1 ? Qt::Checked : c.value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
                s.value = c.value;
            }
            break;
        case ControlKind::Slider: {
            auto* sl = static_cast<QSlider*>(wid);
            const bool vertical = c.width < c.height;
            if (fresh || s.vertical != vertical) {
                sl->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
                // The smallest value at the top, as a scroll bar has it.
                sl->setInvertedAppearance(vertical);
                sl->setInvertedControls(vertical);
                s.vertical = vertical;
            }
            if (fresh || s.min != c.min || s.max != c.max) {
                sl->setRange(c.min, c.max);
                sl->setPageStep(std::max(1, (c.max - c.min) / 10));
                s.min = c.min;
                s.max = c.max;
            }
            if (fresh || s.value != c.value || sl->value() != c.value) {
                sl->setValue(c.value);
                s.value = c.value;
            }
            break;
        }
        default:
            break;
    }

    if (fresh || s.visible != c.visible) {
        wid->setVisible(c.visible);
        s.visible = c.visible;
    }
}

// ---------------------------------------------------------------- menus

namespace {
void shapeOf(const std::vector<std::unique_ptr<MenuEntry>>& list, std::vector<std::uint64_t>& out) {
    for (auto& e : list) {
        out.push_back(e->id);
        out.push_back(isSeparator(*e) ? 1 : 0);
        shapeOf(e->children, out);
        out.push_back(0);  // end of this entry's children
    }
}

void updateAction(QAction* a, const MenuEntry& e) {
    if (a->isSeparator()) {
        a->setVisible(e.visible);
        return;
    }
    const QString text = qs(e.caption);
    if (a->text() != text) a->setText(text);
    a->setEnabled(e.enabled);
    a->setVisible(e.visible);
    if (e.checked && !a->isCheckable()) a->setCheckable(true);
    if (a->isCheckable()) a->setChecked(e.checked);
    if (!e.checked && a->isCheckable()) a->setCheckable(false);
    const QKeySequence shortcut = e.shortcut.empty() ? QKeySequence() : QKeySequence(qs(e.shortcut));
    if (a->shortcut() != shortcut) a->setShortcut(shortcut);
}
}  // namespace

QAction* QtRenderer::Impl::buildEntry(WindowView& v, MenuEntry& e) {
    Window* w = v.model;
    const std::uint64_t id = e.id;
    QAction* a = nullptr;
    if (!e.children.empty()) {
        auto* m = new QMenu(v.top);
        v.menuObjects.emplace_back(m);
        QObject::connect(m, &QMenu::aboutToShow, m, [this, w, id] { menuDropDown(w, id); });
        for (auto& child : e.children) m->addAction(buildEntry(v, *child));
        v.menus[id] = m;
        a = m->menuAction();
    } else {
        a = new QAction(v.top);
        v.menuObjects.emplace_back(a);
        if (isSeparator(e))
            a->setSeparator(true);
        else
            QObject::connect(a, &QAction::triggered, a, [this, w, id] { menuTriggered(w, id); });
    }
    v.actions[id] = a;
    return a;
}

void QtRenderer::Impl::rebuildMenus(WindowView& v) {
    v.bar->clear();
    for (auto& o : v.menuObjects)
        if (o) o->deleteLater();
    v.menuObjects.clear();
    v.actions.clear();
    v.menus.clear();
    for (auto& e : v.model->menus) v.bar->addAction(buildEntry(v, *e));
    v.menusBuilt = true;
}

void QtRenderer::Impl::syncMenus(WindowView& v) {
    Window& w = *v.model;
    std::vector<std::uint64_t> shape;
    shapeOf(w.menus, shape);
    if (!v.menusBuilt || shape != v.menuShape) {
        // Never pull a menu from under the user while one is open.
        if (menuSignals > 0 || QApplication::activePopupWidget()) {
            QTimer::singleShot(50, &anchor, [this] { postSync(); });
            return;
        }
        rebuildMenus(v);
        v.menuShape = shape;
    }
    std::vector<MenuEntry*> stack;
    for (auto& e : w.menus) stack.push_back(e.get());
    while (!stack.empty()) {
        MenuEntry* e = stack.back();
        stack.pop_back();
        auto it = v.actions.find(e->id);
        if (it != v.actions.end() && it->second) updateAction(it->second, *e);
        for (auto& c : e->children) stack.push_back(c.get());
    }
    bool anyShown = false;
    for (auto& e : w.menus) anyShown = anyShown || e->visible;
    if (anyShown != v.barShown) {
        v.barShown = anyShown;
        v.bar->setVisible(anyShown);
        layoutTop(v);
    }
}

// ---------------------------------------------------------------- timers

void QtRenderer::Impl::syncTimers(WindowView& v) {
    Window* w = v.model;
    std::set<std::uint64_t> live;
    for (auto& t : w->timers) {
        live.insert(t->id);
        TimerView& tv = v.timers[t->id];
        if (!tv.timer) {
            tv.timer = new QTimer(v.top);
            const std::uint64_t id = t->id;
            QObject::connect(tv.timer, &QTimer::timeout, tv.timer, [this, w, id] { timerTick(w, id); });
            tv.interval = -1;
        }
        if (tv.interval != t->interval) {
            tv.timer->setInterval(std::max(0, t->interval));
            tv.interval = t->interval;
        }
        const bool run = t->enabled && t->interval > 0;
        if (run && !tv.timer->isActive()) tv.timer->start();
        if (!run && tv.timer->isActive()) tv.timer->stop();
    }
    for (auto it = v.timers.begin(); it != v.timers.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        if (it->second.timer) {
            it->second.timer->stop();
            it->second.timer->deleteLater();
        }
        it = v.timers.erase(it);
    }
}

// ---------------------------------------------------------------- input

void QtRenderer::Impl::activated(Window* w) {
    if (deferWhileSyncing([this, w] { activated(w); })) return;
    if (!viewOf(w) || lastActive == w) return;  // back from another program: no activation of ours
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
    syncAll();
}

void QtRenderer::Impl::sessionEnding(QSessionManager& manager) {
    std::vector<Window*> list;
    for (auto& v : windows) list.push_back(v->model);
    for (Window* w : list) {
        if (!viewOf(w)) continue;
        bool cancel = false;
        if (auto h = w->onQueryUnload) dispatch([&] { h(cancel, UnloadMode::SessionEnd); });
        if (cancel) {
            manager.cancel();
            return;
        }
    }
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
    runningTimers.insert(id);
    dispatch(h);
    runningTimers.erase(id);
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

// ---------------------------------------------------------------- QtRenderer

QtRenderer::QtRenderer(const IScreen& screen) : d_(std::make_unique<Impl>(screen)) {
    Impl* d = d_.get();
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &d->anchor,
                     [d](QSessionManager& m) { d->sessionEnding(m); });
}

QtRenderer::~QtRenderer() {
    for (auto& v : d_->windows) delete v->top.data();
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
        }
        list.erase(it);
        break;
    }
    if (d_->lastActive == &w) d_->lastActive = nullptr;
    d_->checkModals();
}

void QtRenderer::syncAll() { d_->syncAll(); }

void QtRenderer::processEvents() {
    d_->syncAll();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A window hidden just before must be off the screen before a grab.
    x11::sync(x11Display());
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    d_->syncAll();
}

void QtRenderer::runModal(Window& w) {
    attach(w);
    w.show();
    d_->syncAll();
    WindowView* v = d_->viewOf(&w);
    if (!v || !v->top) return;
    // Modality can only change while the window is hidden.
    v->top->hide();
    v->shownVisible = false;
    v->top->setWindowModality(Qt::ApplicationModal);
    w.modal = true;
    d_->syncAll();

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
            const bool visible = after->top->isVisible();
            if (visible) after->top->hide();
            after->top->setWindowModality(Qt::NonModal);
            after->shownVisible = false;
        }
        d_->syncAll();
    }
}

void QtRenderer::popupMenu(Window& owner, MenuEntry& menu) {
    d_->syncAll();
    WindowView* v = d_->viewOf(&owner);
    if (!v) return;
    auto it = v->menus.find(menu.id);
    if (it == v->menus.end() || !it->second) return;
    QPointer<QMenu> m = it->second;
    m->exec(QCursor::pos());
    d_->syncAll();
}

void QtRenderer::exitProgram(int code) {
    // At once, as the original's End: no unload handler, no event loop
    // unwinding back through the program's code.
    for (auto& v : d_->windows)
        if (v->top) v->top->hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    x11::sync(x11Display());
#ifdef _WIN32
    // What the program left on the clipboard stays there after it ends.
    OleFlushClipboard();
#endif
    std::fflush(nullptr);
    std::_Exit(code);
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
