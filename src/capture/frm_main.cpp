// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/frm_main.h"

#include <filesystem>

#include "capture/fcam.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "output/bmp_codec.h"
#include "output/frm_aide.h"
#include "output/frm_splash.h"
#include "platform/format.h"

namespace vis {

namespace {
// Windows virtual-key codes the main window reacts to.
constexpr int kVkEscape = 27;
constexpr int kVkCopyPicture = 42;

constexpr std::uint32_t kMagenta = 0xFFFF00FFu;

// The cursor file marks the pixels not drawn in magenta.
Bitmap transparentOnMagenta(const Bitmap& b) {
    std::vector<std::uint32_t> px;
    px.reserve(static_cast<std::size_t>(b.width()) * static_cast<std::size_t>(b.height()));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t p = b.pixel(x, y);
            px.push_back(p == kMagenta ? 0 : p);
        }
    return Bitmap(b.width(), b.height(), std::move(px));
}

constexpr int kButtonWidth = 410;
constexpr int kButtonHeight = 420;
constexpr int kButtonTop = 20;
}  // namespace

FrmMain::FrmMain(Program& program) : Form(program, "frmMain") {}
FrmMain::~FrmMain() = default;

int FrmMain::screenWidth() const { return app.platform.screen.widthTwips(); }
int FrmMain::screenHeight() const { return app.platform.screen.heightTwips(); }
int FrmMain::currentWidth() const { return state == WindowState::Maximized ? screenWidth() : width; }
int FrmMain::currentHeight() const { return state == WindowState::Maximized ? screenHeight() : height; }

Bitmap FrmMain::loadDataPicture(const std::string& file, int w, int h, std::uint32_t fallback) {
    const auto path = std::filesystem::path(app.platform.paths.programFolder()) / file;
    if (auto b = readBmp(path.string())) return *b;
    // A missing data file must not leave a half-built window: a plain tile
    // keeps the toolbar usable.
    return Bitmap::filled(w, h, fallback);
}

// The selection's size label, hidden until a drag, drawn inside `inside`.
Control& FrmMain::sizeLabel(const char* labelName, Control* inside) {
    Control& l = addControl(ControlKind::Label, labelName);
    l.container = inside;
    l.visible = false;
    l.height = 240;
    l.backColor = rgb(255, 255, 225);
    return l;
}

