// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_output.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include "desktop/qt_image.h"
#include "platform/sysinfo.h"

namespace vis {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }

// Twips are 1/1440 inch.
constexpr double kTwipsPerInch = 1440.0;
}  // namespace

// ---- printer

QtPrinter::QtPrinter(BeforeBlocking before, Chooser choose) : before_(std::move(before)), choose_(std::move(choose)) {}

QtPrinter::~QtPrinter() { killDoc(); }

bool QtPrinter::choosePrinter() {
    killDoc();
    const auto scope = before_ ? before_() : nullptr;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (choose_) return choose_(*printer_);
    QPrintDialog dialog(printer_.get());
    // One page, the capture: nothing to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    keepAboveActiveWindow(dialog);
    return dialog.exec() == QDialog::Accepted;
}

QPainter* QtPrinter::painter() {
    if (!printer_) return nullptr;
    if (!painter_) {
        auto p = std::make_unique<QPainter>();
        if (!p->begin(printer_.get())) return nullptr;
        painter_ = std::move(p);
    }
    return painter_->isActive() ? painter_.get() : nullptr;
}

double QtPrinter::devX(int twips) const { return twips * printer_->resolution() / kTwipsPerInch; }
double QtPrinter::devY(int twips) const { return twips * printer_->resolution() / kTwipsPerInch; }

void QtPrinter::setCurrentPosition(int xTwips, int yTwips) {
    x_ = xTwips;
    y_ = yTwips;
}

bool QtPrinter::printLine(const std::string& text) {
    QPainter* p = painter();
    if (!p) return false;
    // The printer's default face: the program's sans-serif at the usual 10 points.
    QFont font = QApplication::font();
    font.setPointSizeF(10);
    p->setFont(font);
    p->setPen(Qt::black);
    const QFontMetricsF fm(font, printer_.get());
    // The current position is the line's top left; Qt draws from the baseline.
    p->drawText(QPointF(devX(x_), devY(y_) + fm.ascent()), qs(text));
    y_ += static_cast<int>(fm.height() * kTwipsPerInch / printer_->resolution());
    return p->isActive();
}

bool QtPrinter::paintPicture(const Bitmap& picture, int left, int top, int width, int height) {
    QPainter* p = painter();
    if (!p || picture.isNull() || width <= 0 || height <= 0) return false;
    p->setRenderHint(QPainter::SmoothPixmapTransform);
    p->drawImage(QRectF(devX(left), devY(top), devX(width), devY(height)), imageOf(picture));
    return p->isActive();
}

bool QtPrinter::endDoc() {
    if (!painter()) return false;
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    return ok;
}

void QtPrinter::killDoc() {
    if (painter_ && painter_->isActive()) {
        printer_->abort();
        painter_->end();
    }
    painter_.reset();
    printer_.reset();
}

// ---- mail

bool QtMail::openMailto(const std::string& url) {
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode));
}

// ---- system information

bool QtSystemInfo::start() {
    SystemInfoSources sources;
#ifdef _WIN32
    sources.registryString = [](const std::string& key, const std::string& value) -> std::optional<std::string> {
        // Read access is enough, and is all a user without rights gets.
        const QSettings reg(QStringLiteral("HKEY_LOCAL_MACHINE\\") + qs(key), QSettings::NativeFormat);
        const QVariant v = reg.value(qs(value));
        if (!v.isValid()) return std::nullopt;
        return v.toString().toStdString();
    };
    sources.fileExists = [](const std::string& path) { return QFileInfo::exists(qs(path)); };
#else
    sources.findOnPath = [](const std::string& program) -> std::optional<std::string> {
        const QString path = QStandardPaths::findExecutable(qs(program));
        if (path.isEmpty()) return std::nullopt;
        return path.toStdString();
    };
#endif
    const std::optional<SystemInfoProgram> found = findSystemInfo(sources);
    if (!found) return false;
    QStringList args;
    for (const std::string& a : found->arguments) args << qs(a);
    return QProcess::startDetached(qs(found->path), args);
}

}  // namespace vis
