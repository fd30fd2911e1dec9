// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace vis {

namespace {
// A file every complete set of data files has: the first toolbar picture.
constexpr char kMarker[] = "camera.bmp";
}  // namespace

DataFolder findDataFolder(const QString& executableFolder) {
    const QDir exe(executableFolder);
    if (QFileInfo::exists(exe.filePath(QLatin1String(kMarker)))) return {executableFolder, true};
    const QString shared = QDir::cleanPath(exe.filePath(QStringLiteral("../share/vistrelle")));
    if (QFileInfo::exists(QDir(shared).filePath(QLatin1String(kMarker)))) return {QDir::toNativeSeparators(shared), false};
    return {executableFolder, true};
}

}  // namespace vis
