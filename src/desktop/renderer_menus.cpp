// Builds each window's menu bar and menus from its model, and keeps their entries' state in step.

#include <QApplication>
#include <QKeySequence>

#include "desktop/renderer_impl.h"

namespace vis {

namespace {

bool isSeparator(const MenuEntry& e) { return e.separator || e.caption == "-"; }

void shapeOf(const std::vector<std::unique_ptr<MenuEntry>>& list, std::vector<std::uint64_t>& out) {
    for (auto& e : list) {
        out.push_back(e->id);
        out.push_back(isSeparator(*e) ? 1 : 0);
        shapeOf(e->children, out);
        out.push_back(0);  // end of this entry's children
    }
}

void updateAction(QAction* a, const MenuEntry& e) {
    if (a->isSeparator()) {
        a->setVisible(e.visible);
        return;
    }
    const QString text = qs(e.caption);
    if (a->text() != text) a->setText(text);
    a->setEnabled(e.enabled);
    a->setVisible(e.visible);
    if (e.checked && !a->isCheckable()) a->setCheckable(true);
    if (a->isCheckable()) a->setChecked(e.checked);
    if (!e.checked && a->isCheckable()) a->setCheckable(false);
    const QKeySequence shortcut = e.shortcut.empty() ? QKeySequence() : QKeySequence(qs(e.shortcut));
    if (a->shortcut() != shortcut) a->setShortcut(shortcut);
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
    return a;
}

void QtRenderer::Impl::rebuildMenus(WindowView& v) {
    v.bar->clear();
    for (auto& o : v.menuObjects)
        if (o) o->deleteLater();
    v.menuObjects.clear();
    v.actions.clear();
    v.menus.clear();
    for (auto& e : v.model->menus) v.bar->addAction(buildEntry(v, *e));
    v.menusBuilt = true;
}

void QtRenderer::Impl::syncMenus(WindowView& v) {
    Window& w = *v.model;
    std::vector<std::uint64_t> shape;
    shapeOf(w.menus, shape);
    if (!v.menusBuilt || shape != v.menuShape) {
        // Never pull a menu from under the user while one is open.
        if (menuSignals > 0 || QApplication::activePopupWidget()) {
            QTimer::singleShot(50, &anchor, [this] { postSync(); });
            return;
        }
        rebuildMenus(v);
        v.menuShape = shape;
    }
    std::vector<MenuEntry*> stack;
    for (auto& e : w.menus) stack.push_back(e.get());
    while (!stack.empty()) {
        MenuEntry* e = stack.back();
        stack.pop_back();
        auto it = v.actions.find(e->id);
        if (it != v.actions.end() && it->second) updateAction(it->second, *e);
        for (auto& c : e->children) stack.push_back(c.get());
    }
    bool anyShown = false;
    for (auto& e : w.menus) anyShown = anyShown || e->visible;
    if (anyShown != v.barShown) {
        v.barShown = anyShown;
        v.bar->setVisible(anyShown);
        layoutTop(v);
    }
}

}  // namespace vis
