// SPDX-License-Identifier: GPL-3.0-or-later
// The renderer under the offscreen platform: view models in, widgets out, and
// the user's input back into the models and their handlers.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "desktop/qt_services.h"
#include "desktop/renderer.h"
#include "desktop_support.h"
#include "support/sim_platform.h"

namespace vis {
namespace {

using test::waitUntil;

Bitmap pattern(int w, int h) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = rgb(10 + x * 20, 20 + y * 30, 200);
    return Bitmap(w, h, std::move(px));
}

std::uint32_t pixelOf(QWidget* w, int x, int y) { return w->grab().toImage().pixel(x, y) | 0xFF000000u; }

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(screen.twipsPerPixelX(), 15) << "the offscreen screen is expected at 96 dpi";
        win.caption = "Vistrelle - essai";
        win.left = 1500;
        win.top = 750;
        win.width = 4500;
        win.height = 3000;
        win.loaded = true;
        r.attach(win);
    }
    void TearDown() override {
        r.detach(win);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Control& addPictureBox(int left, int top, int width, int height) {
        Control& c = win.addControl(ControlKind::PictureBox, "Picture1");
        c.left = left;
        c.top = top;
        c.width = width;
        c.height = height;
        return c;
    }

    QtScreen screen;
    QtRenderer r{screen};
    Window win{"frmTest"};
};

TEST_F(RendererTest, WindowGeometryVisibilityCaptionAndPictureReachTheWidgets) {
    Control& pic = addPictureBox(150, 300, 1500, 750);
    pic.picture = pattern(4, 3);
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(top->windowTitle(), QString::fromUtf8("Vistrelle - essai"));
    // Outer bounds, frame included, once the frame is known.
    EXPECT_TRUE(waitUntil([&] { return top->frameGeometry() == QRect(100, 50, 300, 200); }))
        << "frame " << top->frameGeometry().x() << "," << top->frameGeometry().y() << " "
        << top->frameGeometry().width() << "x" << top->frameGeometry().height();
    EXPECT_EQ(win.width, 4500) << "placing the window is no user resize";
    EXPECT_EQ(win.height, 3000);

    QWidget* client = r.clientFor(win);
    QWidget* pw = r.widgetFor(pic);
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(pw->parentWidget(), client);
    EXPECT_EQ(client->geometry().topLeft(), QPoint(0, 0)) << "no menu bar without menus";
    EXPECT_EQ(pw->geometry(), QRect(10, 20, 100, 50));
    // Drawn 1:1 at the top left, the rest is the background.
    EXPECT_EQ(pixelOf(pw, 0, 0), pic.picture.pixel(0, 0));
    EXPECT_EQ(pixelOf(pw, 3, 2), pic.picture.pixel(3, 2));
    EXPECT_EQ(pixelOf(pw, 50, 25), pw->palette().color(QPalette::Window).rgb() | 0xFF000000u);

    // Twips that fall between two pixels go to the nearer one.
    pic.left = 1507;
    pic.top = 1508;
    r.syncAll();
    EXPECT_EQ(pw->geometry().topLeft(), QPoint(100, 101));

    pic.picture = pattern(2, 2);
    pic.borderStyle = 1;  // a sunken frame: the picture moves inside it
    r.syncAll();
    EXPECT_EQ(pixelOf(pw, 2, 2), pic.picture.pixel(0, 0));

    // A 24-bit capture, drawn as it is and then from its display copy; the
    // next one is not hidden by that copy.
    pic.borderStyle = 0;
    pic.picture = sim::syntheticScreen(40, 30);
    r.syncAll();
    for (int paint = 0; paint < 3; ++paint) EXPECT_EQ(pixelOf(pw, 39, 29), pic.picture.pixel(39, 29)) << paint;
    pic.picture = sim::syntheticScreen(40, 30).cropped(5, 5, 30, 20);
    r.syncAll();
    EXPECT_EQ(pixelOf(pw, 29, 19), pic.picture.pixel(29, 19));

    pic.visible = false;
    r.syncAll();
    EXPECT_FALSE(pw->isVisible());
    win.hide();
    r.syncAll();
    EXPECT_FALSE(top->isVisible());
}

