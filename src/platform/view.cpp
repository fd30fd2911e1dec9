// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/view.h"

#include <algorithm>

namespace vis {

std::uint64_t nextViewId() {
    static std::uint64_t next = 0;
    return ++next;
}

MenuEntry& MenuEntry::add(const std::string& entryName, const std::string& entryCaption) {
    auto e = std::make_unique<MenuEntry>();
    e->name = entryName;
    e->caption = entryCaption;
    children.push_back(std::move(e));
    return *children.back();
}

MenuEntry* MenuEntry::find(const std::string& entryName) {
    if (name == entryName) return this;
    for (auto& c : children)
        if (MenuEntry* f = c->find(entryName)) return f;
    return nullptr;
}

Control& Window::addControl(ControlKind kind, const std::string& controlName, int index) {
    auto c = std::make_unique<Control>();
    c->kind = kind;
    c->name = controlName;
    c->index = index;
    controls.push_back(std::move(c));
    return *controls.back();
}

void Window::removeControl(const Control* c) {
    // Elements drawn inside the removed one go with it.
    for (auto& other : controls)
        if (other->container == c) other->container = nullptr;
    controls.erase(std::remove_if(controls.begin(), controls.end(), [c](const auto& p) { return p.get() == c; }),
                   controls.end());
}

Control* Window::find(const std::string& controlName, int index) {
    for (auto& c : controls)
        if (c->name == controlName && c->index == index) return c.get();
    return nullptr;
}

MenuEntry& Window::addMenu(const std::string& menuName, const std::string& menuCaption) {
    auto e = std::make_unique<MenuEntry>();
    e->name = menuName;
    e->caption = menuCaption;
    menus.push_back(std::move(e));
    return *menus.back();
}

MenuEntry* Window::findMenu(const std::string& menuName) {
    for (auto& m : menus)
        if (MenuEntry* f = m->find(menuName)) return f;
    return nullptr;
}

Timer& Window::addTimer(const std::string& timerName, int interval, bool enabled) {
    auto t = std::make_unique<Timer>();
    t->name = timerName;
    t->interval = interval;
    t->enabled = enabled;
    timers.push_back(std::move(t));
    return *timers.back();
}

void Window::clear() {
    controls.clear();
    menus.clear();
    timers.clear();
}

}  // namespace vis
