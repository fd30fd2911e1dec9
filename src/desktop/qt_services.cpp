// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTime>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "desktop/data_folder.h"
#include "desktop/qt_clipboard.h"
#include "desktop/qt_image.h"
#include "platform/user_folders.h"
#include "settings/param_file.h"

namespace vis {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

int twipsPerPixel(double dpi) { return dpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / dpi))) : 15; }

QString nativePath(const QString& p) { return QDir::toNativeSeparators(p); }

}  // namespace

// ---- screen

QtScreen::QtScreen() {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        tppX_ = twipsPerPixel(s->logicalDotsPerInchX());
        tppY_ = twipsPerPixel(s->logicalDotsPerInchY());
    }
}

int QtScreen::widthPixels() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int QtScreen::workAreaHeightPixels() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry().height() : 0;
}

int QtScreen::heightPixels() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

std::vector<Monitor> qtMonitors() {
    std::vector<Monitor> out;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* s : QGuiApplication::screens()) {
        const qreal dpr = s->devicePixelRatio() > 0 ? s->devicePixelRatio() : 1.0;
        const QRect g = s->geometry();
        // Qt keeps a screen's place and divides its size by its scale.
        const auto device = [&](const QRect& r) {
            return PixelRect{g.x() + qRound((r.x() - g.x()) * dpr), g.y() + qRound((r.y() - g.y()) * dpr),
                             qRound(r.width() * dpr), qRound(r.height() * dpr)};
        };
        out.push_back(Monitor{device(g), device(s->availableGeometry()), dpr, s == primary});
    }
    return out;
}

std::vector<Monitor> QtScreen::monitors() const { return qtMonitors(); }

int QtScreen::textWidthTwips(const std::string& text, const std::string& fontName, double fontSize) const {
    QFont f = QApplication::font();
    if (!fontName.empty()) f.setFamily(qs(fontName));
    if (fontSize > 0) f.setPointSizeF(fontSize);
    return QFontMetrics(f).horizontalAdvance(qs(text)) * tppX_;
}

// ---- clipboard

void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

bool QtClipboard::hasBitmap() const {
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    return m && m->hasImage();
}

Bitmap QtClipboard::bitmap() const { return bitmapOf(QGuiApplication::clipboard()->image()); }

void QtClipboard::setBitmap(const Bitmap& b) {
    if (b.isNull())
        QGuiApplication::clipboard()->clear();
    else
        putImageOnClipboard(imageOf(b));
}

// ---- clock

struct QtClock::Impl {
    QElapsedTimer timer;
};

QtClock::QtClock() : d_(std::make_unique<Impl>()) { d_->timer.start(); }
QtClock::~QtClock() = default;

double QtClock::monotonicSeconds() const { return static_cast<double>(d_->timer.nsecsElapsed()) * 1e-9; }

TimeOfDay QtClock::timeOfDay() const {
    const QTime t = QTime::currentTime();
    return TimeOfDay{t.hour(), t.minute(), t.second()};
}

std::string QtClock::shortDate() const {
    return ss(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

std::string QtClock::shortTime() const {
    return ss(QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat));
}

// ---- message boxes

// A dialog is owned by no window of the program: a window may be unloaded
// while the dialog is open (the flash window closes itself on a timer), and
// an owner would take the dialog with it. It still stays above the window
// that was active, which may go away safely.
void keepAboveActiveWindow(QWidget& dialog) {
    QWidget* active = QApplication::activeWindow();
    if (!active || !active->windowHandle()) return;
    dialog.winId();
    if (QWindow* handle = dialog.windowHandle()) handle->setTransientParent(active->windowHandle());
    dialog.adjustSize();
    QRect r = dialog.frameGeometry();
    r.moveCenter(active->frameGeometry().center());
    if (const QScreen* screen = active->screen()) {
        const QRect avail = screen->availableGeometry();
        r.moveLeft(std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width())));
        r.moveTop(std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height())));
    }
    dialog.move(r.topLeft());
}

MsgResult QtMessageBoxes::show(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    const auto scope = before_ ? before_() : nullptr;
    QMessageBox box;
    box.setWindowTitle(title.empty() ? QStringLiteral("Vistrelle") : qs(title));
    box.setText(qs(text));
    switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    std::vector<std::pair<QAbstractButton*, MsgResult>> map;
    auto add = [&](const char* caption, QMessageBox::ButtonRole role, MsgResult r) {
        map.emplace_back(box.addButton(QString::fromUtf8(caption), role), r);
    };
    switch (buttons) {
        case MsgButtons::Ok:
            add("OK", QMessageBox::AcceptRole, MsgResult::Ok);
            break;
        case MsgButtons::OkCancel:
            add("OK", QMessageBox::AcceptRole, MsgResult::Ok);
            add("Annuler", QMessageBox::RejectRole, MsgResult::Cancel);
            break;
        case MsgButtons::YesNo:
            add("Oui", QMessageBox::YesRole, MsgResult::Yes);
            add("Non", QMessageBox::NoRole, MsgResult::No);
            break;
        case MsgButtons::YesNoCancel:
            add("Oui", QMessageBox::YesRole, MsgResult::Yes);
            add("Non", QMessageBox::NoRole, MsgResult::No);
            add("Annuler", QMessageBox::RejectRole, MsgResult::Cancel);
            break;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(map.front().first));
    keepAboveActiveWindow(box);
    box.exec();
    for (auto& [button, result] : map)
        if (box.clickedButton() == button) return result;
    // Closed some other way: the answer that changes least.
    for (MsgResult r : {MsgResult::Cancel, MsgResult::No})
        for (auto& [button, result] : map)
            if (result == r) return r;
    return map.front().second;
}

