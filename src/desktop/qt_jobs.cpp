// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_jobs.h"

#include <QMetaObject>

namespace vis {

QtJobs::QtJobs(std::function<void(const std::function<void()>&)> handle)
    : handle_(std::move(handle)), pool_(WorkerPool::defaultThreads(), [this] { wake(); }) {}

void QtJobs::start(std::function<void()> work, std::function<void()> done) {
    pool_.start(std::move(work), std::move(done));
}

// One posted call for all the completions that come before it runs.
void QtJobs::wake() {
    if (posted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        &anchor_,
        [this] {
            posted_ = false;
            handle_([this] { pool_.deliver(); });
        },
        Qt::QueuedConnection);
}

}  // namespace vis