TEST_F(RendererTest, ImageStretchesItsPicture) {
    Control& img = win.addControl(ControlKind::Image, "ImgTtscreen");
    img.width = 1500;
    img.height = 750;
    img.picture = Bitmap(2, 1, {rgb(255, 0, 0), rgb(0, 0, 255)});
    win.show();
    r.syncAll();
    QWidget* iw = r.widgetFor(img);
    ASSERT_EQ(iw->size(), QSize(100, 50));
    EXPECT_EQ(pixelOf(iw, 5, 25), rgb(255, 0, 0));
    EXPECT_EQ(pixelOf(iw, 94, 25), rgb(0, 0, 255));
    img.picture = Bitmap(1, 1, {rgb(0, 255, 0)});
    r.syncAll();
    EXPECT_EQ(pixelOf(iw, 50, 25), rgb(0, 255, 0)) << "a new picture is not hidden by the cached one";
}

TEST_F(RendererTest, LabelCaptionFontAndCursorsReachTheWidgets) {
    Control& label = win.addControl(ControlKind::Label, "Labtaille");
    label.caption = "Ligne 1\r\nLigne 2";
    label.autoSize = true;
    Control& pic = addPictureBox(0, 0, 600, 600);
    pic.cursor = CursorKind::Custom;
    pic.cursorPicture = Bitmap::filled(32, 32, 0xFF000000u);
    pic.hotSpotX = 15;
    pic.hotSpotY = 14;
    Control& plain = addPictureBox(900, 0, 600, 600);
    win.show();
    r.syncAll();

    QWidget* lw = r.widgetFor(label);
    EXPECT_EQ(lw->accessibleName(), QString::fromUtf8("Ligne 1\nLigne 2"));
    // Sized to its two lines, and the model told so.
    EXPECT_EQ(label.width, lw->width() * 15);
    EXPECT_EQ(label.height, lw->height() * 15);
    EXPECT_GE(lw->height(), 2 * lw->fontMetrics().height());
    const int advance = lw->fontMetrics().horizontalAdvance(QStringLiteral("Ligne 1"));
    EXPECT_GE(lw->width(), advance);
    EXPECT_LE(lw->width(), advance + 3);

    const int before = label.width;
    label.caption = "Une ligne bien plus longue";
    r.syncAll();
    EXPECT_GT(label.width, before);
    EXPECT_LT(label.height, 2 * lw->fontMetrics().height() * 15);

    QWidget* pw = r.widgetFor(pic);
    EXPECT_EQ(pw->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(pw->cursor().hotSpot(), QPoint(15, 14));
    EXPECT_EQ(pw->cursor().pixmap().size(), QSize(32, 32));
    EXPECT_EQ(r.widgetFor(plain)->cursor().shape(), Qt::ArrowCursor);
    pic.cursor = CursorKind::Cross;
    r.syncAll();
    EXPECT_EQ(pw->cursor().shape(), Qt::CrossCursor);
    pic.cursor = CursorKind::Default;
    r.syncAll();
    EXPECT_EQ(pw->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(RendererTest, MouseReachesHandlersInTwipsWithButtonAndShift) {
    Control& pic = addPictureBox(150, 300, 1500, 750);
    std::vector<std::pair<char, MouseEvent>> seen;
    int clicks = 0, doubles = 0;
    pic.onMouseDown = [&](const MouseEvent& e) { seen.emplace_back('d', e); };
    pic.onMouseUp = [&](const MouseEvent& e) { seen.emplace_back('u', e); };
    pic.onMouseMove = [&](const MouseEvent& e) { seen.emplace_back('m', e); };
    pic.onClick = [&] { ++clicks; };
    pic.onDblClick = [&] { ++doubles; };
    win.show();
    r.syncAll();
    QWidget* pw = r.widgetFor(pic);

    QTest::mouseClick(pw, Qt::LeftButton, Qt::ShiftModifier, QPoint(7, 4));
    std::erase_if(seen, [](auto& s) { return s.first == 'm'; });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].first, 'd');
    EXPECT_EQ(seen[0].second.button, kLeftButton);
    EXPECT_EQ(seen[0].second.shift, 1);
    EXPECT_EQ(seen[0].second.x, 105);
    EXPECT_EQ(seen[0].second.y, 60);
    EXPECT_EQ(seen[1].first, 'u');
    EXPECT_EQ(seen[1].second.button, kLeftButton);
    EXPECT_EQ(clicks, 1);

    seen.clear();
    QTest::mouseClick(pw, Qt::RightButton, Qt::ControlModifier, QPoint(3, 2));
    std::erase_if(seen, [](auto& s) { return s.first == 'm'; });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].second.button, kRightButton);
    EXPECT_EQ(seen[0].second.shift, 2);
    EXPECT_EQ(seen[0].second.x, 45);
    EXPECT_EQ(clicks, 1) << "only the left button clicks";

    // A drag goes on reporting beyond the element, relative to it.
    seen.clear();
    QMouseEvent drag(QEvent::MouseMove, QPointF(-4, 70), QPointF(-4, 70), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pw, &drag);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second.button, kLeftButton);
    EXPECT_EQ(seen[0].second.x, -60);
    EXPECT_EQ(seen[0].second.y, 1050);

    // Inside a sunken frame, positions start inside it.
    pic.borderStyle = 1;
    r.syncAll();
    seen.clear();
    QTest::mousePress(pw, Qt::LeftButton, Qt::NoModifier, QPoint(7, 4));
    QTest::mouseRelease(pw, Qt::LeftButton, Qt::NoModifier, QPoint(7, 4));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].second.x, 75);
    EXPECT_EQ(seen[0].second.y, 30);

    clicks = 0;
    seen.clear();
    // What the window system sends for a double click.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(pw, &e);
    }
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](auto& s) { return s.first == 'd'; }), 1);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](auto& s) { return s.first == 'u'; }), 2);
    EXPECT_EQ(clicks, 1) << "the second press of a double click is no click";
}

