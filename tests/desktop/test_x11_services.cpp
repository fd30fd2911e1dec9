// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 parts of the services, on a real X server with a window manager
// (tests/e2e/test_x11_services.sh runs them under Xvfb and openbox). Skipped
// on any other platform, such as the offscreen one of the ordinary run.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "desktop/qt_services.h"
#include "desktop/renderer.h"
#include "desktop/x11.h"
#include "desktop_support.h"

#if defined(__linux__)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace vis {
namespace {

using test::waitUntil;

class X11Services : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X server (xcb)";
        display = x11Display();
        ASSERT_NE(display, nullptr);
    }
    void* display = nullptr;
};

#if defined(__linux__)

TEST_F(X11Services, ActiveWindowGrabIsTheFrameWithItsTitleBar) {
    QtClipboard cb;
    QtGrabber grabber;
    QWidget target;
    target.setWindowTitle(QStringLiteral("cible"));
    target.setAutoFillBackground(true);
    QPalette pal = target.palette();
    pal.setColor(QPalette::Window, QColor(0, 160, 0));
    target.setPalette(pal);
    target.setGeometry(200, 150, 320, 240);
    target.show();
    target.activateWindow();
    ASSERT_TRUE(waitUntil([&] {
        const auto f = x11::activeFrame(display);
        return f && target.isActiveWindow() && f->width > target.width();
    })) << "the window manager did not frame and activate the window";
    waitUntil([] { return false; }, 300);  // let the frame and the client paint

    const auto frame = x11::activeFrame(display);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(QRect(frame->x, frame->y, frame->width, frame->height), target.frameGeometry());
    EXPECT_GT(frame->height, target.height()) << "title bar included";

    cb.clear();
    grabber.pressPrintScreen(1);
    ASSERT_TRUE(cb.hasBitmap());
    const Bitmap shot = cb.bitmap();
    EXPECT_EQ(shot.width(), target.frameGeometry().width());
    EXPECT_EQ(shot.height(), target.frameGeometry().height());
    const QPoint inside = target.geometry().center() - target.frameGeometry().topLeft();
    EXPECT_EQ(shot.pixel(inside.x(), inside.y()), rgb(0, 160, 0));
    EXPECT_TRUE(shot.isBgr24());

    // The whole screen, grabbed band by band: the window where it stands,
    // its right and bottom edges included.
    cb.clear();
    grabber.pressPrintScreen(0);
    const Bitmap screen = cb.bitmap();
    ASSERT_EQ(screen.width(), QGuiApplication::primaryScreen()->geometry().width());
    const QRect client = target.geometry();
    EXPECT_EQ(screen.pixel(client.center().x(), client.center().y()), rgb(0, 160, 0));
    EXPECT_EQ(screen.pixel(client.right(), client.bottom()), rgb(0, 160, 0));
    // Straight from the server, rows wider than the pixels: blue, green, red,
    // four pixels at a time and then one by one.
    std::vector<unsigned char> rows(3 * 40, 7);
    ASSERT_TRUE(x11::grabBgr24(display, {client.x(), client.y(), 13, 3}, rows.data(), 40));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(rows[y * 40 + x * 3], 0) << x;
            EXPECT_EQ(rows[y * 40 + x * 3 + 1], 160) << x;
            EXPECT_EQ(rows[y * 40 + x * 3 + 2], 0) << x;
        }
        EXPECT_EQ(rows[y * 40 + 39], 7) << "the bytes past a row are left alone";
    }
    EXPECT_FALSE(x11::grabBgr24(display, {screen.width() - 2, 0, 5, 3}, rows.data(), 16));
    // A root that holds the screen: this backend, not the portal, serves.
    EXPECT_TRUE(x11::rootReadable(display));

    // Nothing active any more: the clipboard is left empty.
    target.hide();
    ASSERT_TRUE(waitUntil([&] { return !x11::activeFrame(display); }));
    cb.clear();
    grabber.pressPrintScreen(1);
    EXPECT_FALSE(cb.hasBitmap());
}

