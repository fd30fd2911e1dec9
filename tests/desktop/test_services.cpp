// SPDX-License-Identifier: GPL-3.0-or-later
// The platform services that work on any Qt platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <mutex>
#include <thread>

#include "desktop/qt_image.h"
#include "desktop/qt_jobs.h"
#include "desktop/qt_platform.h"
#include "desktop/qt_services.h"
#include "desktop/renderer.h"
#include "desktop_support.h"
#include "support/sim_platform.h"

namespace vis {
namespace {

using test::waitUntil;

TEST(QtServices, ScreenSizeAndTwips) {
    QtScreen screen;
    EXPECT_EQ(screen.twipsPerPixelX(), 15);
    EXPECT_EQ(screen.twipsPerPixelY(), 15);
    EXPECT_EQ(screen.widthPixels(), QGuiApplication::primaryScreen()->geometry().width());
    EXPECT_EQ(screen.heightTwips(), screen.heightPixels() * 15);
    EXPECT_EQ(screen.textWidthTwips("", "", 0), 0);
    const int small = screen.textWidthTwips("MMMM", "", 8);
    const int large = screen.textWidthTwips("MMMM", "", 20);
    EXPECT_GT(small, 0);
    EXPECT_GT(large, small * 2);
    EXPECT_EQ(small % 15, 0);
}

TEST(QtServices, ClipboardRoundTripsBitmaps) {
    QtClipboard cb;
    const Bitmap b(3, 2,
                   {rgb(1, 2, 3), rgb(250, 0, 0), rgb(0, 250, 0), rgb(0, 0, 250), rgb(9, 9, 9), rgb(255, 255, 255)});
    cb.setBitmap(b);
    ASSERT_TRUE(cb.hasBitmap());
    const Bitmap out = cb.bitmap();
    ASSERT_EQ(out.width(), 3);
    ASSERT_EQ(out.height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(out.pixel(x, y), b.pixel(x, y)) << x << "," << y;

    cb.clear();
    EXPECT_FALSE(cb.hasBitmap());
    EXPECT_TRUE(cb.bitmap().isNull());

    // Another program's picture with transparent parts: those come out black.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, 0x00FF0000u);
    argb.setPixel(1, 0, 0xFF00FF00u);
    QGuiApplication::clipboard()->setImage(argb);
    const Bitmap fromOther = cb.bitmap();
    ASSERT_EQ(fromOther.width(), 2);
    EXPECT_EQ(fromOther.pixel(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(fromOther.pixel(1, 0), rgb(0, 255, 0));
    cb.clear();
}

TEST(QtServices, ImageWrapsTheBitmapWithoutCopying) {
    const Bitmap b = Bitmap::filled(4, 4, rgb(7, 8, 9));
    QImage img = imageOf(b);
    EXPECT_EQ(img.constBits(), reinterpret_cast<const uchar*>(b.data()));
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(3, 3), rgb(7, 8, 9));
    EXPECT_TRUE(imageOf(Bitmap()).isNull());
    EXPECT_TRUE(bitmapOf(QImage()).isNull());
}

TEST(QtServices, TwentyFourBitPicturesGoRoundWithoutACopy) {
    // Rows of 3 pixels padded to 12 bytes, as the grab lays them out.
    const Bitmap b = sim::syntheticScreen(3, 2);
    ASSERT_TRUE(b.isBgr24());
    const QImage img = imageOf(b);
    EXPECT_EQ(img.format(), QImage::Format_BGR888);
    EXPECT_EQ(img.constBits(), b.bytes());
    EXPECT_EQ(img.pixel(2, 1), b.pixel(2, 1));

    QtClipboard cb;
    cb.setBitmap(b);
    const Bitmap out = cb.bitmap();
    EXPECT_EQ(out.bytes(), b.bytes()) << "the clipboard's picture is the capture's memory";
    EXPECT_EQ(out.pixel(1, 1), b.pixel(1, 1));
    cb.clear();
}

TEST(QtServices, TwentyFourBitPicturesAreReducedByArea) {
    QImage img(3, 2, QImage::Format_BGR888);
    img.setPixel(0, 0, rgb(30, 0, 90));
    img.setPixel(1, 0, rgb(60, 120, 0));
    img.setPixel(2, 0, rgb(90, 30, 0));
    img.setPixel(0, 1, rgb(30, 0, 90));
    img.setPixel(1, 1, rgb(0, 0, 0));
    img.setPixel(2, 1, rgb(0, 30, 3));
    // Each target pixel covers a source pixel and a half, rows averaged.
    const QImage s = scaledImage(img, QSize(2, 1));
    ASSERT_EQ(s.size(), QSize(2, 1));
    EXPECT_EQ(s.pixel(0, 0) | 0xFF000000u, rgb(30, 20, 60));
    EXPECT_EQ(s.pixel(1, 0) | 0xFF000000u, rgb(40, 40, 1));

    // A part made on its own is that part of the whole, edges included.
    const QImage big = imageOf(sim::syntheticScreen(37, 23));
    const QImage whole = scaledImage(big, QSize(16, 11));
    for (const QRect part : {QRect(0, 0, 16, 11), QRect(5, 3, 4, 5), QRect(15, 10, 1, 1), QRect(0, 7, 9, 4)}) {
        const QImage piece = scaledImage(big, QSize(16, 11), part);
        ASSERT_EQ(piece.size(), part.size());
        EXPECT_EQ(piece, whole.copy(part)) << part.x() << "," << part.y();
    }

    // A spare picture is written over only when nothing else holds it.
    QImage spare(16, 11, QImage::Format_RGB32);
    const uchar* memory = spare.constBits();
    const QImage into = scaledImage(big, QSize(16, 11), {}, std::move(spare));
    EXPECT_EQ(into.constBits(), memory);
    EXPECT_EQ(into, whole);
    const QImage held = into;
    EXPECT_NE(scaledImage(big, QSize(16, 11), {}, held).constBits(), memory);
}

TEST(QtServices, FixedPointReductionStaysWithinOneOfTheExactAverage) {
    // Full-scale values sit where the fixed-point sums are at their limits.
    QImage img(97, 61, QImage::Format_BGR888);
    for (int y = 0; y < img.height(); ++y)
        for (int i = 0; i < img.width() * 3; ++i)
            img.scanLine(y)[i] = static_cast<uchar>(((i / 3 + y) % 3 == 0) ? 255 : (i * 37 + y * 11) % 256);
    for (const QSize size : {QSize(88, 55), QSize(9, 6), QSize(97, 61)}) {
        const QImage s = scaledImage(img, size);
        const double fx = 97.0 / size.width(), fy = 61.0 / size.height();
        int worst = 0;
        for (int ty = 0; ty < size.height(); ++ty)
            for (int tx = 0; tx < size.width(); ++tx)
                for (int c = 0; c < 3; ++c) {
                    double sum = 0;
                    for (int y = static_cast<int>(ty * fy); y < std::min(61.0, (ty + 1) * fy); ++y)
                        for (int x = static_cast<int>(tx * fx); x < std::min(97.0, (tx + 1) * fx); ++x) {
                            const double ox = std::max(0.0, std::min(x + 1.0, (tx + 1) * fx) - std::max(1.0 * x, tx * fx));
                            const double oy = std::max(0.0, std::min(y + 1.0, (ty + 1) * fy) - std::max(1.0 * y, ty * fy));
                            sum += ox * oy * img.constScanLine(y)[x * 3 + c];
                        }
                    const int got = static_cast<int>((s.pixel(tx, ty) >> (8 * c)) & 0xFF);
                    worst = std::max(worst, std::abs(got - static_cast<int>(std::lround(sum / (fx * fy)))));
                }
        EXPECT_LE(worst, 1) << size.width() << "x" << size.height();
    }
}

TEST(QtServices, WholeScreenGrabLandsOnTheClipboard) {
    QtClipboard cb;
    QtGrabber grabber;
    QtScreen screen;
    cb.clear();
    grabber.pressPrintScreen(0);
    ASSERT_TRUE(cb.hasBitmap());
    const Bitmap shot = cb.bitmap();
    EXPECT_EQ(shot.width(), screen.widthPixels());
    EXPECT_EQ(shot.height(), screen.heightPixels());
    cb.clear();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        // No window system to ask for the active window: nothing, no failure.
        grabber.pressPrintScreen(1);
        EXPECT_FALSE(cb.hasBitmap());
    }
}

TEST(QtServices, FiltersInQtForm) {
    EXPECT_EQ(qtNameFilters("Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|"), "Images JPG (*.jpg);;Images (*.bmp)");
    EXPECT_EQ(qtNameFilters("Images|*.jpg;*.jpeg|Tous les fichiers|*.*"),
              "Images (*.jpg *.jpeg);;Tous les fichiers (*.*)");
    EXPECT_EQ(qtNameFilters("Texte (*.txt)|*.txt;*.log"), "Texte (*.txt) (*.txt *.log)");
    EXPECT_EQ(qtNameFilters("Seul"), "Seul (*)");
    EXPECT_EQ(qtNameFilters(""), "");
    EXPECT_EQ(firstExtension("Images JPG (*.jpg)"), "jpg");
    EXPECT_EQ(firstExtension("Images (*.bmp *.dib)"), "bmp");
    EXPECT_EQ(firstExtension("Tous (*)"), "");
    EXPECT_EQ(firstExtension("Tous (*.*)"), "");
}

// Answers the next modal dialog from inside its event loop.
void answerNextDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        waitUntil([] { return QApplication::activeModalWidget() != nullptr; });
        answer(QApplication::activeModalWidget());
    });
}

