// SPDX-License-Identifier: GPL-3.0-or-later
// The portal grab against a fake org.freedesktop.portal.Desktop on a bus of
// the test's own (a dbus-daemon with no services to start, so that no real
// portal of the machine answers instead).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "desktop/qt_portal_grab.h"
#include "desktop/qt_services.h"
#include "desktop_support.h"

namespace vis {
namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kRoot = QStringLiteral("/org/freedesktop/portal/desktop");

// What the fake does with the next Screenshot call.
struct Script {
    bool withScreenshot = true;  // else an old portal without the interface
    bool answer = true;          // else never a Response (the timeout)
    uint code = 0;
    QString uri;
    QImage write;  // written at uri's path before answering, when not null
};

class FakePortal : public QDBusVirtualObject {
public:
    Script script;
    QVariantMap options;      // of the last Screenshot call
    QStringList closed;       // request paths the grabber closed
    QString answeredOn;       // the path of the last Response

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.member() == QLatin1String("Close")) {
            closed << m.path();
            bus.send(m.createReply());
            return true;
        }
        const bool get = m.member() == QLatin1String("Get");
        if (!script.withScreenshot && (get || m.member() == QLatin1String("Screenshot"))) {
            bus.send(m.createErrorReply(get ? QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs")
                                            : QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                        QStringLiteral("No such interface")));
            return true;
        }
        if (get) {
            bus.send(m.createReply(QVariant::fromValue(QDBusVariant(2u))));
            return true;
        }
        if (m.member() != QLatin1String("Screenshot")) return false;
        options = qdbus_cast<QVariantMap>(m.arguments().value(1));
        QString sender = m.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString handle =
            kRoot + QStringLiteral("/request/") + sender + QLatin1Char('/') + options.value("handle_token").toString();
        // The answer goes before the call's reply, as a quick portal's may:
        // only a grabber that listened before calling hears it.
        if (script.answer) {
            if (!script.write.isNull()) script.write.save(QUrl(script.uri).toLocalFile(), "PNG");
            QDBusMessage r = QDBusMessage::createTargetedSignal(m.service(), handle,
                                                               QStringLiteral("org.freedesktop.portal.Request"),
                                                               QStringLiteral("Response"));
            r << script.code << QVariantMap{{QStringLiteral("uri"), script.uri}};
            bus.send(r);
            answeredOn = handle;
        }
        bus.send(m.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        return true;
    }
};

class PortalGrab : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon missing (package dbus)";
        ASSERT_TRUE(dir.isValid());
        QFile conf(dir.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<policy context=\"default\"><allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                                  "</policy></busconfig>")
                       .arg(dir.path())
                       .toUtf8());
        conf.close();
        bus.start(daemon, {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                           QStringLiteral("--config-file=") + conf.fileName()});
        ASSERT_TRUE(bus.waitForStarted(5000));
        ASSERT_TRUE(bus.waitForReadyRead(5000));
        address = QString::fromUtf8(bus.readLine()).trimmed();
        clipboard.setBitmap({});
    }
    void TearDown() override {
        for (const QString& n : names) QDBusConnection::disconnectFromBus(n);
        if (bus.state() != QProcess::NotRunning) {
            bus.kill();
            bus.waitForFinished(5000);
        }
    }
    QDBusConnection connect(const QString& name) {
        names << name;
        return QDBusConnection::connectToBus(address, name);
    }
    // The fake on a connection of its own, as the real portal is.
    void startPortal() {
        QDBusConnection c = connect(QStringLiteral("portal"));
        ASSERT_TRUE(c.registerService(kPortal));
        ASSERT_TRUE(c.registerVirtualObject(kRoot, &portal, QDBusConnection::SubPath));
    }
    std::unique_ptr<PortalGrabber> grabber(int answerMs = 3000) {
        return std::make_unique<PortalGrabber>(connect(QStringLiteral("grabber")), PortalTimes{answerMs, answerMs});
    }
    QString fileUri(const QString& name) { return QUrl::fromLocalFile(dir.filePath(name)).toString(); }

    QTemporaryDir dir;
    QProcess bus;
    QString address;
    QStringList names;
    FakePortal portal;
    QtClipboard clipboard;
};

