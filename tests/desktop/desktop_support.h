// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers shared by the desktop tests.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace vis::test {

// Processes events until the condition holds or the time is up; returns the
// condition's last value. For what the window system does asynchronously.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace vis::test