TEST_F(RendererTest, HandlerMayRemoveItsOwnElementAndWindowsKeyOnIdentity) {
    Control& a = addPictureBox(0, 0, 300, 300);
    Control* doomed = &a;
    a.onMouseDown = [&](const MouseEvent&) { win.removeControl(doomed); };
    a.onClick = [] { FAIL() << "the removed element cannot click"; };
    Control& b = win.addControl(ControlKind::Label, "Lbldim", 1);
    b.caption = "01";
    win.show();
    r.syncAll();
    QPointer<QWidget> aw = r.widgetFor(a);
    QPointer<QWidget> bw = r.widgetFor(b);
    ASSERT_TRUE(aw && bw);

    QTest::mouseClick(aw, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(aw.isNull()) << "the widget of a removed element is deleted";
    EXPECT_FALSE(bw.isNull());
    EXPECT_EQ(win.controls.size(), 1u);

    // A new element gets a new widget, whatever address it lives at.
    win.removeControl(&b);
    Control& c = win.addControl(ControlKind::Label, "Lbldim", 1);
    c.caption = "02";
    r.syncAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(bw.isNull());
    ASSERT_NE(r.widgetFor(c), nullptr);
    EXPECT_EQ(r.widgetFor(c)->accessibleName(), QStringLiteral("02"));
}

TEST_F(RendererTest, ContainedElementsFollowTheirContainer) {
    Control& pic = addPictureBox(1500, 1500, 3000, 1500);
    Control& shape = win.addControl(ControlKind::Shape, "rectsel");
    shape.container = &pic;
    shape.left = 150;
    shape.top = 300;
    shape.width = 450;
    shape.height = 150;
    win.show();
    r.syncAll();
    QWidget* sw = r.widgetFor(shape);
    EXPECT_EQ(sw->parentWidget(), r.widgetFor(pic));
    EXPECT_EQ(sw->geometry(), QRect(10, 20, 30, 10));
    EXPECT_TRUE(sw->testAttribute(Qt::WA_TransparentForMouseEvents));
    pic.borderStyle = 1;
    r.syncAll();
    EXPECT_EQ(sw->geometry(), QRect(12, 22, 30, 10));

    // The container goes; its former child stays, on the window itself.
    win.removeControl(&pic);
    r.syncAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(r.widgetFor(shape), sw);
    EXPECT_EQ(sw->parentWidget(), r.clientFor(win));
    EXPECT_EQ(sw->geometry(), QRect(10, 20, 30, 10));
}

TEST_F(RendererTest, MenuEntriesRunTheirHandlersAndFollowTheModel) {
    MenuEntry& file = win.addMenu("mnufichier", "&Fichier");
    MenuEntry& save = file.add("mnuenregistrer", "&Enregistrer");
    save.shortcut = "Ctrl+E";
    MenuEntry& period = file.add("MnuCaptper", "Capture pério&dique");
    file.add("sep", "-");
    MenuEntry& popup = win.addMenu("Mnuflott", "flottant");
    popup.visible = false;
    popup.add("MnuFdelcap", "Effacer");
    int saves = 0, drops = 0;
    save.onClick = [&] { ++saves; };
    file.onDropDown = [&] {
        ++drops;
        save.enabled = false;
        period.checked = true;
    };
    win.show();
    r.syncAll();

    QAction* sa = r.actionFor(save);
    ASSERT_NE(sa, nullptr);
    EXPECT_EQ(sa->text(), QString::fromUtf8("&Enregistrer"));
    EXPECT_EQ(sa->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    EXPECT_TRUE(r.actionFor(file)->isVisible());
    EXPECT_FALSE(r.actionFor(popup)->isVisible()) << "hidden menus serve as pop-ups only";
    ASSERT_EQ(r.menuFor(file)->actions().size(), 3);
    EXPECT_TRUE(r.menuFor(file)->actions()[2]->isSeparator());

    sa->trigger();
    EXPECT_EQ(saves, 1);

    QMenu* fm = r.menuFor(file);
    fm->popup(QPoint(0, 0));
    EXPECT_EQ(drops, 1);
    EXPECT_FALSE(sa->isEnabled()) << "what the drop-down handler changed shows in the open menu";
    EXPECT_TRUE(r.actionFor(period)->isChecked());
    fm->hide();
    period.checked = false;
    r.syncAll();
    EXPECT_FALSE(r.actionFor(period)->isChecked());

    // The client area sits below the menu bar; without menus it takes the room.
    QWidget* top = r.widgetFor(win);
    QWidget* client = r.clientFor(win);
    const int barHeight = client->y();
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(client->height() + barHeight, top->height());
    file.visible = false;
    r.syncAll();
    EXPECT_EQ(client->y(), 0);
    EXPECT_EQ(client->height(), top->height());
}

TEST_F(RendererTest, UserEditsAreInTheModelBeforeTheHandlerRuns) {
    Control& text = win.addControl(ControlKind::TextBox, "Txtpref");
    text.width = 1500;
    text.height = 375;
    text.caption = "Ca";
    text.maxLength = 4;
    std::vector<std::string> texts;
    text.onChange = [&] { texts.push_back(text.caption); };
    Control& slider = win.addControl(ControlKind::Slider, "SlidQual");
    slider.top = 600;
    slider.width = 3000;
    slider.height = 450;
    slider.max = 90;
    slider.value = 70;
    std::vector<int> values;
    slider.onChange = [&] { values.push_back(slider.value); };
    Control& box = win.addControl(ControlKind::CheckBox, "Check1", 0);
    box.top = 1200;
    box.width = 3000;
    box.height = 300;
    std::vector<int> ticks;
    box.onClick = [&] { ticks.push_back(box.value); };
    win.show();
    r.syncAll();

    auto* edit = qobject_cast<QLineEdit*>(r.widgetFor(text));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("Ca"));
    edit->setFocus();
    QTest::keyClicks(edit, "xyz");
    EXPECT_EQ(texts, (std::vector<std::string>{"Cax", "Caxy"})) << "four characters at most";
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Backspace, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Eacute, QString::fromUtf8("é"), Qt::NoModifier);
    EXPECT_EQ(text.caption, "Caxé");

    auto* sl = qobject_cast<QSlider*>(r.widgetFor(slider));
    ASSERT_NE(sl, nullptr);
    EXPECT_EQ(sl->orientation(), Qt::Horizontal);
    EXPECT_EQ(sl->value(), 70);
    QTest::keyClick(sl, Qt::Key_Right);
    EXPECT_EQ(values, std::vector<int>{71});
    slider.value = 10;  // the program's own change reaches the widget, no handler
    r.syncAll();
    EXPECT_EQ(sl->value(), 10);
    EXPECT_EQ(values.size(), 1u);

    auto* cb = qobject_cast<QCheckBox*>(r.widgetFor(box));
    const QPoint onTheBox(4, cb->height() / 2);
    QTest::mouseClick(cb, Qt::LeftButton, Qt::NoModifier, onTheBox);
    QTest::mouseClick(cb, Qt::LeftButton, Qt::NoModifier, onTheBox);
    EXPECT_EQ(ticks, (std::vector<int>{1, 0}));
    box.value = 2;
    r.syncAll();
    EXPECT_EQ(cb->checkState(), Qt::PartiallyChecked);

    // The collection window's slider stands upright, smallest value on top.
    slider.width = 555;
    slider.height = 1335;
    r.syncAll();
    EXPECT_EQ(sl->orientation(), Qt::Vertical);
    EXPECT_TRUE(sl->invertedAppearance());
}