TEST(QtServices, MessageBoxesSpeakFrenchAndReturnTheButton) {
    int synced = 0;
    QtMessageBoxes boxes([&] {
        ++synced;
        return std::shared_ptr<void>();
    });
    QString title;
    QStringList captions;
    answerNextDialog([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (QAbstractButton* b : box->buttons()) captions << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("Non")) b->click();
    });
    EXPECT_EQ(boxes.show("Enregistrer les captures ?", MsgButtons::YesNoCancel, MsgIcon::Question, {}), MsgResult::No);
    EXPECT_EQ(title, QStringLiteral("Vistrelle"));
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Annuler"), QStringLiteral("Non"), QStringLiteral("Oui")}));
    EXPECT_EQ(synced, 1) << "the windows are brought up to date before the box opens";

    answerNextDialog([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        box->defaultButton()->click();
    });
    EXPECT_EQ(boxes.show("Pb", MsgButtons::OkCancel, MsgIcon::Exclamation, "Attention"), MsgResult::Ok);
    EXPECT_EQ(title, QStringLiteral("Attention"));
}

TEST(QtServices, SaveDialogGivesTheChosenTypesExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileDialogs dialogs;
    FileDialogRequest req;
    req.initialFolder = dir.path().toStdString();
    req.fileName = "Capture01";
    req.filter = "Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|";
    QString shownName;
    answerNextDialog([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        shownName = d->selectedFiles().value(0);
        d->selectNameFilter(QStringLiteral("Images (*.bmp)"));
        d->selectFile(QStringLiteral("essai"));
        static_cast<QDialog*>(d)->accept();
    });
    const auto path = dialogs.saveFile(req);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, QDir(dir.path()).filePath(QStringLiteral("essai.bmp")).toStdString());
    EXPECT_EQ(shownName, QDir(dir.path()).filePath(QStringLiteral("Capture01")));

    answerNextDialog([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(dialogs.openFile(req).has_value());
}

TEST(QtServices, OpenDialogTakesAnEmptyFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileDialogs dialogs;
    FileDialogRequest req;
    req.initialFolder = dir.path().toStdString();
    req.fileName = "Capture";
    QString shownFolder, shownName;
    answerNextDialog([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        shownFolder = d->directory().absolutePath();
        shownName = d->selectedFiles().value(0);
        // A refusal opens a message box: close it, so that the test fails rather than waits.
        QTimer::singleShot(0, d, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
        });
        static_cast<QDialog*>(d)->accept();  // the dialog's own checks
        if (d->isVisible()) static_cast<QDialog*>(d)->reject();
    });
    const auto path = dialogs.openFile(req);
    EXPECT_EQ(shownFolder, dir.path());
    EXPECT_EQ(shownName, QDir(dir.path()).filePath(QStringLiteral("Capture")));
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, QDir(dir.path()).filePath(QStringLiteral("Capture")).toStdString());
}

