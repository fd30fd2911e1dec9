// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vis {

// Where the data files are, found from the executable's folder: beside it (a
// build tree, a Windows folder), else ../share/vistrelle (an installed copy,
// /usr/bin and /usr/share/vistrelle). With neither, the executable's folder.
struct DataFolder {
    QString path;
    // Beside the executable: a folder of the program's own, where its
    // settings may live. An installed copy keeps them out of its tree.
    bool ownFolder = true;
};

DataFolder findDataFolder(const QString& executableFolder);

}  // namespace vis
