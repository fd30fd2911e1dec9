// SPDX-License-Identifier: GPL-3.0-or-later
// The two services that need the native window system, on X11 (and where
// Qt alone serves): the screen grab and the key state. Windows has its own
// in qt_win32.cpp.

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>
#include <memory>
#include <utility>

#include "desktop/qt_clipboard.h"
#include "desktop/qt_services.h"
#include "desktop/x11.h"

namespace vis {

void* x11Display() {
#if QT_CONFIG(xcb)
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    if (auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) return x->display();
#endif
    return nullptr;
}

QtGrabber::QtGrabber() = default;
QtGrabber::~QtGrabber() = default;

namespace {

// The root window's pixels straight into a 24-bit picture, rows as Bitmap
// lays them out, so that the filed capture is this very memory.
QImage grabRoot24(x11::RootGrabber& grabber, const QRect& r) {
    const std::size_t stride = Bitmap::bgr24Stride(r.width());
    using Memory = std::shared_ptr<std::uint8_t[]>;
    auto mem = std::make_unique<Memory>(pixelMemory(stride * static_cast<std::size_t>(r.height())));
    if (!grabber.grab({r.x(), r.y(), r.width(), r.height()}, mem->get(), stride)) return {};
    uchar* bits = mem->get();
    return QImage(
        bits, r.width(), r.height(), static_cast<qsizetype>(stride), QImage::Format_BGR888,
        [](void* p) { delete static_cast<Memory*>(p); }, mem.release());
}

}  // namespace

void QtGrabber::pressPrintScreen(int typcapt) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    // The whole screen is every monitor, in device pixels.
    const PixelRect desktop = DesktopGeometry(qtMonitors(), 15).desktop();
    if (void* display = x11Display()) {
        // Root coordinates are device pixels.
        QRect r;
        if (typcapt == 0) {
            const x11::Rect root = x11::rootArea(display);
            r = QRect(0, 0, root.width, root.height);
            if (!desktop.empty()) r &= QRect(desktop.x, desktop.y, desktop.width, desktop.height);
        } else {
            const auto frame = x11::activeFrame(display);
            if (!frame) return;
            r = QRect(frame->x, frame->y, frame->width, frame->height);
        }
        if (!root_) root_ = std::make_unique<x11::RootGrabber>(display);
        QImage shot = grabRoot24(*root_, r);
        if (!shot.isNull()) {
            putImageOnClipboard(shot);
            return;
        }
        // A server that refuses: Qt's own grab below.
    }
    QPixmap shot;
    if (typcapt == 0) {
        // Qt takes the rectangle in the primary's own units, from its place.
        const qreal dpr = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
        const QRect g = screen->geometry();
        shot = desktop.empty() ? screen->grabWindow(0)
                               : screen->grabWindow(0, qRound((desktop.x - g.x()) / dpr), qRound((desktop.y - g.y()) / dpr),
                                                    qRound(desktop.width / dpr), qRound(desktop.height / dpr));
    } else {
        const auto frame = x11::activeFrame(x11Display());
        if (!frame) return;
        // Root coordinates are device pixels; grabWindow takes Qt's own.
        const qreal dpr = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
        const QRect g = screen->geometry();
        shot = screen->grabWindow(0, static_cast<int>(frame->x / dpr) - g.x(), static_cast<int>(frame->y / dpr) - g.y(),
                                  static_cast<int>(frame->width / dpr), static_cast<int>(frame->height / dpr));
    }
    if (shot.isNull()) return;
    putImageOnClipboard(shot.toImage().convertToFormat(QImage::Format_BGR888));
}

QtKeyboard::QtKeyboard() = default;
QtKeyboard::~QtKeyboard() = default;

void* QtKeyboard::display() {
    if (!displayKnown_) {
        display_ = x11Display();
        displayKnown_ = true;
    }
    return display_;
}

void QtKeyboard::beginPoll() {
    void* display = this->display();
    if (!display) return;
    // The key state alone misses a tap shorter than the poll; read key by
    // key, a chord typed within a few milliseconds could be split between
    // two polls and whole in neither.
    if (!presses_) {
        presses_ = std::make_unique<x11::KeyPresses>(display);
        const int fd = presses_->connection();
        if (fd >= 0) {
            // Key events are taken in as they come (the event loop runs
            // between polls), so the poll itself reads nothing at rest.
            watcher_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            x11::KeyPresses* presses = presses_.get();
            QObject::connect(watcher_.get(), &QSocketNotifier::activated, watcher_.get(), [this, presses] {
                presses->fetch();
                if (auto wake = std::exchange(wake_, nullptr)) wake();
            });
        }
    }
    presses_->read();
}

bool QtKeyboard::restUntilKeyMoves(std::function<void()> wake) {
    if (!presses_ || !watcher_ || !presses_->quiet()) return false;
    wake_ = std::move(wake);
    return true;
}

bool QtKeyboard::keyDown(int virtualKey) {
    void* display = this->display();
    if (!display) return false;
    auto it = keycodes_.find(virtualKey);
    if (it == keycodes_.end()) it = keycodes_.emplace(virtualKey, x11::keycodesFor(display, virtualKey)).first;
    if (presses_ && presses_->working()) return presses_->wasDown(it->second);
    return x11::anyKeyDown(x11::keyMap(display), it->second);
}

}  // namespace vis