TEST_F(RendererTest, ButtonsAndKeysReachTheirHandlers) {
    Control& button = win.addControl(ControlKind::Button, "CdeOK");
    button.width = 1200;
    button.height = 450;
    button.caption = "OK";
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    std::vector<std::pair<int, int>> keys;
    win.onKeyDown = [&](int code, int shift) { keys.emplace_back(code, shift); };
    win.show();
    r.syncAll();
    auto* pb = qobject_cast<QPushButton*>(r.widgetFor(button));
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->text(), QStringLiteral("OK"));
    QTest::mouseClick(pb, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    QWidget* top = r.widgetFor(win);
    QTest::keyClick(top, Qt::Key_Escape);
    QTest::keyClick(top, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(top, Qt::Key_F5);
    QTest::keyClick(top, Qt::Key_2, Qt::ControlModifier);
    for (int k : {Qt::Key_Printer, Qt::Key_Print}) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(top, &press);
    }
    // The modifier keys themselves come first, as SHIFT (16) and CTRL (17).
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{
                        {27, 0}, {16, 1}, {65, 1}, {116, 0}, {17, 2}, {50, 2}, {42, 0}, {44, 0}}));
}

TEST_F(RendererTest, TimersFireThroughProcessEventsAndFollowTheModel) {
    int ticks = 0;
    Timer& t = win.addTimer("Timbouton", 1, true);
    t.onTick = [&] {
        ++ticks;
        t.enabled = false;  // switches itself off, as the toolbar's timer does
    };
    int gone = 0;
    win.addTimer("TimerUnload", 1, true).onTick = [&] {
        ++gone;
        win.timers.pop_back();  // deletes the very timer that is ticking
    };
    r.syncAll();
    ASSERT_NE(r.timerFor(t), nullptr);
    EXPECT_EQ(r.timerFor(t)->interval(), 1);
    for (int i = 0; i < 200 && (ticks == 0 || gone == 0); ++i) {
        r.processEvents();
        QThread::msleep(2);
    }
    for (int i = 0; i < 10; ++i) {
        r.processEvents();
        QThread::msleep(2);
    }
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(gone, 1);
    EXPECT_FALSE(r.timerFor(t)->isActive());
    EXPECT_EQ(win.timers.size(), 1u);

    t.interval = 250;
    t.enabled = true;
    r.syncAll();
    EXPECT_TRUE(r.timerFor(t)->isActive());
    EXPECT_EQ(r.timerFor(t)->interval(), 250);
    t.interval = 0;  // no ticks at all
    r.syncAll();
    EXPECT_FALSE(r.timerFor(t)->isActive());
}

