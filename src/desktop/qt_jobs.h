// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <atomic>
#include <functional>

#include "platform/services.h"
#include "platform/worker_pool.h"

namespace vis {

// The background jobs on the real machine: a pool of threads, whose
// completions come back to the event loop as a posted call, each batch run
// as a program handler (handle: the renderer's run).
class QtJobs final : public IBackgroundJobs {
public:
    explicit QtJobs(std::function<void(const std::function<void()>&)> handle);
    int workerCount() const override { return pool_.threads(); }
    void start(std::function<void()> work, std::function<void()> done) override;

private:
    void wake();
    std::function<void(const std::function<void()>&)> handle_;
    QObject anchor_;  // before the pool: the pool's threads are gone before it is
    std::atomic<bool> posted_{false};
    WorkerPool pool_;
};

}  // namespace vis