TEST_F(X11Services, KeyStateIsSeenWhateverWindowHasTheFocus) {
    auto* d = static_cast<Display*>(display);
    int ev = 0, err = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(d, &ev, &err, &major, &minor)) << "XTEST is off: no key can be pressed";
    QtKeyboard keys;
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_R);
    const KeyCode f11 = XKeysymToKeycode(d, XK_F11);
    ASSERT_NE(shift, 0);
    ASSERT_NE(f11, 0);
    const auto key = [&](KeyCode code, bool down) { XTestFakeKeyEvent(d, code, down, 0); };
    // The program's event loop runs between two polls: it takes the key
    // events in as they come.
    const auto poll = [&] {
        QCoreApplication::processEvents();
        keys.beginPoll();
    };
    poll();
    EXPECT_FALSE(keys.keyDown(16));
    key(shift, true);
    key(f11, true);
    XSync(d, False);
    poll();
    EXPECT_TRUE(keys.keyDown(16)) << "either Shift key is SHIFT";
    EXPECT_TRUE(keys.keyDown(122));
    EXPECT_FALSE(keys.keyDown(17));
    EXPECT_FALSE(keys.keyDown(121));
    key(f11, false);
    key(shift, false);
    XSync(d, False);
    poll();  // released since the last poll: down in between
    EXPECT_TRUE(keys.keyDown(16));
    poll();
    EXPECT_FALSE(keys.keyDown(16));
    EXPECT_FALSE(keys.keyDown(122));
    EXPECT_FALSE(keys.keyDown(999)) << "unknown codes are never down";
    // A tap between two polls is seen by the next one, and only by it.
    key(f11, true);
    key(f11, false);
    XSync(d, False);
    poll();
    EXPECT_TRUE(keys.keyDown(122));
    poll();
    EXPECT_FALSE(keys.keyDown(122));
    // A chord typed during a poll, after its SHIFT was asked about, is
    // whole in the next poll.
    poll();
    EXPECT_FALSE(keys.keyDown(16));
    key(shift, true);
    key(f11, true);
    key(f11, false);
    key(shift, false);
    XSync(d, False);
    EXPECT_FALSE(keys.keyDown(122)) << "a poll answers for its start";
    poll();
    EXPECT_TRUE(keys.keyDown(16));
    EXPECT_TRUE(keys.keyDown(122));
    // A chord whose SHIFT was already down at a poll and released before
    // the next one.
    key(shift, true);
    XSync(d, False);
    poll();
    EXPECT_TRUE(keys.keyDown(16));
    EXPECT_FALSE(keys.keyDown(122));
    key(f11, true);
    key(f11, false);
    key(shift, false);
    XSync(d, False);
    poll();
    EXPECT_TRUE(keys.keyDown(16));
    EXPECT_TRUE(keys.keyDown(122));
    // At rest the polls may stop until a key moves, but not while the last
    // one saw a key down: the next one has a release to tell.
    bool woken = false;
    EXPECT_FALSE(keys.restUntilKeyMoves([&] { woken = true; }));
    poll();
    ASSERT_TRUE(keys.restUntilKeyMoves([&] { woken = true; }));
    key(f11, true);
    key(f11, false);
    XSync(d, False);
    EXPECT_TRUE(waitUntil([&] { return woken; }));
    poll();
    EXPECT_TRUE(keys.keyDown(122));
}

TEST_F(X11Services, WindowBoundsAndStatesUnderAWindowManager) {
    QtScreen screen;
    QtRenderer r(screen);
    Window win("frmMain");
    win.loaded = true;
    win.caption = "Vistrelle - bornes";
    win.left = 1500;
    win.top = 750;
    win.width = 4500;
    win.height = 3000;
    int resizes = 0;
    win.onResize = [&] { ++resizes; };
    r.attach(win);
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    // Outer bounds: the window manager's frame is inside them.
    ASSERT_TRUE(waitUntil([&] { return top->frameGeometry() == QRect(100, 50, 300, 200) && top->width() < 300; }))
        << top->frameGeometry().x() << "," << top->frameGeometry().y() << " " << top->frameGeometry().width() << "x"
        << top->frameGeometry().height();
    EXPECT_LT(top->width(), 300);

    win.state = WindowState::Maximized;
    r.syncAll();
    ASSERT_TRUE(waitUntil([&] { return top->isMaximized() && top->frameGeometry().width() > 1000; }));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(win.width, 4500) << "the normal bounds stay";
    EXPECT_EQ(win.state, WindowState::Maximized);

    // Back to normal with a new height, as Escape does during a selection.
    win.state = WindowState::Normal;
    win.height = 1875;
    win.top = 0;
    r.syncAll();
    EXPECT_TRUE(waitUntil([&] { return top->frameGeometry() == QRect(100, 0, 300, 125); }))
        << top->frameGeometry().x() << "," << top->frameGeometry().y() << " " << top->frameGeometry().width() << "x"
        << top->frameGeometry().height();
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(top->frameGeometry(), QRect(100, 0, 300, 125));
    EXPECT_EQ(win.height, 1875);
    EXPECT_EQ(resizes, 0) << "the program's own changes raise no resize";

    // Hidden and shown again (as around a grab), it is activated again.
    int activations = 0;
    win.onActivate = [&] { ++activations; };
    win.hide();
    r.processEvents();
    // A grab takes a moment; shown again at once, Qt (6.4, xcb) misses the
    // focus that the window manager gives back.
    waitUntil([] { return false; }, 300);
    win.show();
    r.syncAll();
    EXPECT_TRUE(waitUntil([&] { return activations == 1; }));

    // The user maximises through the window manager.
    top->windowHandle()->showMaximized();
    EXPECT_TRUE(waitUntil([&] { return win.state == WindowState::Maximized; }));
    EXPECT_GE(resizes, 1);
    EXPECT_EQ(win.width, 4500);
    EXPECT_EQ(win.height, 1875);
    r.detach(win);
}

