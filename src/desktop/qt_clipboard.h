// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>

namespace vis {

// A picture on the clipboard as other programs see it: BMP and PNG, each
// encoded once and only when asked for. Qt's own offer of an image is every
// format its writers know (XPM, PPM, ICO...), and a clipboard manager that
// copies each offered format at every change made the program encode all of
// them after each grab.
class ClipboardImage final : public QMimeData {
public:
    explicit ClipboardImage(QImage image) : image_(std::move(image)) {}
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QImage image_;
    mutable QByteArray png_, bmp_;
};

// Puts the picture on the clipboard, as the Print Screen key and the copy
// command leave it.
void putImageOnClipboard(const QImage& image);

// At the program's end: hands what it left on the clipboard to the desktop's
// clipboard manager, if one runs, and gives the clipboard up, so that Qt does
// not wait for the manager on its way out. Returns within the time given.
void handClipboardOver(int maxMilliseconds);

}  // namespace vis
