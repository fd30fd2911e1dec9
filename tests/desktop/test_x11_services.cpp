// The X11 parts of the services, on a real X server with a window manager
// (tests/e2e/test_x11_services.sh runs them under Xvfb and openbox). Skipped
// on any other platform, such as the offscreen one of the ordinary run.

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include "desktop_support.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/x11.h"

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
    EXPECT_FALSE(keys.keyDown(16));
    XTestFakeKeyEvent(d, shift, True, 0);
    XTestFakeKeyEvent(d, f11, True, 0);
    XSync(d, False);
    EXPECT_TRUE(keys.keyDown(16)) << "either Shift key is SHIFT";
    EXPECT_TRUE(keys.keyDown(122));
    EXPECT_FALSE(keys.keyDown(17));
    EXPECT_FALSE(keys.keyDown(121));
    XTestFakeKeyEvent(d, f11, False, 0);
    XTestFakeKeyEvent(d, shift, False, 0);
    XSync(d, False);
    EXPECT_FALSE(keys.keyDown(16));
    EXPECT_FALSE(keys.keyDown(122));
    EXPECT_FALSE(keys.keyDown(999)) << "unknown codes are never down";
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
    EXPECT_FALSE(x11::anyKeyDown(nullptr, {50}));
}

}  // namespace
}  // namespace vis