TEST_F(PortalGrab, ThePortalsPictureLandsOnTheClipboardPixelForPixelAndItsFileGoes) {
    startPortal();
    QImage shot(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) shot.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 255));
    portal.script = {true, true, 0, fileUri(QStringLiteral("shot.png")), shot};
    auto g = grabber();
    g->pressPrintScreen(0);

    ASSERT_TRUE(clipboard.hasBitmap());
    const Bitmap b = clipboard.bitmap();
    ASSERT_EQ(b.width(), 37);
    ASSERT_EQ(b.height(), 23);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(b.pixel(x, y) & 0xFFFFFFu, shot.pixel(x, y) & 0xFFFFFFu) << x << "," << y;
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("shot.png"))));
    EXPECT_EQ(portal.options.value(QStringLiteral("interactive")).toBool(), false);
    EXPECT_TRUE(portal.answeredOn.endsWith(portal.options.value(QStringLiteral("handle_token")).toString()));
    EXPECT_TRUE(g->userPicksWindow());

    // The active window: the desktop's own dialog, each time a new request.
    const QString firstToken = portal.options.value(QStringLiteral("handle_token")).toString();
    g->pressPrintScreen(1);
    EXPECT_TRUE(portal.options.value(QStringLiteral("interactive")).toBool());
    EXPECT_NE(portal.options.value(QStringLiteral("handle_token")).toString(), firstToken);
    EXPECT_TRUE(clipboard.hasBitmap());
}

TEST_F(PortalGrab, RefusalsCancelsAndFilesThatAreNoFreshPictureLeaveTheClipboardEmpty) {
    startPortal();
    auto g = grabber();
    const QString stale = dir.filePath(QStringLiteral("old.png"));
    QImage old(8, 8, QImage::Format_RGB32);
    old.fill(Qt::green);
    ASSERT_TRUE(old.save(stale, "PNG"));
    utimbuf past{1000000000, 1000000000};
    ASSERT_EQ(::utime(QFile::encodeName(stale).constData(), &past), 0);
    const QString link = dir.filePath(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(stale, link));

    struct Case {
        const char* name;
        int typcapt;
        Script script;
        GrabFailure expected;
    };
    const Case cases[] = {
        {"cancelled chooser", 1, {true, true, 1, {}, {}}, GrabFailure::Cancelled},
        {"refused without a dialog", 0, {true, true, 1, {}, {}}, GrabFailure::Failed},
        {"ended otherwise", 1, {true, true, 2, {}, {}}, GrabFailure::Failed},
        {"no such file", 0, {true, true, 0, fileUri(QStringLiteral("none.png")), {}}, GrabFailure::Failed},
        {"older than the request", 0, {true, true, 0, QUrl::fromLocalFile(stale).toString(), {}}, GrabFailure::Failed},
        {"a link", 0, {true, true, 0, QUrl::fromLocalFile(link).toString(), {}}, GrabFailure::Failed},
        {"not a file", 0, {true, true, 0, QStringLiteral("https://example.org/a.png"), {}}, GrabFailure::Failed},
    };
    for (const Case& c : cases) {
        portal.script = c.script;
        g->pressPrintScreen(c.typcapt);
        EXPECT_FALSE(clipboard.hasBitmap()) << c.name;
        EXPECT_EQ(g->lastFailure(), c.expected) << c.name;
    }
    // Files it did not make for the request are left alone.
    EXPECT_TRUE(QFile::exists(stale));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(PortalGrab, APortalThatNeverAnswersIsAFailureAndItsRequestIsClosed) {
    startPortal();
    portal.script.answer = false;
    auto g = grabber(300);
    QElapsedTimer t;
    t.start();
    g->pressPrintScreen(0);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_FALSE(clipboard.hasBitmap());
    EXPECT_EQ(g->lastFailure(), GrabFailure::Failed);
    ASSERT_TRUE(test::waitUntil([&] { return !portal.closed.isEmpty(); }));
    EXPECT_TRUE(portal.closed[0].endsWith(portal.options.value(QStringLiteral("handle_token")).toString()));
}

TEST_F(PortalGrab, NoPortalOrOneWithoutScreenshotsMeansNoGrabCanWork) {
    auto none = grabber();
    none->pressPrintScreen(0);
    EXPECT_EQ(none->lastFailure(), GrabFailure::Impossible);
    none.reset();

    startPortal();
    portal.script.withScreenshot = false;
    auto old = grabber();
    old->pressPrintScreen(0);
    EXPECT_EQ(old->lastFailure(), GrabFailure::Impossible);
    EXPECT_FALSE(clipboard.hasBitmap());
    EXPECT_TRUE(portal.options.isEmpty());
}

}  // namespace
}  // namespace vis
