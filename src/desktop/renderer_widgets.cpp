// SPDX-License-Identifier: GPL-3.0-or-later
// The widgets a window is built from: they paint the custom-drawn elements and forward keys and the mouse.

#include <qdrawutil.h>

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "desktop/qt_image.h"
#include "desktop/renderer_impl.h"

namespace vis {

namespace {

int shiftOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int buttonBit(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return kLeftButton;
        case Qt::RightButton:
            return kRightButton;
        case Qt::MiddleButton:
            return kMiddleButton;
        default:
            return 0;
    }
}

int buttonBits(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? kLeftButton : 0) | (b & Qt::RightButton ? kRightButton : 0) |
           (b & Qt::MiddleButton ? kMiddleButton : 0);
}

// Windows virtual-key codes, which the program's key handlers expect.
int virtualKeyOf(const QKeyEvent* e) {
    const int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return (e->modifiers() & Qt::KeypadModifier) ? 96 + (k - Qt::Key_0) : '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Printer:
            // VK_PRINT: what Qt makes of that key on Windows. X11 has no
            // keysym for it (its Print is the Print Screen key, 44).
            return 42;
        case Qt::Key_Print:
            return 44;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        default:
            return 0;
    }
}

}  // namespace

TopWidget::TopWidget(Impl* r, Window* w) : r_(r), w_(w) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Can hold the focus itself, so that its keys reach the window.
    setFocusPolicy(Qt::ClickFocus);
}

bool TopWidget::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) r_->activated(w_);
    if (e->type() == QEvent::ShortcutOverride) r_->shortcutComing(w_, static_cast<QKeyEvent*>(e));
    return QWidget::event(e);
}

void TopWidget::closeEvent(QCloseEvent* e) {
    // The program decides: the close box only asks.
    e->ignore();
    r_->closeRequested(w_);
}

void TopWidget::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange) r_->scheduleReconcile(w_);
    QWidget::changeEvent(e);
}

void TopWidget::moveEvent(QMoveEvent*) { r_->scheduleReconcile(w_); }

void TopWidget::resizeEvent(QResizeEvent*) {
    if (WindowView* v = r_->viewOf(w_)) r_->layoutTop(*v);
    r_->scheduleReconcile(w_);
}

void TopWidget::keyPressEvent(QKeyEvent* e) {
    const int vk = virtualKeyOf(e);
    if (vk) r_->keyPressed(w_, vk, shiftOf(e->modifiers()));
    e->accept();
}

ClientWidget::ClientWidget(Impl* r, Window* w, QWidget* parent) : QWidget(parent), r_(r), w_(w) {
    setMouseTracking(true);
}

void ClientWidget::mouseMoveEvent(QMouseEvent* e) {
    MouseEvent ev;
    ev.button = buttonBits(e->buttons());
    ev.shift = shiftOf(e->modifiers());
    ev.x = e->position().x() * r_->tppX;
    ev.y = e->position().y() * r_->tppY;
    r_->windowMouseMove(w_, ev);
}

SurfaceWidget::SurfaceWidget(Impl* r, Window* w, std::uint64_t id, ControlKind kind, QWidget* parent)
    : QWidget(parent), r_(r), w_(w), id_(id), kind_(kind) {
    if (kind == ControlKind::Shape || kind == ControlKind::Line)
        setAttribute(Qt::WA_TransparentForMouseEvents);
    else
        setMouseTracking(true);
}

namespace {
// The largest 32-bit copy kept for display (a 4K screen's): beyond it, the
// copy would weigh as much as the capture and the window's own buffer.
bool fitsDisplayCopy(QSize size) { return qint64{size.width()} * size.height() * 4 <= (qint64{32} << 20); }
}  // namespace