TEST(QtServices, PathsAndSoftFailures) {
    {
        QTemporaryDir base;
        const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
        const QByteArray savedState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_CONFIG_HOME", base.filePath(QStringLiteral("cfg")).toUtf8());
        qputenv("XDG_STATE_HOME", base.filePath(QStringLiteral("state")).toUtf8());
        QtPaths paths;
        EXPECT_EQ(paths.programFolder(), QCoreApplication::applicationDirPath().toStdString());
        EXPECT_EQ(paths.configFolder(), base.filePath(QStringLiteral("cfg/vistrelle")).toStdString());
        EXPECT_TRUE(QDir(base.filePath(QStringLiteral("cfg/vistrelle"))).exists());
        EXPECT_EQ(paths.recoveryFolder(), base.filePath(QStringLiteral("state/vistrelle/recovery")).toStdString());
        EXPECT_FALSE(paths.documentsFolder().empty());
        // Without HOME (a service, cron) nothing lands in "/": the account's home serves.
        qunsetenv("HOME");
        qputenv("XDG_STATE_HOME", "relative/state");
        const std::string recovery = paths.recoveryFolder();
        EXPECT_EQ(recovery.rfind('/', 0), 0u);
        EXPECT_TRUE(QString::fromStdString(recovery).endsWith(QStringLiteral("/.local/state/vistrelle/recovery")));
        EXPECT_NE(recovery, "/.local/state/vistrelle/recovery");
        EXPECT_NE(paths.documentsFolder().rfind("/Documents", 0), 0u);
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("XDG_STATE_HOME", savedState);
        if (savedConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
        if (savedState.isEmpty()) qunsetenv("XDG_STATE_HOME");
    }

    QtSound sound;
    sound.playWave("/nonexistent/camera.wav");  // no device, no file: silence

    QtKeyboard keys;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        EXPECT_FALSE(keys.keyDown(16));
    }

    QtClock clock;
    const double t0 = clock.monotonicSeconds();
    EXPECT_GE(clock.monotonicSeconds(), t0);
    const TimeOfDay now = clock.timeOfDay();
    EXPECT_TRUE(now.hour >= 0 && now.hour < 24 && now.minute >= 0 && now.minute < 60);
}

