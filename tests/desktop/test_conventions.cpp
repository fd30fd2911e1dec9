// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop expects of the program: the formats it offers on the
// clipboard, the desktop's event-sound switch, where the data files are.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "desktop/data_folder.h"
#include "desktop/qt_clipboard.h"
#include "desktop/xsettings.h"

namespace vis {
namespace {

TEST(ClipboardImage, OffersBmpThenPngOfThePictureAndTheProgramReadsItAsItIs) {
    QImage picture(7, 5, QImage::Format_RGB888);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.setPixel(x, y, qRgb(x * 30, y * 50, 200 - x * y));
    ClipboardImage m(picture);
    // No XPM, PPM, ICO...: a clipboard manager fetches each offered format.
    EXPECT_EQ(m.formats(), (QStringList{QStringLiteral("image/bmp"), QStringLiteral("image/png")}));
    ASSERT_TRUE(m.hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(m.imageData()).constBits(), picture.constBits()) << "no copy, no encoding";
    for (const char* format : {"image/bmp", "image/png"}) {
        const QByteArray bytes = m.data(QString::fromLatin1(format));
        const QImage back = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB888);
        EXPECT_EQ(back, picture) << format;
        EXPECT_EQ(m.data(QString::fromLatin1(format)).constData(), bytes.constData()) << format << " encoded once";
    }
    EXPECT_TRUE(m.data(QStringLiteral("text/plain")).isEmpty());
}

// An _XSETTINGS_SETTINGS property: a string, a colour, then integers.
std::vector<unsigned char> settingsBlob(bool bigEndian, int eventSounds) {
    std::vector<unsigned char> b;
    auto u8 = [&](unsigned v) { b.push_back(static_cast<unsigned char>(v)); };
    auto u16 = [&](unsigned v) { bigEndian ? (u8(v >> 8), u8(v & 0xff)) : (u8(v & 0xff), u8(v >> 8)); };
    auto u32 = [&](std::uint32_t v) {
        if (bigEndian) {
            u16(v >> 16), u16(v & 0xffff);
        } else {
            u16(v & 0xffff), u16(v >> 16);
        }
    };
    auto name = [&](unsigned type, const std::string& n) {
        u8(type), u8(0), u16(static_cast<unsigned>(n.size()));
        for (char c : n) u8(static_cast<unsigned char>(c));
        while (b.size() % 4) u8(0);
        u32(7);  // serial of the last change
    };
    u8(bigEndian ? 1 : 0), u8(0), u8(0), u8(0);
    u32(42), u32(4);
    name(1, "Net/ThemeName");
    u32(5);
    for (char c : std::string("Adwaita")) u8(static_cast<unsigned char>(c));
    while (b.size() % 4) u8(0);
    name(2, "Gtk/Color");
    u32(0x10002000), u32(0x30004000);
    name(0, "Net/EnableEventSounds");
    u32(static_cast<std::uint32_t>(eventSounds));
    name(0, "Xft/DPI");
    u32(98304);
    return b;
}

TEST(XSettings, IntegerSettingsAreFoundPastStringsAndColoursInBothByteOrders) {
    for (bool big : {false, true}) {
        const auto off = settingsBlob(big, 0);
        EXPECT_EQ(xsettings::intSetting(off.data(), off.size(), "Net/EnableEventSounds"), 0) << big;
        EXPECT_EQ(xsettings::intSetting(off.data(), off.size(), "Xft/DPI"), 98304) << big;
        const auto on = settingsBlob(big, 1);
        EXPECT_EQ(xsettings::intSetting(on.data(), on.size(), "Net/EnableEventSounds"), 1) << big;
        EXPECT_EQ(xsettings::intSetting(on.data(), on.size(), "Net/ThemeName"), std::nullopt) << "a string";
        EXPECT_EQ(xsettings::intSetting(on.data(), on.size(), "Net/Absent"), std::nullopt);
        // Cut anywhere inside the settings: never read past the end.
        for (std::size_t n = 0; n < on.size() - 8; n += 3)
            EXPECT_EQ(xsettings::intSetting(on.data(), n, "Xft/DPI"), std::nullopt) << n;
    }
}

TEST(DataFolder, BesideTheExecutableFirstThenShareVistrelle) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir r(root.path());
    ASSERT_TRUE(r.mkpath(QStringLiteral("bin")) && r.mkpath(QStringLiteral("share/vistrelle")));
    const QString bin = r.filePath(QStringLiteral("bin"));
    auto touch = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly);
    };

    DataFolder none = findDataFolder(bin);
    EXPECT_EQ(none.path, bin) << "with no data anywhere, the executable's folder";
    EXPECT_TRUE(none.ownFolder);

    ASSERT_TRUE(touch(r.filePath(QStringLiteral("share/vistrelle/camera.bmp"))));
    const DataFolder installed = findDataFolder(bin);
    EXPECT_EQ(installed.path, QDir::toNativeSeparators(r.filePath(QStringLiteral("share/vistrelle"))));
    EXPECT_FALSE(installed.ownFolder) << "an installed copy keeps its settings out of its tree";

    ASSERT_TRUE(touch(r.filePath(QStringLiteral("bin/camera.bmp"))));
    const DataFolder beside = findDataFolder(bin);
    EXPECT_EQ(beside.path, bin);
    EXPECT_TRUE(beside.ownFolder);
}

}  // namespace
}  // namespace vis
