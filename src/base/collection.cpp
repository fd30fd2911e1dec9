// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/collection.h"

namespace vis {

bool Collection::add(CaptureSlot c) {
    if (count_ >= kMaxCaptures) {
        current_ = kMaxCaptures;
        return false;
    }
    c.saved = false;
    slots_[static_cast<std::size_t>(count_)] = std::move(c);
    current_ = ++count_;
    return true;
}

void Collection::remove(int i) {
    if (exists(i)) {
        for (int k = i; k < count_; ++k)
            slots_[static_cast<std::size_t>(k) - 1] = slots_[static_cast<std::size_t>(k)];
        --count_;
        // The old last slot keeps its sizes; its picture is a copy now.
        slots_[static_cast<std::size_t>(count_)].picture = {};
    }
    current_ = 0;
}

void Collection::clear() {
    for (int s = 0; s < count_; ++s) slots_[static_cast<std::size_t>(s)].picture = {};
    count_ = 0;
    shown = false;
}

void Collection::setSaved(int i, bool saved) {
    if (exists(i)) slots_[static_cast<std::size_t>(i) - 1].saved = saved;
}

bool Collection::markSaved(int numero, const Bitmap& picture) {
    auto holds = [&](int i) { return capture(i).picture.sameAs(picture); };
    int found = exists(numero) && holds(numero) ? numero : 0;
    for (int i = 1; i <= count_ && found == 0; ++i)
        if (holds(i)) found = i;
    setSaved(found);
    return found != 0;
}

std::vector<int> Collection::unsaved() const {
    std::vector<int> out;
    for (int i = 1; i <= count_; ++i)
        if (!capture(i).saved) out.push_back(i);
    return out;
}

}  // namespace vis
