// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_portal_grab.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <ctime>

#include "desktop/png_reader.h"

namespace vis {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kResponse = QStringLiteral("Response");

// No portal on the bus, or one without screenshots: that will not change
// while the program runs.
bool meansNoPortal(const QString& error) {
    static const QStringList kinds = {
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        // What a portal answers for a property of an interface it lacks.
        QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
    };
    return kinds.contains(error);
}

bool notBefore(const timespec& t, const timespec& since) {
    return t.tv_sec > since.tv_sec || (t.tv_sec == since.tv_sec && t.tv_nsec >= since.tv_nsec);
}

// The portal's file, read only when it is a plain file of this user written
// since the request: a link, another's file or an older one is no picture of
// the screen now. Such a file the portal made for this request alone, and
// it goes once read.
QImage takePortalFile(const QString& uri, const timespec& since) {
    const QUrl url(uri);
    if (!url.isLocalFile()) return {};
    const QByteArray path = QFile::encodeName(url.toLocalFile());
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                      notBefore(st.st_mtim, since);
    QImage picture;
    if (ours) {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            const QByteArray bytes = file.readAll();
            picture = decodeRgbPng(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
            if (picture.isNull()) picture = QImage::fromData(bytes);
        }
    }
    ::close(fd);
    if (ours) ::unlink(path.constData());
    return picture;
}

// The Response signal of one request; the first one counts.
class Answer : public QObject {
    Q_OBJECT
public:
    QEventLoop loop;
    bool came = false;
    uint code = 2;
    QString uri;

public slots:
    void response(const QDBusMessage& m) {
        const QList<QVariant> args = m.arguments();
        if (came || args.size() < 2) return;
        came = true;
        code = args[0].toUInt();
        uri = qdbus_cast<QVariantMap>(args[1]).value(QStringLiteral("uri")).toString();
        loop.quit();
    }
};

}  // namespace

struct PortalGrabber::Impl {
    QDBusConnection bus;
    PortalTimes times;
    // Known at start-up when the bus says there is no portal to ask.
    bool absent = false;
    unsigned serial = 0;
    std::unique_ptr<QDBusPendingCallWatcher> probe;  // last: goes first

    bool subscribe(const QString& handle, Answer& a) {
        return bus.connect(kService, handle, kRequest, kResponse, &a, SLOT(response(QDBusMessage)));
    }
    void unsubscribe(const QString& handle, Answer& a) {
        bus.disconnect(kService, handle, kRequest, kResponse, &a, SLOT(response(QDBusMessage)));
    }
};

PortalGrabber::PortalGrabber(const QDBusConnection& bus, PortalTimes times)
    : d_(std::make_unique<Impl>(Impl{bus, times, false, 0, nullptr})) {
    if (!d_->bus.isConnected()) {
        d_->absent = true;
        return;
    }
    // Asked now, without waiting: the portal is started meanwhile (it may
    // take a second), and a bus without one is known before the first grab.
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kScreenshot << QStringLiteral("version");
    d_->probe = std::make_unique<QDBusPendingCallWatcher>(d_->bus.asyncCall(get));
    Impl* d = d_.get();
    QObject::connect(d->probe.get(), &QDBusPendingCallWatcher::finished, d->probe.get(),
                     [d](QDBusPendingCallWatcher* w) {
                         if (w->isError() && meansNoPortal(w->error().name())) d->absent = true;
                     });
}

PortalGrabber::~PortalGrabber() = default;

void PortalGrabber::pressPrintScreen(int typcapt) {
    Impl& d = *d_;
    failure_ = GrabFailure::Failed;
    if (d.absent) {
        failure_ = GrabFailure::Impossible;
        return;
    }
    // No wait for the compositor: once the X server and the window manager
    // have let the program's windows go (the renderer waits for that), the
    // compositor has their unmap before the portal's screenshot client asks
    // it for a frame. Under sway loaded 4 to 9: none in 70 pictures, where
    // waiting 50 ms cost a fifth of the grab. Tiled windows are the
    // exception: sway shows the old frame up to 200 ms while the others are
    // laid out again, which only the capture delay covers.

    const bool chooser = typcapt == 1;
    const QString token = QStringLiteral("vistrelle_%1_%2")
                              .arg(++d.serial)
                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    // Where the portal will answer, known before the call so that no answer
    // can come before we listen.
    QString sender = d.bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    QString handle = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    Answer a;
    if (!d.subscribe(handle, a)) return;

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenshot, QStringLiteral("Screenshot"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("interactive"), chooser}};
    timespec since{};
    // The clock the file system stamps files with.
    clock_gettime(CLOCK_REALTIME_COARSE, &since);
    const int limit = chooser ? d.times.chooserMs : d.times.answerMs;
    QDBusPendingCallWatcher reply(d.bus.asyncCall(call, limit));
    QString error;
    QObject::connect(&reply, &QDBusPendingCallWatcher::finished, &a, [&](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusObjectPath> r = *w;
        if (r.isError()) {
            error = r.error().name();
            a.loop.quit();
            return;
        }
        // A portal older than handle_token answers on a path of its own.
        const QString given = r.value().path();
        if (!a.came && given != handle && !given.isEmpty()) {
            d.unsubscribe(handle, a);
            handle = given;
            d.subscribe(handle, a);
        }
    });
    QTimer::singleShot(limit, Qt::PreciseTimer, &a.loop, &QEventLoop::quit);
    if (!a.came) a.loop.exec(QEventLoop::ExcludeUserInputEvents);
    d.unsubscribe(handle, a);

    if (!a.came) {
        if (meansNoPortal(error)) {
            d.absent = true;
            failure_ = GrabFailure::Impossible;
        } else if (error.isEmpty()) {
            // Too slow: the portal is told to drop the request.
            d.bus.send(QDBusMessage::createMethodCall(kService, handle, kRequest, QStringLiteral("Close")));
        }
        return;
    }
    if (a.code != 0) {
        if (a.code == 1 && chooser) failure_ = GrabFailure::Cancelled;
        return;
    }
    const QImage picture = takePortalFile(a.uri, since);
    if (picture.isNull()) return;
    QGuiApplication::clipboard()->setImage(picture.format() == QImage::Format_BGR888
                                               ? picture
                                               : picture.convertToFormat(QImage::Format_BGR888));
}

}  // namespace vis

#include "qt_portal_grab.moc"
