// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/worker_pool.h"

#include <algorithm>

namespace vis {

WorkerPool::WorkerPool(int threads, std::function<void()> wake) : wake_(std::move(wake)) {
    for (int i = 0; i < std::max(threads, 1); ++i) threads_.emplace_back([this] { loop(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    jobReady_.notify_all();
    for (std::thread& t : threads_) t.join();
}

int WorkerPool::defaultThreads() { return std::max(2, static_cast<int>(std::thread::hardware_concurrency())); }

void WorkerPool::start(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({std::move(work), std::move(done)});
    }
    jobReady_.notify_one();
}

void WorkerPool::loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        if (job.work) job.work();
        // The work's own copies go here, on the worker, not on the event loop.
        job.work = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            completions_.push_back(std::move(job.done));
        }
        completionReady_.notify_all();
        if (wake_) wake_();
    }
}

void WorkerPool::deliver() {
    std::deque<std::function<void()>> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(completions_);
    }
    for (auto& done : ready)
        if (done) done();
}

void WorkerPool::waitForCompletion() {
    std::unique_lock lock(mutex_);
    completionReady_.wait(lock, [this] { return !completions_.empty(); });
}

}  // namespace vis
