// SPDX-License-Identifier: GPL-3.0-or-later
// What keyboard users and screen readers need of the windows: picture
// buttons that Tab reaches and Space presses, named by their tooltips for
// AT-SPI readers, and menu shortcuts that work whatever the menus last showed.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>

#include "desktop/renderer_impl.h"

namespace vis {

namespace {

constexpr char kButtonProperty[] = "visPictureButton";

SurfaceWidget* pictureButton(QObject* o) {
    auto* w = qobject_cast<QWidget*>(o);
    return w && w->property(kButtonProperty).toBool() ? dynamic_cast<SurfaceWidget*>(w) : nullptr;
}

// A picture box that acts as a button, as a screen reader should present it.
class PictureButtonAccessible final : public QAccessibleWidget {
public:
    explicit PictureButtonAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action != pressAction()) return;
        if (SurfaceWidget* b = pictureButton(widget())) b->press();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {QStringLiteral("Space")}; }
};

QAccessibleInterface* accessibleFactory(const QString&, QObject* o) {
    SurfaceWidget* b = pictureButton(o);
    return b ? new PictureButtonAccessible(b) : nullptr;
}

bool hasShortcut(const MenuEntry& e, const QKeySequence& pressed) {
    if (!e.shortcut.empty())
        for (const QKeySequence& k : QKeySequence::listFromString(qs(e.shortcut)))
            if (k.matches(pressed) == QKeySequence::ExactMatch) return true;
    for (const auto& child : e.children)
        if (child->visible && hasShortcut(*child, pressed)) return true;
    return false;
}

}  // namespace

void applyAccessible(QWidget* widget, const Control& c) {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)installed;
    // The toolbar's buttons: clickable pictures that say what they do.
    const bool button = c.kind == ControlKind::PictureBox && c.onClick && !c.tooltip.empty();
    widget->setProperty(kButtonProperty, button);
    // A label without a tooltip keeps its caption as its name.
    if (!c.tooltip.empty()) widget->setAccessibleName(qs(c.tooltip));
    widget->setFocusPolicy(button ? Qt::TabFocus : Qt::NoFocus);
}

void SurfaceWidget::press() { r_->runOnClick(w_, id_); }

void SurfaceWidget::keyPressEvent(QKeyEvent* e) {
    // Space, as Qt's own buttons: Enter stays the window's, for a dialog's
    // default button.
    if (pictureButton(this) && e->key() == Qt::Key_Space && !e->isAutoRepeat() && e->modifiers() == Qt::NoModifier) {
        press();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);  // to the window, as before
}

void SurfaceWidget::focusInEvent(QFocusEvent* e) {
    // A window's activation gives the focus to its first control: a push
    // button or a text box goes before a picture, so that Enter still
    // reaches a dialog's default button.
    if (e->reason() == Qt::ActiveWindowFocusReason) {
        for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
            if (w->window() == window() && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window()) &&
                w->isEnabled() && !pictureButton(w)) {
                w->setFocus(Qt::ActiveWindowFocusReason);
                return;
            }
        }
    }
    update();
}

void SurfaceWidget::paintFocus(QPainter& p) const {
    // Shown once the keyboard has moved the focus, as Qt's own buttons do.
    if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange) ||
        !pictureButton(const_cast<SurfaceWidget*>(this)))
        return;
    // White dots on black: seen on the blue strip and on any picture.
    const QRect frame = rect().adjusted(2, 2, -3, -3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(frame);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.drawRect(frame);
}

// The key is about to be matched against the menus' shortcuts. Entries are
// enabled by their menu's drop-down handler, which runs only when the user
// opens the menu: run it now, so that the shortcut acts on what holds now.
void QtRenderer::Impl::shortcutComing(Window* w, const QKeyEvent* e) {
    if (syncing || ending || !viewOf(w)) return;
    const QKeySequence pressed(e->keyCombination());
    for (const auto& menu : w->menus)
        if (menu->visible && menu->onDropDown && hasShortcut(*menu, pressed)) menuDropDown(w, menu->id);
}

}  // namespace vis
