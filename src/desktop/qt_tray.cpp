// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon, shown for the whole run.

#include "desktop/qt_tray.h"

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "desktop/qt_image.h"

namespace vis {

QtTray::QtTray(Runner run) : run_(std::move(run)) {}

QtTray::~QtTray() { remove(); }

void QtTray::add(const Bitmap& picture, const std::string& tip, std::function<void(int)> onMessage) {
    onMessage_ = std::move(onMessage);
    if (!icon_) {
        icon_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             // Queued: the handler may open a menu or remove this very icon.
                             int message = 0;
                             if (reason == QSystemTrayIcon::DoubleClick) message = kLeftDoubleClick;
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