TEST_F(RendererTest, RunModalReturnsOnceTheWindowIsHidden) {
    Window dlg("Options");
    dlg.loaded = true;
    dlg.width = 3000;
    dlg.height = 2000;
    Control& ok = dlg.addControl(ControlKind::Button, "CdeOK");
    ok.width = 1200;
    ok.height = 450;
    bool modalInside = false;
    Qt::WindowModality modality = Qt::NonModal;
    ok.onClick = [&] {
        modalInside = dlg.modal;
        modality = r.widgetFor(dlg)->windowModality();
        dlg.hide();
    };
    r.attach(dlg);
    QTimer::singleShot(0, [&] { QTest::mouseClick(r.widgetFor(ok), Qt::LeftButton); });
    r.runModal(dlg);
    EXPECT_TRUE(modalInside);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_FALSE(dlg.modal);
    EXPECT_FALSE(dlg.visible);
    EXPECT_FALSE(r.widgetFor(dlg)->isVisible());

    // Let go by the program from inside: runModal returns as well.
    ok.onClick = [&] { r.detach(dlg); };
    QTimer::singleShot(0, [&] { QTest::mouseClick(r.widgetFor(ok), Qt::LeftButton); });
    r.runModal(dlg);
    EXPECT_EQ(r.widgetFor(dlg), nullptr);
}

