// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vis {

// Threads for the background jobs, without a toolkit: jobs run in the order
// given, as many at a time as there are threads; their completions wait in a
// queue until the event loop's thread delivers them. A front end calls
// deliver() when told (wake) that one is ready.
class WorkerPool {
public:
    // wake is called from a worker each time a completion is queued.
    WorkerPool(int threads, std::function<void()> wake);
    // Lets the running jobs end; the jobs not started and the completions not
    // delivered are dropped.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const { return static_cast<int>(threads_.size()); }
    void start(std::function<void()> work, std::function<void()> done);
    // Runs the completions queued so far, in the order they came, on the
    // calling thread; a completion that starts another job is fine.
    void deliver();
    // Blocks until a completion is queued (for a loop without a toolkit).
    void waitForCompletion();

    // One per core, and never fewer than two: one picture's encoding must not
    // keep the next one waiting even on a single core's machine.
    static int defaultThreads();

private:
    struct Job {
        std::function<void()> work, done;
    };
    void loop();

    std::function<void()> wake_;
    std::mutex mutex_;
    std::condition_variable jobReady_, completionReady_;
    std::deque<Job> jobs_;
    std::deque<std::function<void()>> completions_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace vis
