// SPDX-License-Identifier: GPL-3.0-or-later
// Builds each window's menu bar and menus from its model, and keeps their entries' state in step.

#include <QApplication>
#include <QKeySequence>

#include "desktop/renderer_impl.h"

namespace vis {

namespace {

bool isSeparator(const MenuEntry& e) { return e.separator || e.caption == "-"; }

// The entries in the order they were built, each with the number of its
// children: the same walk over the model finds whether its shape changed.
bool sameShape(const std::vector<std::unique_ptr<MenuEntry>>& list, const std::vector<BuiltEntry>& built,
               std::size_t& i) {
    for (auto& e : list) {
        if (i >= built.size()) return false;
        const BuiltEntry& b = built[i++];
        if (b.entry != e.get() || b.id != e->id || b.separator != isSeparator(*e) || b.children != e->children.size())
            return false;
        if (!sameShape(e->children, built, i)) return false;
    }
    return true;
}

void updateAction(QAction* a, const MenuEntry& e, MenuShown& s) {
    if (a->isSeparator()) {
        a->setVisible(e.visible);
        return;
    }
    // Text and shortcut cost a conversion each: touched only when changed.
    if (!s.known || s.caption != e.caption) {
        const QString text = qs(e.caption);
        if (a->text() != text) a->setText(text);
        s.caption = e.caption;
    }
    if (!s.known || s.shortcut != e.shortcut) {
        const QList<QKeySequence> shortcuts = QKeySequence::listFromString(qs(e.shortcut));
        if (a->shortcuts() != shortcuts) a->setShortcuts(shortcuts);
        s.shortcut = e.shortcut;
    }
    s.known = true;
    if (a->isEnabled() != e.enabled) a->setEnabled(e.enabled);
    if (a->isVisible() != e.visible) a->setVisible(e.visible);
    if (e.checked && !a->isCheckable()) a->setCheckable(true);
    if (a->isCheckable() && a->isChecked() != e.checked) a->setChecked(e.checked);
    if (!e.checked && a->isCheckable()) a->setCheckable(false);
}

}  // namespace

void releaseMenuBarFocus(QWidget* top) {
    if (!top || QApplication::activePopupWidget()) return;
    QWidget* f = QApplication::focusWidget();
    if (f && f->window() == top && qobject_cast<QMenuBar*>(f)) top->setFocus(Qt::OtherFocusReason);
}

QAction* QtRenderer::Impl::buildEntry(WindowView& v, MenuEntry& e) {
    Window* w = v.model;
    const std::uint64_t id = e.id;
    const std::size_t at = v.built.size();
    v.built.push_back({&e, id, isSeparator(e), e.children.size(), nullptr, {}});
    QAction* a = nullptr;
    if (!e.children.empty()) {
        auto* m = new QMenu(v.top);
        v.menuObjects.emplace_back(m);
        QObject::connect(m, &QMenu::aboutToShow, m, [this, w, id] { menuDropDown(w, id); });
        for (auto& child : e.children) m->addAction(buildEntry(v, *child));
        v.menus[id] = m;
        a = m->menuAction();
    } else {
        a = new QAction(v.top);
        v.menuObjects.emplace_back(a);
        if (isSeparator(e))
            a->setSeparator(true);
        else
            QObject::connect(a, &QAction::triggered, a, [this, w, id] { menuTriggered(w, id); });
    }
    v.actions[id] = a;
    v.built[at].action = a;
    return a;
}

void QtRenderer::Impl::rebuildMenus(WindowView& v) {
    v.bar->clear();
    for (auto& o : v.menuObjects)
        if (o) o->deleteLater();
    v.menuObjects.clear();
    v.actions.clear();
    v.built.clear();
    v.menus.clear();
    for (auto& e : v.model->menus) v.bar->addAction(buildEntry(v, *e));
    v.menusBuilt = true;
}

void QtRenderer::Impl::syncMenus(WindowView& v) {
    Window& w = *v.model;
    std::size_t walked = 0;
    if (!v.menusBuilt || !sameShape(w.menus, v.built, walked) || walked != v.built.size()) {
        // Never pull a menu from under the user while one is open.
        if (menuSignals > 0 || QApplication::activePopupWidget()) {
            QTimer::singleShot(50, &anchor, [this] { postSync(); });
            return;
        }
        rebuildMenus(v);
    }
    for (BuiltEntry& b : v.built)
        if (b.action) updateAction(b.action, *b.entry, b.shown);
    bool anyShown = false;
    for (auto& e : w.menus) anyShown = anyShown || e->visible;
    if (anyShown != v.barShown) {
        v.barShown = anyShown;
        v.bar->setVisible(anyShown);
        layoutTop(v);
    }
}

}  // namespace vis