TEST_F(RendererTest, CloseBoxAsksTheProgram) {
    std::vector<UnloadMode> asked;
    bool refuse = true;
    int unloads = 0;
    win.onQueryUnload = [&](bool& cancel, UnloadMode mode) {
        asked.push_back(mode);
        cancel = refuse;
    };
    win.onUnload = [&] { ++unloads; };
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    top->close();
    EXPECT_EQ(asked, std::vector<UnloadMode>{UnloadMode::User});
    EXPECT_TRUE(top->isVisible());
    EXPECT_TRUE(win.visible);
    EXPECT_EQ(unloads, 0);

    refuse = false;
    top->close();
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(win.visible);
    EXPECT_FALSE(win.loaded);
    EXPECT_FALSE(top->isVisible());
}

TEST_F(RendererTest, UserResizeAndStateChangesAreWrittenBackBeforeOnResize) {
    std::vector<std::tuple<int, int, WindowState>> resizes;
    win.onResize = [&] { resizes.emplace_back(win.width, win.height, win.state); };
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    ASSERT_TRUE(waitUntil([&] { return top->frameGeometry().size() == QSize(300, 200); }));
    QCoreApplication::processEvents();
    ASSERT_TRUE(waitUntil([&] { return resizes.empty(); }, 100)) << "placing the window is no user resize";

    const QMargins m(top->geometry().left() - top->frameGeometry().left(),
                     top->geometry().top() - top->frameGeometry().top(), 0, 0);
    top->resize(top->width() + 20, top->height() + 10);  // as the user would drag the border
    ASSERT_TRUE(waitUntil([&] { return !resizes.empty(); }));
    EXPECT_EQ(resizes.front(), std::make_tuple(4800, 3150, WindowState::Normal));
    EXPECT_EQ(win.left, 1500) << "the position did not change";
    (void)m;

    resizes.clear();
    top->showMaximized();
    ASSERT_TRUE(waitUntil([&] { return !resizes.empty(); }));
    EXPECT_EQ(win.state, WindowState::Maximized);
    EXPECT_EQ(win.width, 4800) << "the normal bounds are kept while maximised";
    EXPECT_EQ(std::get<2>(resizes.back()), WindowState::Maximized);

    // The program asks for the normal state: the window takes its bounds back.
    win.state = WindowState::Normal;
    win.height = 3000;
    r.syncAll();
    EXPECT_TRUE(waitUntil([&] { return top->frameGeometry() == QRect(100, 50, 320, 200); }))
        << top->frameGeometry().width() << "x" << top->frameGeometry().height();
}

