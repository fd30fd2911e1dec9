// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program on the Qt platform: what only real windows, activation
// and dialog owners can show.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "base/program.h"
#include "desktop/qt_platform.h"
#include "desktop_support.h"
#include "settings/param_file.h"
#include "settings/param_record.h"
#include "support/files.h"

namespace vis {
namespace {

TEST(ProgramOnQt, ThirtiethWholeScreenCaptureUnderTheFlashKeepsTheProgramAndItsCaptures) {
    testing_files::TempFolder folder;
    ASSERT_TRUE(saveParamFile(folder.path() / "param.txt", defaultRecord(folder.path().string())));
    QtPlatform qt;
    test::FolderPaths paths(folder.path().string());
    Platform platform = test::withPaths(qt.services(), paths);
    Program prog(platform);
    prog.start();
    ASSERT_TRUE(test::waitUntil([&] { return prog.frmMain().Timerclav->enabled; }));
    prog.g.tempo = 0;
    FrmMain& m = prog.frmMain();
    for (int i = 0; i < 29; ++i) m.bouton_Click(1);
    ASSERT_EQ(prog.collection.nbCaptures(), 29);

    // The "full" message box comes up while the flash window is the active
    // one; the flash unloads itself under the box before it is answered.
    const Fcam* flash = &prog.fcam();  // the window object outlives its unloads
    bool boxSeen = false, flashGoneUnderTheBox = false;
    QTimer::singleShot(700, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        boxSeen = box != nullptr;
        flashGoneUnderTheBox = !flash->loaded;
        if (box) box->buttons().constFirst()->click();
    });
    m.bouton_Click(1);
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(flashGoneUnderTheBox);
    EXPECT_EQ(prog.collection.nbCaptures(), 29);
    EXPECT_EQ(prog.collection.captureCourante(), 29);
}

}  // namespace
}  // namespace vis