TEST(QtServices, PlatformHandsOutOneOfEach) {
    QtPlatform platform;
    Platform& p = platform.services();
    EXPECT_EQ(&p, &platform.services()) << "the program may keep the reference";
    EXPECT_EQ(&p.windows, static_cast<IWindowSystem*>(&platform.renderer()));
    EXPECT_EQ(p.screen.twipsPerPixelX(), 15);
}

TEST(QtServices, JobsWorkOffTheEventLoopAndEndAsHandlersOnIt) {
    int handled = 0;
    QtJobs jobs([&](const std::function<void()>& handler) {
        ++handled;
        handler();
    });
    EXPECT_GE(jobs.workerCount(), 2);
    const auto gui = std::this_thread::get_id();
    std::vector<std::thread::id> workedOn, doneOn;
    std::mutex m;
    for (int i = 0; i < 3; ++i)
        jobs.start(
            [&] {
                std::lock_guard lock(m);
                workedOn.push_back(std::this_thread::get_id());
            },
            [&] { doneOn.push_back(std::this_thread::get_id()); });
    EXPECT_TRUE(doneOn.empty()) << "completions wait for the event loop";
    ASSERT_TRUE(test::waitUntil([&] { return doneOn.size() == 3; }));
    for (const auto& id : workedOn) EXPECT_NE(id, gui);
    for (const auto& id : doneOn) EXPECT_EQ(id, gui);
    EXPECT_GE(handled, 1);
}

}  // namespace
}  // namespace vis