// Around a grab the windows are hidden and shown again: a window manager
// frames a dialog and a resizable window differently, and neither may come
// back at another size; moving the focus between them repaints neither.
TEST_F(X11Services, WindowsShownAgainKeepTheirSizeAndTheFocusRepaintsNothing) {
    QtScreen screen;
    QtRenderer r(screen);
    Window main("frmMain"), box("frmBox");
    main.left = 1500, main.top = 750, main.width = 4500, main.height = 3000;
    box.left = 7500, box.top = 750, box.width = 3000, box.height = 2250;
    box.dialog = true;
    for (Window* w : {&main, &box}) {
        w->loaded = true;
        w->caption = "Vistrelle - " + w->name;
        r.attach(*w);
        w->show();
    }
    r.syncAll();
    QWidget* top = r.widgetFor(main);
    QWidget* boxTop = r.widgetFor(box);
    ASSERT_TRUE(waitUntil([&] {
        return top->frameGeometry() == QRect(100, 50, 300, 200) && boxTop->frameGeometry() == QRect(500, 50, 200, 150) &&
               top->geometry() != top->frameGeometry() && boxTop->geometry() != boxTop->frameGeometry();
    }));
    r.syncAll();  // both frames measured, the dialog's last
    const QSize client = top->size();
    ASSERT_NE(top->frameGeometry().height() - top->height(), boxTop->frameGeometry().height() - boxTop->height())
        << "the two frames alike: nothing to tell apart";

    struct PaintCounter : QObject {
        QWidget* window;
        int paints = 0;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == window) ++paints;
            return false;
        }
    } counter;
    counter.window = top;
    qApp->installEventFilter(&counter);
    boxTop->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return boxTop->isActiveWindow(); }));
    top->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return top->isActiveWindow(); }));
    waitUntil([] { return false; }, 200);
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.paints, 0);

    main.hide();
    box.hide();
    r.processEvents();
    main.show();
    box.show();
    r.syncAll();
    EXPECT_EQ(top->size(), client) << "before the window manager answers";
    EXPECT_TRUE(waitUntil([&] { return top->frameGeometry() == QRect(100, 50, 300, 200); }));
    r.detach(box);
    r.detach(main);
}

#endif

TEST(X11Keysyms, VirtualKeysMapToBothSidesAndTheRightRows) {
#if defined(__linux__)
    EXPECT_EQ(x11::keysymsFor(16), (std::vector<unsigned long>{XK_Shift_L, XK_Shift_R}));
    EXPECT_EQ(x11::keysymsFor(17), (std::vector<unsigned long>{XK_Control_L, XK_Control_R}));
    EXPECT_EQ(x11::keysymsFor(112), std::vector<unsigned long>{XK_F1});
    EXPECT_EQ(x11::keysymsFor(123), std::vector<unsigned long>{XK_F12});
    EXPECT_EQ(x11::keysymsFor('1'), std::vector<unsigned long>{XK_1});
    EXPECT_EQ(x11::keysymsFor('2'), std::vector<unsigned long>{XK_2});
    EXPECT_TRUE(x11::keysymsFor(124).empty());
#endif
    EXPECT_FALSE(x11::activeFrame(nullptr).has_value());
    EXPECT_FALSE(x11::anyKeyDown(x11::keyMap(nullptr), {50}));
}

}  // namespace
}  // namespace vis
