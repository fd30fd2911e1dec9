// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vis {

namespace {
constexpr int kWaitMs = 1000;
const QByteArray kShow = QByteArrayLiteral("show\n");
}  // namespace

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

QString SingleInstance::defaultName() {
#ifdef _WIN32
    QString user = qEnvironmentVariable("USERNAME");
    QString display = QStringLiteral("desktop");
#else
    QString user = QString::number(getuid());
    QString display = qEnvironmentVariable("DISPLAY", QStringLiteral("none"));
#endif
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")), QStringLiteral("_"));
    return QStringLiteral("vistrelle-%1-%2").arg(user, display);
}

bool SingleInstance::handOver() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kShow);
    socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::listen(std::function<void()> onShowRequest) {
    onShow_ = std::move(onShowRequest);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered: a socket left by a copy that was killed is stale.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains('\n') && onShow_) onShow_();
            });
        }
    });
}

}  // namespace vis
