// SPDX-License-Identifier: GPL-3.0-or-later
// Creates the widget of each element of a window and keeps it in step with its model: text, font, geometry, colours.

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "desktop/qt_image.h"
#include "desktop/renderer_impl.h"

namespace vis {

namespace {

// 0 means "the toolkit's default".
QColor colorOf(std::uint32_t c) { return c == 0 ? QColor() : QColor::fromRgb(static_cast<QRgb>(c | 0xFF000000u)); }

// Line breaks as the program writes them (CR LF).
QString displayText(const std::string& caption) {
    QString t = qs(caption);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

bool isSurface(ControlKind k) {
    return k == ControlKind::PictureBox || k == ControlKind::Image || k == ControlKind::Label ||
           k == ControlKind::Shape || k == ControlKind::Line;
}

QFont fontFor(const Control& c) {
    QFont f = QApplication::font();
    if (!c.fontName.empty()) f.setFamily(qs(c.fontName));
    if (c.fontSize > 0) f.setPointSizeF(c.fontSize);
    return f;
}

}  // namespace

QWidget* QtRenderer::Impl::createControlWidget(WindowView& v, const Control& c) {
    Window* w = v.model;
    const std::uint64_t id = c.id;
    QWidget* parent = v.client;
    switch (c.kind) {
        case ControlKind::TextBox: {
            auto* e = new QLineEdit(parent);
            QObject::connect(e, &QLineEdit::textEdited, e, [this, w, id](const QString& t) { textEdited(w, id, t); });
            return e;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(parent);
            QObject::connect(b, &QCheckBox::clicked, b, [this, w, id] { checkClicked(w, id); });
            return b;
        }
        case ControlKind::Slider: {
            auto* s = new QSlider(parent);
            s->setTracking(false);  // one change when the thumb is let go
            QObject::connect(s, &QSlider::valueChanged, s, [this, w, id](int value) { sliderChanged(w, id, value); });
            return s;
        }
        case ControlKind::Button: {
            auto* b = new QPushButton(parent);
            QObject::connect(b, &QPushButton::clicked, b, [this, w, id] { buttonClicked(w, id); });
            return b;
        }
        default:
            return new SurfaceWidget(this, w, id, c.kind, parent);
    }
}

void QtRenderer::Impl::syncControls(WindowView& v) {
    Window& w = *v.model;
    // Later elements lie over earlier ones, whatever created or moved them.
    std::vector<std::uint64_t>& order = orderScratch;
    order.clear();
    bool restack = false;
    for (auto& c : w.controls) {
        order.push_back(c->id);
        auto it = v.controls.find(c->id);
        if (it == v.controls.end() || !it->second.widget) {
            ControlView cv;
            cv.kind = c->kind;
            cv.widget = createControlWidget(v, *c);
            v.controls[c->id] = std::move(cv);
            restack = true;
        }
    }
    if (order != v.stacking) restack = true;
    // The same elements as at the last sync: those with a view are the live
    // ones, and none is to be removed.
    std::unordered_set<std::uint64_t>& live = liveScratch;
    live.clear();
    const bool sameElements = !restack;
    if (!sameElements) live.insert(order.begin(), order.end());
    const auto isLive = [&](std::uint64_t id) {
        return sameElements ? v.controls.count(id) > 0 : live.count(id) > 0;
    };
    // Parents first, so that no widget still inside a removed one is lost
    // with it.
    for (auto& c : w.controls) {
        ControlView& cv = v.controls[c->id];
        std::uint64_t parentId = 0;
        QWidget* parent = v.client;
        if (c->container && isLive(c->container->id) && c->container != c.get()) {
            auto pit = v.controls.find(c->container->id);
            // A container inside its own element would make a loop of widgets.
            if (pit != v.controls.end() && pit->second.widget && !cv.widget->isAncestorOf(pit->second.widget)) {
                parentId = c->container->id;
                parent = pit->second.widget;
            }
        }
        if (cv.widget->parentWidget() != parent) {
            cv.widget->setParent(parent);
            cv.fresh = true;
            restack = true;
        }
        cv.parentId = parentId;
    }
    for (auto it = v.controls.begin(); !sameElements && it != v.controls.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        if (QWidget* old = it->second.widget) {
            // A handler of this very widget may be on the stack.
            old->hide();
            old->deleteLater();
        }
        it = v.controls.erase(it);
    }
    for (auto& c : w.controls) applyControl(v, v.controls[c->id], *c);
    if (restack) {
        for (auto& c : w.controls) v.controls[c->id].widget->raise();
        v.stacking = order;
    }
}

void QtRenderer::Impl::applyControl(WindowView& v, ControlView& cv, Control& c) {
    QWidget* wid = cv.widget;
    Shown& s = cv.shown;
    const bool fresh = cv.fresh;
    cv.fresh = false;
    auto* surface = isSurface(c.kind) ? static_cast<SurfaceWidget*>(wid) : nullptr;

    // Text and font before the geometry: a label may size itself to them.
    const bool fontChanged = fresh || s.fontName != c.fontName || s.fontSize != c.fontSize;
    if (fontChanged) {
        if (c.fontName.empty() && c.fontSize <= 0)
            wid->setFont(QFont());
        else
            wid->setFont(fontFor(c));
        s.fontName = c.fontName;
        s.fontSize = c.fontSize;
    }
    const bool captionChanged = fresh || s.caption != c.caption;
    if (captionChanged) {
        switch (c.kind) {
            case ControlKind::Label:
                surface->text = displayText(c.caption);
                surface->setAccessibleName(surface->text);  // what a screen reader (or a test) reads
                break;
            case ControlKind::TextBox: {
                auto* e = static_cast<QLineEdit*>(wid);
                if (e->text() != qs(c.caption)) e->setText(qs(c.caption));
                break;
            }
            case ControlKind::CheckBox:
                static_cast<QCheckBox*>(wid)->setText(qs(c.caption));
                break;
            case ControlKind::Button:
                static_cast<QPushButton*>(wid)->setText(qs(c.caption));
                break;
            default:
                break;
        }
        s.caption = c.caption;
        if (surface) surface->update();
    }
    if (c.kind == ControlKind::Label && c.autoSize && (captionChanged || fontChanged || !s.autoSize)) {
        const QFontMetrics fm(wid->font());
        const int border = c.borderStyle == 1 ? 2 : 0;
        if (c.wordWrap) {
            // Keeps its width and grows downwards, a line per wrapped word.
            const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, pxX(c.width) - border), 100000),
                                            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, displayText(c.caption));
            c.height = (std::max(r.height(), fm.height()) + border) * tppY;
        } else {
            const QRect r =
                fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, displayText(c.caption));
            c.width = (r.width() + border) * tppX;
            c.height = (std::max(r.height(), fm.height()) + border) * tppY;
        }
    }
    s.autoSize = c.autoSize;

    // Geometry, relative to the container's inside.
    int inset = 0;
    if (cv.parentId) {
        auto pit = v.controls.find(cv.parentId);
        if (pit != v.controls.end() && isSurface(pit->second.kind))
            inset = static_cast<SurfaceWidget*>(pit->second.widget.data())->inset();
    }
    QRect rect;
    QPoint from, to;
    if (c.kind == ControlKind::Line) {
        const QPoint a(pxX(c.left), pxY(c.top)), b(pxX(c.x2), pxY(c.y2));
        rect = QRect(a, b).normalized().adjusted(0, 0, 1, 1).translated(inset, inset);
        from = a - rect.topLeft() + QPoint(inset, inset);
        to = b - rect.topLeft() + QPoint(inset, inset);
    } else {
        rect = QRect(pxX(c.left) + inset, pxY(c.top) + inset, std::max(0, pxX(c.width)), std::max(0, pxY(c.height)));
    }
    if (fresh || rect != s.rect) {
        wid->setGeometry(rect);
        s.rect = rect;
    }
    if (surface && (fresh || from != s.lineFrom || to != s.lineTo)) {
        surface->lineFrom = from;
        surface->lineTo = to;
        s.lineFrom = from;
        s.lineTo = to;
        surface->update();
    }

    if (fresh || s.enabled != c.enabled) {
        wid->setEnabled(c.enabled);
        s.enabled = c.enabled;
    }
    if (fresh || s.tooltip != c.tooltip) {
        wid->setToolTip(qs(c.tooltip));
        if (surface) applyAccessible(wid, c);
        s.tooltip = c.tooltip;
    }

    if (surface) {
        bool repaint = false;
        if (fresh || s.picture != c.picture.identity()) {
            surface->picture = imageOf(c.picture);
            surface->pictureId = c.picture.identity();
            s.picture = c.picture.identity();
            repaint = true;
        }
        if (fresh || s.devicePixels != c.devicePixels) {
            surface->devicePixels = c.devicePixels;
            s.devicePixels = c.devicePixels;
            repaint = true;
        }
        if (fresh || s.borderStyle != c.borderStyle || s.borderColor != c.borderColor || s.backColor != c.backColor ||
            s.foreColor != c.foreColor) {
            surface->borderStyle = c.borderStyle;
            surface->borderColor = c.borderColor == 0 ? QColor(Qt::black) : colorOf(c.borderColor);
            surface->backColor = colorOf(c.backColor);
            surface->foreColor = colorOf(c.foreColor);
            s.borderStyle = c.borderStyle;
            s.borderColor = c.borderColor;
            s.backColor = c.backColor;
            s.foreColor = c.foreColor;
            repaint = true;
        }
        if (repaint) {
            // A stretched picture covers all of its control: what lies under
            // it (the window's background) is not painted first.
            surface->setAttribute(Qt::WA_OpaquePaintEvent,
                                  c.kind == ControlKind::Image && !surface->picture.isNull());
            surface->update();
        }
        if (repaint && v.model->visible) surface->prepareScaled();
        if (fresh || s.cursor != c.cursor || s.cursorPicture != c.cursorPicture.identity() || s.hotX != c.hotSpotX ||
            s.hotY != c.hotSpotY) {
            switch (c.cursor) {
                case CursorKind::Default:
                    wid->unsetCursor();
                    break;
                case CursorKind::Cross:
                    wid->setCursor(Qt::CrossCursor);
                    break;
                case CursorKind::Custom:
                    if (c.cursorPicture.isNull())
                        wid->unsetCursor();
                    else
                        wid->setCursor(
                            QCursor(QPixmap::fromImage(imageOf(c.cursorPicture, true)), c.hotSpotX, c.hotSpotY));
                    break;
            }
            s.cursor = c.cursor;
            s.cursorPicture = c.cursorPicture.identity();
            s.hotX = c.hotSpotX;
            s.hotY = c.hotSpotY;
        }
    }

    switch (c.kind) {
        case ControlKind::TextBox:
            if (fresh || s.maxLength != c.maxLength) {
                static_cast<QLineEdit*>(wid)->setMaxLength(c.maxLength > 0 ? c.maxLength : 32767);
                s.maxLength = c.maxLength;
            }
            break;
        case ControlKind::CheckBox:
            if (fresh || s.value != c.value) {
                auto* b = static_cast<QCheckBox*>(wid);
                b->setTristate(c.value == 2);
                b->setCheckState(c.value == 1 ? Qt::Checked : c.value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
                s.value = c.value;
            }
            break;
        case ControlKind::Slider: {
            auto* sl = static_cast<QSlider*>(wid);
            const bool vertical = c.width < c.height;
            if (fresh || s.vertical != vertical) {
                sl->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
                // The smallest value at the top, as a scroll bar has it.
                sl->setInvertedAppearance(vertical);
                sl->setInvertedControls(vertical);
                s.vertical = vertical;
            }
            if (fresh || s.min != c.min || s.max != c.max) {
                sl->setRange(c.min, c.max);
                sl->setPageStep(std::max(1, (c.max - c.min) / 10));
                s.min = c.min;
                s.max = c.max;
            }
            if (fresh || s.value != c.value || sl->value() != c.value) {
                sl->setValue(c.value);
                s.value = c.value;
            }
            break;
        }
        default:
            break;
    }

    if (fresh || s.visible != c.visible) {
        wid->setVisible(c.visible);
        s.visible = c.visible;
    }
}

}  // namespace vis
