// SPDX-License-Identifier: GPL-3.0-or-later
// vis_assets OUTDIR [--icons THEMEDIR] [--sheet FILE]
//
// Draws the program's data files into OUTDIR (the program's folder). With
// --icons, also draws the program's icon at each size of a desktop icon
// theme, as THEMEDIR/NxN/apps/vistrelle.png. With --sheet, also writes a
// contact sheet of every picture enlarged four times, for looking the set over.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "assets.h"

namespace {

using namespace vis::assets;

struct Output {
    QDir dir;
    bool ok = true;

    void fail(const QString& name) {
        std::fprintf(stderr, "vis_assets: cannot write %s\n", qPrintable(dir.filePath(name)));
        ok = false;
    }
    void image(const QString& name, const QImage& img, const char* format) {
        // Toolbar bitmaps are plain 24-bit files, whatever the drawing format.
        const QImage out = qstrcmp(format, "BMP") == 0 ? img.convertToFormat(QImage::Format_RGB888) : img;
        if (!out.save(dir.filePath(name), format)) fail(name);
    }
    void bytes(const QString& name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) fail(name);
    }
};

QImage checkerboard(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(200, 200, 200) : qRgb(240, 240, 240));
    return img;
}

QImage contactSheet() {
    constexpr int zoom = 4;
    const int cellW = 2 * kButtonWidth * zoom + 24, cellH = kButtonHeight * zoom + 26;
    const int columns = 6;
    const int iconRows = 3;
    const int stripY = iconRows * cellH + 10;
    const int stripH = kButtonHeight * 2 + 20;
    const int othersY = stripY + stripH + 10;
    QImage sheet(columns * cellW + 10, othersY + 32 * zoom + 140, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 255, 255));
    QPainter p(&sheet);
    QFont f("DejaVu Sans");
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::black);
    auto put = [&](const QImage& img, int x, int y, int scale) {
        p.drawImage(QRect(x, y, img.width() * scale, img.height() * scale), img);
    };

    const auto icons = toolbarIcons();
    for (std::size_t i = 0; i <= icons.size(); ++i) {
        const int x = 10 + static_cast<int>(i % columns) * cellW, y = 10 + static_cast<int>(i / columns) * cellH;
        if (i < icons.size()) {
            put(toolbarPicture(icons[i], false), x, y, zoom);
            put(toolbarPicture(icons[i], true), x + kButtonWidth * zoom + 4, y, zoom);
            p.drawText(x, y + kButtonHeight * zoom + 15, QString("%1 %2").arg(i).arg(icons[i].name));
        } else {
            put(fillerTile(), x, y, zoom);
            p.drawText(x, y + kButtonHeight * zoom + 15, "toutbleu");
        }
    }
    // The strip as the main window shows it, twice the real size, button 3 under the mouse.
    for (std::size_t i = 0; i < icons.size() + 3; ++i) {
        const QImage img = i < icons.size() ? toolbarPicture(icons[i], i == 3) : fillerTile();
        put(img, 10 + static_cast<int>(i) * kButtonWidth * 2, stripY, 2);
    }
    int x = 10;
    const QImage cursor = selectionCursor();
    QImage under = checkerboard(cursor.size());
    QPainter(&under).drawImage(0, 0, cursor);
    put(under, x, othersY, zoom);
    x += 32 * zoom + 10;
    for (const QImage& img : {programIcon(48), collectionIcon(32)}) {
        QImage back = checkerboard(img.size());
        QPainter(&back).drawImage(0, 0, img);
        put(back, x, othersY, zoom / 2 + 1);
        x += img.width() * (zoom / 2 + 1) + 10;
    }
    put(flashPicture(), x, othersY, 2);
    x += 240 + 10;
    put(savedMarker(), x, othersY, zoom * 2);
    const QImage l = logo();
    QImage back = checkerboard(l.size());
    QPainter(&back).drawImage(0, 0, l);
    put(back, 10, othersY + 32 * zoom + 10, 1);
    return sheet;
}

// A BMP holds no transparency: the program reads magenta as "not drawn".
QImage keyedOnMagenta(const QImage& picture) {
    QImage out(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            out.setPixelColor(x, y, c.alpha() >= 128 ? QColor(c.red(), c.green(), c.blue()) : QColor(255, 0, 255));
        }
    return out;
}

// The sizes desktops ask the hicolor theme for, menus to launchers.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    std::optional<QString> themeDir, sheetFile;
    bool usage = args.size() < 2 || args.size() % 2 != 0;
    for (qsizetype i = 2; !usage && i + 1 < args.size(); i += 2) {
        if (args[i] == "--icons" && !themeDir)
            themeDir = args[i + 1];
        else if (args[i] == "--sheet" && !sheetFile)
            sheetFile = args[i + 1];
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: vis_assets OUTDIR [--icons THEMEDIR] [--sheet FILE]\n");
        return 2;
    }
    Output out{QDir(args[1])};
    if (!out.dir.mkpath(".")) {
        std::fprintf(stderr, "vis_assets: cannot create %s\n", qPrintable(args[1]));
        return 1;
    }

    for (const ToolbarIcon& icon : toolbarIcons()) {
        out.image(QString("%1.bmp").arg(icon.name), toolbarPicture(icon, false), "BMP");
        out.image(QString("%1c.bmp").arg(icon.name), toolbarPicture(icon, true), "BMP");
    }
    out.image("toutbleu.bmp", fillerTile(), "BMP");
    out.image("cursor.png", selectionCursor(), "PNG");  // hot spot (15, 14)
    out.image("cursor.bmp", keyedOnMagenta(selectionCursor()), "BMP");
    out.image("vistrelle.png", programIcon(48), "PNG");
    out.bytes("vistrelle.ico", icoFile({programIcon(48), programIcon(32), programIcon(16)}));
    out.image("collection.png", collectionIcon(32), "PNG");
    out.bytes("collection.ico", icoFile({collectionIcon(32), collectionIcon(16)}));
    out.image("camflash.bmp", flashPicture(), "BMP");
    out.image("floppy.bmp", savedMarker(), "BMP");
    out.image("logo.png", logo(), "PNG");
    // The pictures of the About, splash and help windows.
    out.image("icone.bmp", aboutIcon(), "BMP");
    out.image("ecrire.bmp", mailPicture(), "BMP");
    out.image("logo.bmp", splashLogo(QColor(248, 250, 253)), "BMP");
    out.image("aidefn.bmp", helpMainWindow(), "BMP");
    out.image("aidefv.bmp", helpCollectionWindow(), "BMP");
    out.image("aideopt.bmp", helpOptionsWindow(), "BMP");
    out.bytes("camera.wav", shutterSound());

    if (themeDir) {
        for (const int size : kThemeSizes) {
            const QString sub = QString("%1x%1/apps").arg(size);
            Output theme{QDir(QDir(*themeDir).filePath(sub))};
            if (!theme.dir.mkpath("."))
                theme.fail(".");
            else
                theme.image("vistrelle.png", programIcon(size), "PNG");
            out.ok = out.ok && theme.ok;
        }
    }
    if (sheetFile && !contactSheet().save(*sheetFile, "PNG")) {
        std::fprintf(stderr, "vis_assets: cannot write %s\n", qPrintable(*sheetFile));
        out.ok = false;
    }
    return out.ok ? 0 : 1;
}
