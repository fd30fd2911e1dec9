// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard and screen readers: picture buttons named by their tooltips,
// reached by Tab and pressed by Space, and menu shortcuts that act on what
// holds when they are pressed.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "capture/frm_main.h"
#include "base/program.h"
#include "desktop/qt_platform.h"
#include "desktop/qt_services.h"
#include "desktop/renderer.h"
#include "desktop_support.h"
#include "settings/param_file.h"
#include "settings/param_record.h"
#include "support/files.h"

namespace vis {
namespace {

using test::waitUntil;

QAccessibleInterface* accessible(QWidget* w) { return w ? QAccessible::queryAccessibleInterface(w) : nullptr; }

bool activate(QWidget* top) {
    top->activateWindow();
    QApplication::setActiveWindow(top);
    return waitUntil([&] { return QApplication::activeWindow() == top; });
}

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        win.caption = "Vistrelle - essai";
        win.width = 6000;
        win.height = 3000;
        win.loaded = true;
        r.attach(win);
    }
    void TearDown() override {
        r.detach(win);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    Control& picture(const char* name, int left, const char* tooltip, int& clicks) {
        Control& c = win.addControl(ControlKind::PictureBox, name);
        c.left = left;
        c.width = c.height = 420;
        c.tooltip = tooltip;
        c.onClick = [&clicks] { ++clicks; };
        return c;
    }

    QtScreen screen;
    QtRenderer r{screen};
    Window win{"frmTest"};
};

TEST_F(AccessTest, PictureButtonsAreNamedReachedByTabAndPressedBySpace) {
    int copies = 0, saves = 0, fillers = 0;
    std::vector<int> keys;
    Control& copy = picture("copier", 0, "Copier dans le presse-papier", copies);
    Control& save = picture("enregistrer", 405, "Enregistrer", saves);
    Control& filler = picture("tuile", 810, "", fillers);
    Control& label = win.addControl(ControlKind::Label, "labdeb");
    label.caption = "Cliquer ici";
    label.left = 1500;
    label.width = 2000;
    label.height = 255;
    Control& ok = win.addControl(ControlKind::Button, "cmdOK");
    ok.caption = "OK";
    ok.left = 3600;
    ok.width = 1200;
    ok.height = 375;
    win.onKeyDown = [&](int vk, int) { keys.push_back(vk); };
    win.show();
    r.syncAll();

    QAccessibleInterface* a = accessible(r.widgetFor(copy));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Copier dans le presse-papier"));
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(copies, 1) << "a screen reader's press is a click";
    EXPECT_NE(accessible(r.widgetFor(filler))->role(), QAccessible::Button) << "a tile without a tooltip is no button";
    EXPECT_EQ(r.widgetFor(filler)->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(accessible(r.widgetFor(label))->text(QAccessible::Name), QStringLiteral("Cliquer ici"));

    // A new tooltip renames the button.
    save.tooltip = "Enregistrer la capture";
    r.syncAll();
    EXPECT_EQ(accessible(r.widgetFor(save))->text(QAccessible::Name), QStringLiteral("Enregistrer la capture"));

    QWidget* top = r.widgetFor(win);
    ASSERT_TRUE(activate(top));
    EXPECT_EQ(QApplication::focusWidget(), r.widgetFor(ok)) << "the activation's focus goes to a push button first";
    top->setFocus();
    QTest::keyClick(top, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), r.widgetFor(copy));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), r.widgetFor(save));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(saves, 1);
    // The window's own keys still reach it from a focused button; Return
    // among them, for a dialog's default button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(keys, (std::vector<int>{27, 13}));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(fillers, 0);
}

TEST_F(AccessTest, ShortcutsActOnWhatHoldsWhenPressedNotWhenTheMenuWasLastOpened) {
    int captures = 0, saves = 0, deletes = 0;
    MenuEntry& file = win.addMenu("mnufichier", "&Fichier");
    MenuEntry& saveEntry = file.add("Mnuenregistrer", "&Enregistrer");
    saveEntry.shortcut = "Ctrl+E; Ctrl+S";
    saveEntry.onClick = [&] { ++saves; };
    file.onDropDown = [&] { saveEntry.enabled = captures > 0; };
    MenuEntry& edit = win.addMenu("mnuedition", "&Edition");
    MenuEntry& del = edit.add("Mnudelcap", "&Supprimer cette capture");
    del.shortcut = "Del";
    del.onClick = [&] { ++deletes; };
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    ASSERT_TRUE(activate(top));

    // The menu was opened with nothing to save: its entry greyed.
    r.menuFor(file)->popup(QPoint(0, 0));
    r.menuFor(file)->close();
    EXPECT_FALSE(r.actionFor(saveEntry)->isEnabled());
    EXPECT_EQ(r.actionFor(saveEntry)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+E")), QKeySequence(QStringLiteral("Ctrl+S"))}));

    captures = 1;
    QTest::keyClick(top, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(top, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(saves, 2);
    QTest::keyClick(top, Qt::Key_Delete);
    EXPECT_EQ(deletes, 1);

    captures = 0;
    QTest::keyClick(top, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(r.actionFor(saveEntry)->isEnabled());

    // A hidden menu's keys do nothing (the menus hide during a selection).
    captures = 1;
    file.visible = false;
    r.syncAll();
    QTest::keyClick(top, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 2);
}

TEST(AccessOnQt, TheToolbarReadsAsSeventeenNamedButtonsInItsOrder) {
    testing_files::TempFolder folder;
    ASSERT_TRUE(saveParamFile(folder.path() / "param.txt", defaultRecord(folder.path().string())));
    QtPlatform qt;
    test::FolderPaths paths(folder.path().string());
    Platform platform = test::withPaths(qt.services(), paths);
    Program prog(platform);
    prog.start();
    ASSERT_TRUE(waitUntil([&] { return prog.frmMain().Timerclav->enabled; }));
    FrmMain& m = prog.frmMain();
    QStringList names;
    for (int k = 0; k < 18; ++k) {
        QAccessibleInterface* a = accessible(qt.renderer().widgetFor(m.bouton(k)));
        ASSERT_NE(a, nullptr) << k;
        if (a->role() == QAccessible::Button) names << a->text(QAccessible::Name);
    }
    ASSERT_EQ(names.size(), 17) << "the first filler tile is no button";
    EXPECT_EQ(names.front(), QStringLiteral("Capturer l'écran pour une sélection"));
    EXPECT_EQ(names[3], QStringLiteral("Copier dans le presse-papier"));
    EXPECT_EQ(names.back(), QStringLiteral("Infos auteur"));
    for (int k = 0; k < 17; ++k) EXPECT_EQ(names[k].toStdString(), m.bouton(k).tooltip);
}

}  // namespace
}  // namespace vis
