// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_clipboard.h"

#include <QAbstractNativeEventFilter>
#include <QBuffer>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "desktop/qt_services.h"

#if !defined(_WIN32)
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace vis {

namespace {
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kPng = QStringLiteral("image/png");
const QString kBmp = QStringLiteral("image/bmp");

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) return {};
    return bytes;
}
}  // namespace

// xfce4-clipman 1.6 keeps a copy of every format at each change and puts it
// back when the owner leaves, all but the first one it fetched: so BMP comes
// first, and PNG, which every program reads, is the one kept.
QStringList ClipboardImage::formats() const { return {kBmp, kPng}; }

// The program itself reads the picture back as it is, without encoding.
bool ClipboardImage::hasFormat(const QString& mimeType) const {
    return mimeType == kQtImage || mimeType == kPng || mimeType == kBmp;
}

QVariant ClipboardImage::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType == kQtImage) return image_;
    // Screen pictures are mostly flat colours: light compression keeps them
    // small and takes a fraction of the default's time.
    if (mimeType == kPng) {
        if (png_.isEmpty()) png_ = encoded(image_, "PNG", 80);
        return png_;
    }
    if (mimeType == kBmp) {
        if (bmp_.isEmpty()) bmp_ = encoded(image_, "BMP", -1);
        return bmp_;
    }
    return {};
}

void putImageOnClipboard(const QImage& image) {
#ifdef _WIN32
    // The system makes its own formats of a bitmap.
    QGuiApplication::clipboard()->setImage(image);
#else
    QGuiApplication::clipboard()->setMimeData(new ClipboardImage(image));
#endif
}

#if defined(_WIN32)

void handClipboardOver(int) {}  // the system keeps the clipboard itself

#else

namespace {

// Watches the X events of the hand-over: the manager's answer, and any
// traffic of a transfer under way.
class HandOverWatch final : public QAbstractNativeEventFilter {
public:
    HandOverWatch(unsigned long requestor, QEventLoop& loop, QTimer& quiet)
        : requestor_(requestor), loop_(loop), quiet_(quiet) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        switch (e->response_type & 0x7f) {
            case XCB_SELECTION_NOTIFY:
                if (reinterpret_cast<const xcb_selection_notify_event_t*>(e)->requestor == requestor_) loop_.quit();
                break;
            case XCB_SELECTION_REQUEST:
            case XCB_PROPERTY_NOTIFY:
                quiet_.start();
                break;
            default:
                break;
        }
        return false;
    }

private:
    unsigned long requestor_;
    QEventLoop& loop_;
    QTimer& quiet_;
};

// A manager that keeps to the protocol answers the request once it has
// copied the clipboard. Some never answer (xfce4-clipman 1.6 copies at each
// change instead): once nobody has asked for anything for this long, the
// copy is taken to be done.
constexpr int kQuietMilliseconds = 150;

}  // namespace

void handClipboardOver(int maxMilliseconds) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* display = static_cast<Display*>(x11Display());
    if (!display || !clipboard->ownsClipboard()) return;
    const Atom manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
    if (XGetSelectionOwner(display, manager) != None) {
        // The manager's requests are answered by Qt in the running event
        // loop, large transfers included; Qt's own hand-over at its exit
        // answers only some of them, and waits 5 s for an answer that some
        // managers never send.
        const ::Window requestor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
        XConvertSelection(display, manager, XInternAtom(display, "SAVE_TARGETS", False),
                          XInternAtom(display, "VISTRELLE_SAVED", False), requestor, CurrentTime);
        XFlush(display);
        QEventLoop loop;
        QTimer quiet;
        quiet.setSingleShot(true);
        quiet.setInterval(kQuietMilliseconds);
        QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer::singleShot(maxMilliseconds, &loop, &QEventLoop::quit);
        HandOverWatch watch(requestor, loop, quiet);
        QCoreApplication::instance()->installNativeEventFilter(&watch);
        quiet.start();
        loop.exec();
        QCoreApplication::instance()->removeNativeEventFilter(&watch);
        XDestroyWindow(display, requestor);
    }
    // The manager has its copy (or there is none): the clipboard is left
    // empty, as the program's end would leave it, and Qt has nothing to wait for.
    clipboard->clear();
}

#endif

}  // namespace vis
