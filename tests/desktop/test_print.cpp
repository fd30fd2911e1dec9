// SPDX-License-Identifier: GPL-3.0-or-later
// The print command through the real painting code into a PDF, read back
// with poppler's tools: what lands where on the page, in points.

#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "capture/frm_main.h"
#include "base/program.h"
#include "desktop/qt_output.h"
#include "settings/param_file.h"
#include "settings/param_record.h"
#include "support/files.h"
#include "support/sim_platform.h"

namespace vis {
namespace {

constexpr double kMarginPt = 72.0 / 2.54;  // 1 cm

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PrintToPdf : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"pdftotext", "pdfimages", "pdftoppm"})
            if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " (poppler-utils) missing";
        // A plain red screen: the picture is easy to find on the page.
        sim.screenPicture = Bitmap::filled(1024, 768, rgb(255, 0, 0));
        ASSERT_TRUE(
            saveParamFile(std::filesystem::path(sim.paths.program) / "param.txt", defaultRecord(sim.paths.documents)));
        prog.start();
        sim.windows.advance(2.0);
    }

    // The printer dialog's part: a PDF file with 1 cm margins on A4.
    bool toPdf(QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        return true;
    }

    testing_files::TempFolder folder;
    QString pdf = QString::fromStdString(folder.file("page.pdf"));
    sim::SimPlatform sim{1024, 768};
    QtPrinter printer{{}, [this](QPrinter& p) { return toPdf(p); }};
    Platform platform{sim.screen,   sim.clipboard, sim.grabber, sim.clock,      sim.windows,
                      sim.messages, sim.sound,     sim.dialogs, sim.keyboard,   sim.paths,
                      sim.tray,     printer,       sim.mail,    sim.systemInfo, sim.jobs};
    Program prog{platform};
};

TEST_F(PrintToPdf, CaptionAtItsTwipsAndTheWholeScreen10000TwipsWideBelowIt) {
    FrmMain& m = prog.frmMain();
    m.bouton_Click(1);
    m.bouton_Click(6);
    ASSERT_TRUE(sim.messages.shown.empty()) << sim.messages.shown[0].text;

    // The caption: its words in order, the first at (3000, 1000) twips of
    // the printable area, 150 x 50 points inside the margins.
    const QString html = run("pdftotext", {"-bbox", pdf, "-"});
    const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    QStringList words;
    double x0 = -1, y0 = -1;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (words.isEmpty()) {
            x0 = match.captured(1).toDouble();
            y0 = match.captured(2).toDouble();
        }
        words << match.captured(3);
    }
    EXPECT_EQ(words.join(' '),
              QString::fromUtf8("Capture écran réalisée le 17/05/2024 à 09:05:03 - V i s t r e l l e"));
    EXPECT_NEAR(x0, kMarginPt + 150, 1.5);
    EXPECT_NEAR(y0, kMarginPt + 50, 2.0);

    // The picture: the screen's own pixels, 10000 x 7500 twips (500 x 375
    // points) at (800, 2000) twips.
    const QStringList rows = run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3) << rows.join('\n').toStdString();  // two header lines, one image
    const QStringList f = rows[2].split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(f.size(), 14);
    EXPECT_EQ(f[3].toInt(), 1024);
    EXPECT_EQ(f[4].toInt(), 768);
    EXPECT_NEAR(1024 * 72.0 / f[12].toDouble(), 500, 3);
    EXPECT_NEAR(768 * 72.0 / f[13].toDouble(), 375, 3);

    // Where it lies: the red pixels of the page drawn at 72 dpi, a pixel a point.
    const QString prefix = QString::fromStdString(folder.file("page"));
    run("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, prefix});
    const QImage page(prefix + ".png");
    ASSERT_FALSE(page.isNull());
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_NEAR(left, kMarginPt + 40, 1.5);
    EXPECT_NEAR(top, kMarginPt + 100, 1.5);
    EXPECT_NEAR(right - left + 1, 500, 1.5);
    EXPECT_NEAR(bottom - top + 1, 375, 1.5);
}

TEST_F(PrintToPdf, APrinterThatCannotBeOpenedSaysSo) {
    pdf = QString::fromStdString(folder.file("no-such-folder/page.pdf"));
    FrmMain& m = prog.frmMain();
    m.bouton_Click(1);
    m.bouton_Click(6);
    ASSERT_EQ(sim.messages.shown.size(), 1u);
    EXPECT_EQ(sim.messages.shown[0].text, "Impression impossible ...");
    EXPECT_EQ(sim.messages.shown[0].icon, MsgIcon::Exclamation);
}

}  // namespace
}  // namespace vis
