// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/signals.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#endif

namespace vis {

#ifndef _WIN32
namespace {
int pipeEnds[2] = {-1, -1};

// Only what is safe in a signal handler: one write.
void wake(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(pipeEnds[0], &byte, 1);
}
}  // namespace

void onTerminationSignals(std::function<void()> onSignal) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0) return;
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, onSignal] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(pipeEnds[1], &byte, 1);
        notifier->setEnabled(false);
        onSignal();
    });
    struct sigaction sa = {};
    sa.sa_handler = wake;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}
#else
void onTerminationSignals(std::function<void()>) {}
#endif

}  // namespace vis
