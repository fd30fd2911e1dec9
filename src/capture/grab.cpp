// SPDX-License-Identifier: GPL-3.0-or-later
// The screen grab, the camera flash, the return to the frozen screen and the
// repeat capture of the last region.

#include <cmath>
#include <new>

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "output/frm_aide.h"
#include "output/frm_splash.h"
#include "platform/format.h"
#include "settings/options.h"

namespace vis {

namespace {
// Marks a capture as waiting for the screen; requests arriving meanwhile
// from timers or clicks are dropped.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};
}  // namespace

void FrmMain::attendre(double seconds) {
    // Events keep running meanwhile, as they arrive: no spinning.
    if (seconds > 0) app.platform.windows.wait(seconds);
}

bool FrmMain::fenetreBloquante() {
    // The options dialog or a help window on screen keeps the main and
    // collection windows where they are after a grab.
    if (app.optionsLoaded() && app.options().visible) return true;
    for (Aide a : {Aide::Principale, Aide::Vignettes, Aide::Options})
        if (app.aideVisible(a)) return true;
    return false;
}

void FrmMain::fermerSplash() {
    // The start-up window would be in the picture, and over the frozen screen.
    if (app.splashLoaded()) app.frmSplash().unload();
}

void FrmMain::montrerListe() {
    Flistimages& l = app.flistimages();
    l.show();
    // Its activation hides it again when there is nothing to show; doing so
    // here keeps an empty window off the screen whatever the window manager
    // does with activation.
    if (app.collection.nbCaptures() == 0 || enVeille) l.hide();
}

void FrmMain::capturTTecran(int typcapt) {
    BusyScope busy(captureBusy_);
    auto& p = app.platform;
    abandonnerSelection();
    fermerSplash();
    p.clipboard.clear();
    p.windows.processEvents();
    if (app.g.inclureFenetres == 0) {
        app.flistimages().hide();
        p.windows.processEvents();
        hide();
        p.windows.processEvents();
    }
    captureEchouee = false;
    Panne panne = essayer([&] {
        attendre(app.g.tempo);
        p.grabber.pressPrintScreen(typcapt);
        p.windows.processEvents();
        attendre(app.g.tempo);
    });
    if (!fenetreBloquante()) {
        afficherMain();
        montrerListe();
    }
    Bitmap prise;
    if (panne == Panne::Aucune)
        panne = essayer([&] {
            if (p.clipboard.hasBitmap()) prise = p.clipboard.bitmap();
        });
    if (prise.isNull()) {
        captureEchouee = true;
        signalerEchec(panne);
        return;
    }
    Picture1->visible = true;
    Picture1->picture = prise;
    p.windows.processEvents();
    p.windows.processEvents();
    Picture1->visible = true;
    labdeb->visible = false;
}

template <class F>
FrmMain::Panne FrmMain::essayer(F&& f) {
    try {
        f();
        return Panne::Aucune;
    } catch (const std::bad_alloc&) {
        return Panne::Memoire;
    } catch (const std::exception&) {
        return Panne::Autre;
    }
}

void FrmMain::signalerEchec(Panne panne) {
    if (panne != Panne::Aucune) {
        app.platform.messages.show(std::string(panne == Panne::Memoire ? txt::kOutOfMemory : txt::kGrabFailed),
                                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Whoever closed the desktop's own dialog knows why nothing came.
    const GrabFailure why = app.platform.grabber.lastFailure();
    if (why == GrabFailure::Cancelled) return;
    app.platform.messages.show(std::string(why == GrabFailure::Impossible ? txt::kGrabImpossible : txt::kGrabFailed),
                               MsgButtons::Ok, MsgIcon::Information);
}

void FrmMain::RideauPhoto() {
    Fcam& f = app.fcam();
    f.declencher();
}

void FrmMain::annulation() {
    if (typeCapture == 'f') return;
    // Nothing of the program may lie over the frozen screen, which must hold
    // the focus for Escape: the collection comes back after the selection.
    if (app.flistimagesLoaded()) app.flistimages().hide();
    state = WindowState::Maximized;
    overDesktop = true;
    show();
    app.platform.windows.processEvents();
    Labtaill2->visible = false;
    Labtaille->visible = false;
    placeFrozenScreen();
    Picture1->visible = true;
    rectsel->visible = false;
    caption = std::string(txt::kTitleSelect);
    Picture1->cursor = CursorKind::Custom;
    showMenus(false);
    menu("mnucaptu").visible = false;
    setVeille(false);
    ImgTtscreen->visible = false;
}

void FrmMain::Rafraichir() {
    if (captureBusy_) return;
    if (typeCapture == 'e') {
        doButton(1);
        return;
    }
    if (typeCapture == 'f') {
        doButton(2);
        return;
    }
    if (hauteurPleinEcran == 0) {
        app.platform.messages.show(std::string(txt::kNoSelection), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    auto& p = app.platform;
    const Bitmap affichee = Picture2->picture;
    const Bitmap figee = Picture1->picture;
    Panne panne = Panne::Aucune;
    Bitmap prise;
    {
        BusyScope busy(captureBusy_);
        abandonnerSelection();
        ImgTtscreen->visible = false;
        if (!modeBarre) Picture2->visible = true;
        Picture2->picture = {};
        Picture1->height = hauteurPleinEcran;
        Picture1->width = largeurPleinEcran;
        fermerSplash();
        p.clipboard.clear();
        p.windows.processEvents();
        if (app.g.inclureFenetres == 0) {
            app.flistimages().hide();
            hide();
            p.windows.processEvents();
            // The original paused by counting without processing events; a
            // short fixed pause lets the windows leave the screen.
            attendre(0.05);
        }
        panne = essayer([&] {
            p.grabber.pressPrintScreen(0);
            p.windows.processEvents();
            if (p.clipboard.hasBitmap()) prise = p.clipboard.bitmap();
        });
    }
    if (!prise.isNull()) panne = essayer([&] { recadrerSurPrise(prise); });
    captureEchouee = prise.isNull() || panne != Panne::Aucune;
    if (captureEchouee) {
        // A crop of the previous picture would be filed as a new capture.
        // The periodic capture stops rather than fail again at every tick.
        Picture2->picture = affichee;
        Picture1->picture = figee;
        if (TimPeriod->enabled) {
            TimPeriod->enabled = false;
            menu("MnuCaptper").checked = false;
            bouton(11).borderStyle = 0;
        }
        app.flistimages().show();
        afficherMain();
        signalerEchec(panne);
        return;
    }
    marquerAffichee(false);
    app.flistimages().show();
    afficherMain();
    if (!Picture2->picture.isNull()) GestVignettes(*Picture2);
}

void FrmMain::recadrerSurPrise(const Bitmap& prise) {
    Picture1->picture = prise;
    const int s = app.collection.nbCaptures() >= 1 ? app.collection.nbCaptures() - 1 : 0;
    Picture2->height = app.collection.hauteurImage(s);
    Picture2->width = app.collection.largeurImage(s);
    if (state == WindowState::Normal && !modeBarre) {
        height = app.collection.hauteurFenetre(s);
        width = app.collection.largeurFenetre(s);
        keepOnScreen();
    }
    Labtaille->caption = app.collection.texteTaille(s);
    largeurCapture = largeurSelection;
    hauteurCapture = hauteurSelection;
    cropInto(*Picture2, std::min(xDebut, xFin), std::min(yDebut, yFin));
}

void FrmMain::placeFrozenScreen() {
    // The window lies over every monitor and the picture over the window, so
    // that each part of it is shown 1:1 over the monitor it came from and a
    // region can be dragged anywhere, across the seams too.
    const TwipRect r = app.platform.screen.geometry().frozenScreen();
    Picture1->left = 0;
    Picture1->top = 0;
    Picture1->width = r.width;
    Picture1->height = r.height;
}

void FrmMain::cropInto(Control& target, double leftTw, double topTw) {
    // Exactly the selected pixels of the frozen screen: the display box may
    // be larger, the filed picture is not.
    const DesktopGeometry geo = app.platform.screen.geometry();
    // The pixels whose area the rectangle covers, edges rounded alike.
    const long x0 = std::lround(geo.pixelsOfTwips(leftTw));
    const long y0 = std::lround(geo.pixelsOfTwips(topTw));
    const long x1 = std::lround(geo.pixelsOfTwips(leftTw + largeurCapture));
    const long y1 = std::lround(geo.pixelsOfTwips(topTw + hauteurCapture));
    target.picture = Picture1->picture.cropped(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                                               static_cast<int>(y1 - y0));
}

}  // namespace vis