void FrmMain::build() {
    const int tpp = app.platform.screen.twipsPerPixelX();
    for (int k = 0; k < kToolbarTiles; ++k) {
        Control& b = addControl(ControlKind::PictureBox, "bouton", k);
        b.width = kButtonWidth;
        b.height = kButtonHeight;
        b.top = kButtonTop;
        b.visible = false;
        bouton_[static_cast<std::size_t>(k)] = &b;
        if (k < kToolbarButtons) {
            b.onClick = [this, k] { bouton_Click(k); };
            b.onMouseMove = [this, k](const MouseEvent&) { bouton_MouseMove(k); };
        } else {
            b.onClick = [this, k] { bouton_Click(k); };
        }
    }

    labdeb = &addControl(ControlKind::Label, "labdeb");
    labdeb->autoSize = true;
    labdeb->height = 255;
    labdeb->left = 5900;

    Line1 = &addControl(ControlKind::Line, "Line1");

    Picture2 = &addControl(ControlKind::PictureBox, "Picture2");
    Picture2->visible = false;
    Picture2->left = 20;
    Picture2->top = 500;
    Picture2->borderStyle = 1;
    Picture2->devicePixels = true;
    Picture2->onMouseMove = [this](const MouseEvent& e) { Picture2_MouseMove(e); };

    Labtaill2 = &sizeLabel("Labtaill2", Picture2);

    ImgTtscreen = &addControl(ControlKind::Image, "ImgTtscreen");
    ImgTtscreen->visible = false;
    ImgTtscreen->left = 25;
    ImgTtscreen->top = 500;

    pictsave = &addControl(ControlKind::PictureBox, "pictsave");
    pictsave->visible = false;
    pictsave->left = 20;
    pictsave->top = 470;
    pictsave->width = 16 * tpp;
    pictsave->height = 15 * tpp;
    pictsave->picture = loadDataPicture(std::string(kFloppyFile), 16, 15, rgb(0, 0, 128));

    // Last, so that the frozen screen covers every other element while it is shown.
    Picture1 = &addControl(ControlKind::PictureBox, "Picture1");
    Picture1->visible = false;
    Picture1->left = 25;
    Picture1->top = 25;
    Picture1->devicePixels = true;
    Picture1->onMouseDown = [this](const MouseEvent& e) { Picture1_MouseDown(e); };
    Picture1->onMouseMove = [this](const MouseEvent& e) { Picture1_MouseMove(e); };
    Picture1->onMouseUp = [this](const MouseEvent& e) { Picture1_MouseUp(e); };
    // Without its file the custom cursor falls back to the cross-hair.
    if (auto c = readBmp((std::filesystem::path(app.platform.paths.programFolder()) / txt::kCursorFile).string()))
        Picture1->cursorPicture = transparentOnMagenta(*c);
    Picture1->hotSpotX = 15;
    Picture1->hotSpotY = 14;

    rectsel = &addControl(ControlKind::Shape, "rectsel");
    rectsel->container = Picture1;
    rectsel->visible = false;
    rectsel->borderColor = kBlack;

    Labtaille = &sizeLabel("Labtaille", Picture1);

    Timbouton = &addTimer("Timbouton", 200, false);
    Timbouton->onTick = [this] { Timbouton_Timer(); };
    Timerclav = &addTimer("Timerclav", 100, false);
    Timerclav->onTick = [this] { Timerclav_Timer(); };
    // Blinks only while a rectangle is being drawn: nothing ticks at rest.
    TimRect = &addTimer("TimRect", 250, false);
    TimRect->onTick = [this] { TimRect_Timer(); };
    TimPeriod = &addTimer("TimPeriod", 0, false);
    TimPeriod->onTick = [this] { TimPeriod_Timer(); };
    // Ticks once shortly after start-up, and once after each use of the close box.
    TimerUnload = &addTimer("TimerUnload", 100, true);
    TimerUnload->onTick = [this] { TimerUnload_Timer(); };
    // The hint slides at the pace of the original's system timer.
    Timlabdeb = &addTimer("Timlabdeb", 16, false);
    Timlabdeb->onTick = [this] { Timlabdeb_Timer(); };
    Timsplash = &addTimer("Timsplash", 2000, false);
    Timsplash->onTick = [this] { Timsplash_Timer(); };
    commandTimer = &addTimer("commandTimer", 100, false);
    commandTimer->onTick = [this] { serveExternalCommand(); };

    buildMenus();

    onKeyDown = [this](int keyCode, int) { Form_KeyDown(keyCode); };
    onActivate = [this] { Form_Activate(); };
    onResize = [this] { Form_Resize(); };
    onQueryUnload = [this](bool& cancel, UnloadMode mode) { Form_QueryUnload(cancel, mode); };
    onUnload = [this] { Form_Unload(); };
}

void FrmMain::loadToolbarPictures() {
    const int tpp = app.platform.screen.twipsPerPixelX();
    const int w = kButtonWidth / tpp;
    const int h = kButtonHeight / tpp;
    imageList1.assign(1, Bitmap());  // entries are 1-based
    for (const auto& p : txt::kToolbarPictures)
        imageList1.push_back(loadDataPicture(std::string(p.normalFile), w, h, rgb(0, 64, 160)));
    for (const auto& p : txt::kToolbarPictures)
        imageList1.push_back(loadDataPicture(std::string(p.highlightFile), w, h, rgb(64, 128, 224)));
}