// ---- file dialogs

std::string qtNameFilters(const std::string& programFilter) {
    const QStringList parts = qs(programFilter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (desc.isEmpty() && patterns.isEmpty()) continue;
        if (patterns.isEmpty()) patterns = QStringLiteral("*");
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        // Qt reads the patterns from the last parentheses of each entry.
        if (desc.endsWith(QLatin1Char(')')) && desc.contains(QLatin1Char('(')) &&
            desc.mid(desc.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).simplified() == patterns)
            out << desc;
        else
            out << (desc.isEmpty() ? patterns : desc) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return ss(out.join(QStringLiteral(";;")));
}

std::string firstExtension(const std::string& qtFilter) {
    const QString f = qs(qtFilter);
    const qsizetype open = f.lastIndexOf(QLatin1Char('('));
    const QString inside = open >= 0 ? f.mid(open + 1).section(QLatin1Char(')'), 0, 0) : f;
    const QString first = inside.simplified().section(QLatin1Char(' '), 0, 0);
    if (!first.startsWith(QStringLiteral("*."))) return {};
    const QString ext = first.mid(2);
    if (ext.isEmpty() || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?'))) return {};
    return ss(ext);
}

namespace {

QString startPath(const FileDialogRequest& r) {
    QString folder = qs(r.initialFolder);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (r.fileName.empty()) return folder;
    return QDir(folder).filePath(qs(r.fileName));
}

}  // namespace

std::optional<std::string> QtFileDialogs::saveFile(const FileDialogRequest& r) {
    const auto scope = before_ ? before_() : nullptr;
    QFileDialog dialog(nullptr, qs(r.title), startPath(r), qs(qtNameFilters(r.filter)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The program asks before replacing a file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    keepAboveActiveWindow(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString path = dialog.selectedFiles().constFirst();
    const QString selected = dialog.selectedNameFilter();
    if (path.isEmpty()) return std::nullopt;
    // A name typed without an extension takes the chosen type's: the program
    // decides the format from the last letters of the name.
    if (QFileInfo(path).suffix().isEmpty()) {
        const std::string ext = firstExtension(ss(selected));
        if (!ext.empty()) path += QLatin1Char('.') + qs(ext);
    }
    return ss(nativePath(path));
}

std::optional<std::string> QtFileDialogs::openFile(const FileDialogRequest& r) {
    const auto scope = before_ ? before_() : nullptr;
    // The program only wants a folder: a name that need not exist (the preset
    // "Capture") lets the user pick an empty one. The system's dialog would
    // insist on an existing file, so Qt's own is used.
    QPointer<QFileDialog> dialog = new QFileDialog(nullptr, qs(r.title), QString(), qs(qtNameFilters(r.filter)));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Ouvrir"));
    const QFileInfo start(startPath(r));
    dialog->setDirectory(r.fileName.empty() ? start.filePath() : start.path());
    if (!r.fileName.empty()) dialog->selectFile(qs(r.fileName));
    keepAboveActiveWindow(*dialog);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QString path = dialog && accepted ? dialog->selectedFiles().value(0) : QString();
    delete dialog;
    if (path.isEmpty()) return std::nullopt;
    return ss(nativePath(path));
}

// ---- paths

std::string QtPaths::programFolder() const {
    return ss(nativePath(findDataFolder(QCoreApplication::applicationDirPath()).path));
}

bool QtPaths::settingsBesideProgram() const { return findDataFolder(QCoreApplication::applicationDirPath()).ownFolder; }

namespace {
QString qpath(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(u.data()), static_cast<qsizetype>(u.size()));
}
}  // namespace

// Qt takes "/" for a missing HOME; the program's own lookup takes the
// account's home instead and ignores relative XDG variables.
std::string QtPaths::configFolder() const {
    const QString dir = qpath(userConfigFolder());
    if (dir.isEmpty()) return {};
    QDir().mkpath(dir);
    return ss(nativePath(dir));
}

std::string QtPaths::documentsFolder() const {
    const QString home = qpath(homeFolder());
    QString dir;
    // Qt reads the user's own name for it (xdg-user-dirs), from HOME.
    if (QDir::isAbsolutePath(qEnvironmentVariable("HOME")) || qEnvironmentVariableIsSet("USERPROFILE"))
        dir = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (dir.isEmpty()) dir = home;
    return ss(nativePath(dir));
}

std::string QtPaths::recoveryFolder() const { return ss(nativePath(qpath(defaultRecoveryFolder()))); }

}  // namespace vis
