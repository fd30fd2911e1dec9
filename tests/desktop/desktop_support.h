// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small helpers shared by the desktop tests.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>
#include <string>
#include <utility>

#include "platform/services.h"

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

// Every folder of the program in one (a test's own), the rest of the
// desktop's services as they are.
class FolderPaths final : public IPaths {
public:
    explicit FolderPaths(std::string folder) : folder_(std::move(folder)) {}
    std::string programFolder() const override { return folder_; }
    std::string configFolder() const override { return folder_; }
    std::string documentsFolder() const override { return folder_; }
    std::string recoveryFolder() const override { return folder_ + "/recovery"; }

private:
    std::string folder_;
};

inline Platform withPaths(Platform& s, IPaths& paths) {
    return Platform{s.screen,   s.clipboard, s.grabber, s.clock,   s.windows, s.messages,   s.sound, s.dialogs,
                    s.keyboard, paths,       s.tray,    s.printer, s.mail,    s.systemInfo, s.jobs};
}

}  // namespace vis::test