void FrmMain::formLoad() {
    chargtconstMain();
    premiereSauvegarde = true;
    premiereCapture = true;
    loadToolbarPictures();

    Control& b0 = bouton(0);
    b0.picture = imageList1[1];
    b0.visible = true;
    b0.tooltip = std::string(txt::kTooltips[0]);
    const int tpp = app.platform.screen.twipsPerPixelX();
    const Bitmap tile =
        loadDataPicture(std::string(txt::kFillerTile), kButtonWidth / tpp, kButtonHeight / tpp, rgb(0, 64, 160));
    for (int i = 1; i < kToolbarTiles; ++i) {
        Control& b = bouton(i);
        const Control& prev = bouton(i - 1);
        b.top = prev.top;
        b.left = prev.left + prev.width - 5;
        if (i < kToolbarButtons) {
            b.picture = imageList1[static_cast<std::size_t>(i) + 1];
            b.tooltip = std::string(txt::kTooltips[static_cast<std::size_t>(i)]);
        } else {
            b.picture = tile;
        }
        b.visible = true;
    }

    ignorerActivation = false;
    top = 0;
    left = 0;
    app.frmSplash().show();
    Timsplash->enabled = true;

    state = WindowState::Normal;
    height = kStartHeight;
    labdeb->top = bouton(0).height + 20;
    Timlabdeb->enabled = true;
    top = 0;
    width = screenWidth() / 2;
    left = screenWidth() - width;
    Line1->left = 0;
    Line1->top = bouton(0).top + bouton(0).height;
    Line1->x2 = screenWidth();
    Line1->y2 = Line1->top;
    showMenus(true);
    caption = std::string(txt::kTitleStart);
    Labtaille->visible = false;
    app.fcam();
    app.platform.tray.add(icon, std::string(txt::kTrayTip), [this](int m) { trayMessage(m); });
}

void FrmMain::showMenus(bool show) {
    for (const char* n : {"mnufichier", "mnuedition", "mnuoutils", "mnuHelp"}) menu(n).visible = show;
}

void FrmMain::Timlabdeb_Timer() {
    posLabdeb += 100;
    if (posLabdeb == 100) {
        app.options();
        chargtparam();
        if (app.ending) return;
        Timerclav->enabled = true;
    }
    labdeb->left = 6000 - posLabdeb;
    if (posLabdeb == 5900) {
        posLabdeb = 0;
        Timlabdeb->enabled = false;
    }
}

void FrmMain::bouton_Click(int k) {
    const bool capture = k == 0 || k == 1 || k == 2 || k == 10;
    if (capture && captureBusy_) return;  // one capture at a time
    // Captures, saves, deletions and the quit wait for a save under way.
    const bool change = capture || k == 4 || k == 5 || k == 7 || k == 8 || k == 12;
    if (change && refuserPendantSauvegarde()) return;

    Timbouton->enabled = true;
    for (int i = 0; i < kToolbarButtons; ++i)
        if (i != 11 && i != 15) bouton(i).borderStyle = 0;
    if (k < kToolbarButtons && k != 11 && k != 15) bouton(k).borderStyle = 1;

    doButton(k);
}

