// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon, shown for the whole run.

#include "desktop/qt_tray.h"

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "desktop/qt_image.h"

#ifdef VIS_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#endif

namespace vis {

namespace {

// Whether Qt shows the icon through a StatusNotifierItem host, as it decides
// once: a watcher on the session bus that has a host. Such a host sends a
// single activation for a left click, never a double click.
bool statusNotifierTray() {
#ifdef VIS_HAVE_DBUS
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher)) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
#else
    return false;
#endif
}

}  // namespace

QtTray::QtTray(Runner run) : run_(std::move(run)) {}

QtTray::~QtTray() { remove(); }

void QtTray::add(const Bitmap& picture, const std::string& tip, std::function<void(int)> onMessage) {
    onMessage_ = std::move(onMessage);
    if (!icon_) {
        statusNotifier_ = statusNotifierTray();
        icon_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             // Queued: the handler may open a menu or remove this very icon.
                             int message = 0;
                             if (reason == QSystemTrayIcon::DoubleClick) message = kLeftDoubleClick;
                             // Under an XEmbed tray a single click stays without effect.
                             if (reason == QSystemTrayIcon::Trigger && statusNotifier_) message = kLeftDoubleClick;
                             if (reason == QSystemTrayIcon::Context) message = kRightDown;
                             if (!message) return;
                             QMetaObject::invokeMethod(
                                 icon_.get(),
                                 [this, message] {
                                     if (!onMessage_) return;
                                     auto handler = onMessage_;
                                     const auto call = [handler, message] { handler(message); };
                                     if (run_)
                                         run_(call);
                                     else
                                         call();
                                 },
                                 Qt::QueuedConnection);
                         });
    }
    icon_->setIcon(picture.isNull() ? QApplication::windowIcon() : QIcon(QPixmap::fromImage(imageOf(picture, true))));
    icon_->setToolTip(QString::fromStdString(tip));
    icon_->show();
}

void QtTray::remove() {
    if (!icon_) return;
    icon_->hide();
    icon_.release()->deleteLater();
    onMessage_ = nullptr;
}

bool QtTray::available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

QSystemTrayIcon* QtTray::icon() const { return icon_.get(); }

}  // namespace vis
