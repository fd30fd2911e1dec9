// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a Qt timer for each enabled timer of a window's model.

#include <algorithm>

#include "desktop/renderer_impl.h"

namespace vis {

void QtRenderer::Impl::syncTimers(WindowView& v) {
    Window* w = v.model;
    bool added = false;
    for (auto& t : w->timers) {
        auto [at, isNew] = v.timers.try_emplace(t->id);
        added = added || isNew;
        TimerView& tv = at->second;
        if (!tv.timer) {
            tv.timer = new QTimer(v.top);
            const std::uint64_t id = t->id;
            QObject::connect(tv.timer, &QTimer::timeout, tv.timer, [this, w, id] { timerTick(w, id); });
            tv.interval = -1;
        }
        if (tv.interval != t->interval) {
            tv.timer->setInterval(std::max(0, t->interval));
            tv.interval = t->interval;
        }
        const bool run = t->enabled && t->interval > 0;
        if (!run) tv.resting = false;
        if (run && !tv.resting && !tv.timer->isActive()) tv.timer->start();
        if (!run && tv.timer->isActive()) tv.timer->stop();
    }
    // Every view still has its timer: nothing to remove.
    if (!added && v.timers.size() == w->timers.size()) return;
    for (auto it = v.timers.begin(); it != v.timers.end();) {
        if (findTimer(w, it->first)) {
            ++it;
            continue;
        }
        if (it->second.timer) {
            it->second.timer->stop();
            it->second.timer->deleteLater();
        }
        it = v.timers.erase(it);
    }
}

}  // namespace vis