TEST_F(RendererTest, PopupMenuRunsTheChosenEntryBeforeReturning) {
    MenuEntry& flott = win.addMenu("Mnuflott", "flottant");
    flott.visible = false;
    MenuEntry& del = flott.add("MnuFdelcap", "Effacer la capture");
    int deleted = 0, opened = 0;
    del.onClick = [&] { ++deleted; };
    flott.onDropDown = [&] { ++opened; };
    win.show();
    r.syncAll();
    QTimer::singleShot(0, [&] {
        QMenu* m = r.menuFor(flott);
        ASSERT_TRUE(m && m->isVisible());
        m->setActiveAction(r.actionFor(del));
        QTest::keyClick(m, Qt::Key_Return);
    });
    r.popupMenu(win, flott);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(deleted, 1);
}

TEST_F(RendererTest, ActivationComesFromAnotherOfTheProgramsWindowsOrAShow) {
    Window other("Flistimages");
    other.loaded = true;
    other.left = 9000;
    other.width = 3000;
    other.height = 2000;
    int mine = 0, theirs = 0, focus = 0;
    win.onActivate = [&] { ++mine; };
    win.onGotFocus = [&] { ++focus; };
    other.onActivate = [&] { ++theirs; };
    r.attach(other);
    win.show();
    r.syncAll();
    ASSERT_TRUE(waitUntil([&] { return mine == 1; }));
    EXPECT_EQ(focus, 1) << "nothing in the window can take the focus";
    other.show();
    r.syncAll();
    ASSERT_TRUE(waitUntil([&] { return theirs == 1; }));
    win.show();  // brought to the front again
    r.syncAll();
    ASSERT_TRUE(waitUntil([&] { return mine == 2; }));
    EXPECT_EQ(theirs, 1);
    r.detach(other);
}

TEST_F(RendererTest, APollAtRestStopsTicksUntilAKeyMovesAndNotWhenToldNo) {
    std::function<void()> wake;
    bool restAllowed = true;
    r.setKeyRest([&](std::function<void()> w) {
        wake = std::move(w);
        return restAllowed;
    });
    int ticks = 0;
    Timer& t = win.addTimer("poll", 200, true);
    t.onTick = [&] {
        ++ticks;
        t.changedNothing = t.idleUntilKey = true;
    };
    win.show();
    r.syncAll();
    ASSERT_TRUE(test::waitUntil([&] { return ticks == 1; }));
    r.syncAll();  // the model still says enabled: the timer keeps resting
    test::waitUntil([] { return false; }, 250);
    EXPECT_EQ(ticks, 1);
    ASSERT_TRUE(wake);
    restAllowed = false;
    wake();
    EXPECT_TRUE(test::waitUntil([&] { return ticks == 2; }, 100)) << "a tick at once, not a poll later";
    EXPECT_TRUE(test::waitUntil([&] { return ticks >= 3; })) << "ticking again, the keyboard saying no";
}

TEST_F(RendererTest, ExitHidesAtOnceAndEndsTheEventLoopWithTheCode) {
    bool unloaded = false;
    int ticks = 0;
    win.onUnload = [&] { unloaded = true; };
    Timer& t = win.addTimer("t", 10, true);
    t.onTick = [&] { ++ticks; };
    win.show();
    r.syncAll();
    QWidget* top = r.widgetFor(win);
    bool hiddenAtOnce = false;
    QTimer::singleShot(0, [&] {
        r.exitProgram(3);
        hiddenAtOnce = !top->isVisible();
    });
    EXPECT_EQ(QCoreApplication::exec(), 3);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_FALSE(unloaded);
    // Nothing comes back and no handler runs any more.
    const int ticksAtEnd = ticks;
    win.show();
    r.syncAll();
    test::waitUntil([] { return false; }, 50);
    EXPECT_FALSE(top->isVisible());
    EXPECT_EQ(ticks, ticksAtEnd);
}

}  // namespace
}  // namespace vis