void FrmMain::doButton(int k) {
    switch (k) {
        case 0:
            capturTTecran(0);
            if (captureEchouee) break;
            // "z" before annulation: right after a window capture the press
            // still enters the selection instead of leaving the window's
            // picture on top.
            typeCapture = 'z';
            annulation();
            RideauPhoto();
            premiereCapture = false;
            break;
        case 1:
            capturTTecran(0);
            if (captureEchouee) break;
            RideauPhoto();
            MefImageF(0);
            GestVignettes(*ImgTtscreen);
            typeCapture = 'e';
            premiereCapture = false;
            break;
        case 2:
            capturTTecran(1);
            if (captureEchouee) break;
            ignorerActivation = true;
            MefImageF(1);
            if (premiereCapture) {
                // Not where the user picks the window: the chooser would come twice.
                if (!app.platform.grabber.userPicksWindow()) {
                    capturTTecran(1);
                    MefImageF(1);
                }
                premiereCapture = false;
            }
            GestVignettes(*Picture1);
            typeCapture = 'f';
            break;
        case 3:
            Buttcopier();
            break;
        case 4:
            Enregistrer();
            break;
        case 5:
            EnregistrerTout();
            break;
        case 6:
            Imprimer();
            break;
        case 7:
            SuppVignette();
            break;
        case 8:
            Supprimertout(true);
            break;
        case 9:
            annulation();
            break;
        case 10:
            Rafraichir();
            break;
        case 11:
            MnuCaptper_Click();
            break;
        case 12:
            quitprog();
            break;
        case 13:
            mnuoptions_Click();
            break;
        case 14:
            Agrandred();
            break;
        case 15:
            basculerVignettes();
            break;
        case 16:
            mnuapropos_Click();
            break;
        default:
            break;  // filler tiles have no action
    }
}

void FrmMain::Timbouton_Timer() {
    for (int i = 0; i < kToolbarButtons; ++i)
        if (i != 11 && i != 15) bouton(i).borderStyle = 0;
    Timbouton->enabled = false;
}

void FrmMain::bouton_MouseMove(int k) {
    if (k < 0 || k >= kToolbarButtons) return;
    if (k != dernierBoutonSurvole || survolRepete) {
        for (int i = 0; i < kToolbarButtons; ++i) bouton(i).picture = imageList1[static_cast<std::size_t>(i) + 1];
        survolRepete = false;
    } else {
        survolRepete = true;
    }
    bouton(k).picture = imageList1[static_cast<std::size_t>(k) + 18];
    dernierBoutonSurvole = k;
}

void FrmMain::Form_KeyDown(int keyCode) {
    if (keyCode == kVkCopyPicture) {
        if (app.platform.clipboard.hasBitmap()) Picture1->picture = app.platform.clipboard.bitmap();
        return;
    }
    if (keyCode != kVkEscape || state != WindowState::Maximized) return;
    Picture2->picture = {};
    Picture2->visible = false;
    Picture1->visible = false;
    caption = std::string(txt::kTitleCaptured);
    Labtaille->visible = false;
    show();
    Picture1->cursor = CursorKind::Cross;
    showMenus(true);
    state = WindowState::Normal;
    overDesktop = false;
    height = kBarHeight;
    hauteurHorsBarre = kBarHeight;
    top = 0;
    modeBarre = true;
    majMarque();
    if (!enVeille) montrerListe();
}

void FrmMain::Form_Activate() {
    if (ignorerActivation) return;
    if (app.platform.clipboard.hasBitmap()) Picture1->picture = app.platform.clipboard.bitmap();
    // The frozen screen stays over the monitors it shows.
    if (coversDesktop()) {
        placeFrozenScreen();
        return;
    }
    Picture1->width = std::max(currentWidth() - 180, 0);
    Picture1->height = std::max(currentHeight() - 500, 0);
    Picture1->top = 25;
    Picture1->left = 25;
}

void FrmMain::Form_Resize() {
    if (state == WindowState::Minimized) app.flistimages().state = WindowState::Minimized;
}

void FrmMain::afficherMain() { show(); }

bool FrmMain::selectionPossible() const { return state == WindowState::Maximized && Picture1->visible; }

void FrmMain::marquerAffichee(bool sauvee) {
    captureAfficheeSauvee_ = sauvee;
    majMarque();
}

void FrmMain::majMarque() {
    pictsave->visible = captureAfficheeSauvee_ && !modeBarre && (Picture2->visible || ImgTtscreen->visible);
}

int FrmMain::largeurPour(int w) {
    const int b = bouton(0).width;
    return w > kToolbarButtons * b ? w + 180 : kToolbarButtons * b;
}

}  // namespace vis