void SurfaceWidget::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    switch (kind_) {
        case ControlKind::PictureBox: {
            if (displayId_ != pictureId) {
                display_ = QPixmap();
                displayId_ = pictureId;
                displayPaints_ = 0;
            }
            p.fillRect(rect(), backColor.isValid() ? backColor : palette().color(QPalette::Window));
            const int in = inset();
            const QRect inside = rect().adjusted(in, in, -in, -in);
            if (!picture.isNull()) {
                // 1:1 at the top left, in device pixels for what the screen
                // gave; only the exposed part is copied.
                const qreal k = devicePixels ? devicePixelRatioF() : 1.0;
                const QRectF shown(QPointF(in, in), QSizeF(picture.size()) / k);
                const QRectF target = QRectF(e->rect().intersected(inside)).intersected(shown);
                if (!target.isEmpty()) {
                    const QRectF source((target.topLeft() - QPointF(in, in)) * k, target.size() * k);
                    // A 24-bit capture is converted as it is drawn: a picture
                    // painted again (a selection dragged over it) is converted
                    // once for all instead, unless that copy would be huge.
                    if (picture.format() == QImage::Format_BGR888 && display_.isNull() && ++displayPaints_ >= 2 &&
                        fitsDisplayCopy(picture.size()))
                        display_ = QPixmap::fromImage(picture);
                    if (!display_.isNull())
                        p.drawPixmap(target, display_, source);
                    else
                        p.drawImage(target, picture, source);
                }
            }
            if (borderStyle == 1) qDrawWinPanel(&p, rect(), palette(), true);
            break;
        }
        case ControlKind::Image: {
            if (!picture.isNull() && width() > 0 && height() > 0) {
                const qreal dpr = devicePixelRatioF();
                const QSize want = scaledSize();
                if (picture.format() == QImage::Format_BGR888 && !fitsDisplayCopy(want)) {
                    // A second copy as large as the capture is not kept: the
                    // exposed part is reduced afresh from the capture itself.
                    scaled_ = QPixmap();
                    scaledId_ = nullptr;
                    const QRect part = QRectF(QRectF(e->rect()).topLeft() * dpr, QSizeF(e->rect().size()) * dpr)
                                           .toAlignedRect()
                                           .intersected(QRect(QPoint(0, 0), want));
                    // In bands of about 4 MiB, not a whole-window image at once.
                    const int band = std::max(1, (4 << 20) / std::max(1, part.width() * 4));
                    for (int y = part.top(); y <= part.bottom(); y += band) {
                        const QRect strip(part.left(), y, part.width(), std::min(band, part.bottom() + 1 - y));
                        QImage piece = scaledImage(picture, want, strip);
                        if (piece.isNull()) continue;
                        piece.setDevicePixelRatio(dpr);
                        p.drawImage(QPointF(strip.topLeft()) / dpr, piece);
                    }
                } else {
                    if (scaledId_ != pictureId || scaled_.size() != want) {
                        // Once per picture and size: a full-screen capture
                        // is never scaled again at the next paint.
                        scaled_ = QPixmap();
                        const bool ready = pending_.valid() && pendingId_ == pictureId && pendingSize_ == want;
                        scaled_ = QPixmap::fromImage(ready ? pending_.get() : scaledImage(picture, want));
                        pendingId_ = nullptr;
                        scaled_.setDevicePixelRatio(dpr);
                        scaledId_ = pictureId;
                    }
                    p.drawPixmap(0, 0, scaled_);
                }
            } else {
                scaled_ = QPixmap();
                scaledId_ = nullptr;
            }
            if (borderStyle == 1) qDrawWinPanel(&p, rect(), palette(), true);
            break;
        }
        case ControlKind::Label: {
            if (backColor.isValid()) p.fillRect(rect(), backColor);
            const int in = borderStyle == 1 ? 1 : 0;
            if (borderStyle == 1) {
                p.setPen(QColor(Qt::black));
                p.drawRect(rect().adjusted(0, 0, -1, -1));
            }
            p.setPen(foreColor.isValid() ? foreColor : palette().color(QPalette::WindowText));
            p.setFont(font());
            p.drawText(rect().adjusted(in, in, -in, -in), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
            break;
        }
        case ControlKind::Shape:
            p.setPen(QPen(borderColor, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
            break;
        case ControlKind::Line:
            p.setPen(QPen(borderColor, 1));
            p.drawLine(lineFrom, lineTo);
            break;
        default:
            break;
    }
    paintFocus(p);
}

QSize SurfaceWidget::scaledSize() const {
    const qreal dpr = devicePixelRatioF();
    return {qRound(width() * dpr), qRound(height() * dpr)};
}

void SurfaceWidget::prepareScaled() {
    if (kind_ != ControlKind::Image || picture.isNull() || picture.format() != QImage::Format_BGR888) return;
    const QSize want = scaledSize();
    if (want.isEmpty() || !fitsDisplayCopy(want)) return;
    if ((scaledId_ == pictureId && scaled_.size() == want) || (pendingId_ == pictureId && pendingSize_ == want))
        return;
    // The picture is immutable and its sharing thread-safe: the copy only reads.
    QImage into = spare_.size() == want ? std::move(spare_) : QImage();
    spare_ = QImage();
    pending_ = std::async(std::launch::async, [image = picture, want, into = std::move(into)]() mutable {
        return scaledImage(image, want, {}, std::move(into));
    });
    pendingId_ = pictureId;
    pendingSize_ = want;
}

void SurfaceWidget::hideEvent(QHideEvent*) {
    // A full-screen copy for display is not kept while nothing shows it;
    // thumbnails' small ones are.
    constexpr qint64 kLarge = qint64{4} << 20;
    const auto bytes = [](const QPixmap& pm) { return qint64{pm.width()} * pm.height() * 4; };
    if (bytes(display_) >= kLarge) {
        display_ = QPixmap();
        displayId_ = nullptr;
        displayPaints_ = 0;
    }
    if (bytes(scaled_) >= kLarge) {
        spare_ = scaled_.toImage();
        scaled_ = QPixmap();
        scaledId_ = nullptr;
        // Hidden for longer than a capture takes: not kept either.
        QTimer::singleShot(2000, this, [this] {
            if (!isVisible()) spare_ = QImage();
        });
    }
    // A reduction never painted is let go once done (waiting would hold up
    // the grab that hides the window).
    if (pending_.valid() && pending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        pending_ = {};
        pendingId_ = nullptr;
    }
}

void SurfaceWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressedLeft_ = true;
        afterDouble_ = false;
    }
    r_->controlMouse(w_, id_, Impl::MouseKind::Down, eventOf(e, buttonBit(e->button())), false);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* e) {
    r_->controlMouse(w_, id_, Impl::MouseKind::Move, eventOf(e, buttonBits(e->buttons())), false);
}

void SurfaceWidget::mouseReleaseEvent(QMouseEvent* e) {
    const bool click =
        e->button() == Qt::LeftButton && pressedLeft_ && !afterDouble_ && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) pressedLeft_ = false;
    r_->controlMouse(w_, id_, Impl::MouseKind::Up, eventOf(e, buttonBit(e->button())), click);
}

void SurfaceWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a double click is no new mouse-down.
    if (e->button() == Qt::LeftButton) {
        afterDouble_ = true;
        pressedLeft_ = true;
    }
    r_->controlMouse(w_, id_, Impl::MouseKind::DoubleClick, eventOf(e, buttonBit(e->button())), false);
}

MouseEvent SurfaceWidget::eventOf(const QMouseEvent* e, int button) const {
    MouseEvent ev;
    ev.button = button;
    ev.shift = shiftOf(e->modifiers());
    ev.x = (e->position().x() - inset()) * r_->tppX;
    ev.y = (e->position().y() - inset()) * r_->tppY;
    return ev;
}

}  // namespace vis
