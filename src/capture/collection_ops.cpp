// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered collection of captures: adding, deleting one, deleting all,
// showing one again.

#include <cmath>

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "platform/format.h"

namespace vis {

void FrmMain::refreshCountAndCaption() {
    Flistimages& l = app.flistimages();
    const int n = app.collection.nbCaptures();
    if (n < 2) {
        l.Vscroll1->enabled = false;
        l.Labscroll->caption.clear();
    } else {
        l.Vscroll1->enabled = true;
        l.Vscroll1->max = n;
        l.Labscroll->caption = numberText(n);
    }
    caption = std::string(txt::kLastCapture) + numberText(n) +
              std::string(n < 2 ? txt::kOneInProgress : txt::kManyInProgress);
}

void FrmMain::majBoutonVignettes() { bouton(15).borderStyle = app.collection.shown ? 1 : 0; }

void FrmMain::menuVignette() { app.platform.windows.popupMenu(*this, menu("Mnuflott")); }

void FrmMain::afficherCollection() {
    if (app.flistimagesLoaded()) app.flistimages().afficher();
    majBoutonVignettes();
}

void FrmMain::GestVignettes(Control& uneImage) {
    Collection& col = app.collection;
    Flistimages& l = app.flistimages();
    l.show();
    if (col.empty()) col.shown = true;
    const bool full = col.nbCaptures() >= Collection::kMaxCaptures;
    if (full)
        app.platform.messages.show(std::string(txt::kCollectionFull), MsgButtons::Ok, MsgIcon::Exclamation);
    // Refused, nothing is stored and the last capture becomes current.
    col.add(full ? CaptureSlot{} : depuis(uneImage));
    afficherCollection();
    if (!full) l.placerDernier();
    refreshCountAndCaption();
    afficherMain();
}

CaptureSlot FrmMain::depuis(const Control& uneImage) const {
    CaptureSlot c;
    c.picture = uneImage.picture;
    c.kind = uneImage.kind == ControlKind::PictureBox ? CaptureKind::Region : CaptureKind::FullScreen;
    c.largeurCapture = largeurCapture;
    c.hauteurCapture = hauteurCapture;
    // Sizes in the screen's own pixels, as the selection's label has them.
    const double k = app.platform.screen.geometry().frozenScale();
    c.dimensions = c.kind == CaptureKind::Region ? "/ " + numberText(std::round(largeurCapture * k)) + " x" +
                                                       numberText(std::round(hauteurCapture * k))
                                                 : " " + std::string(txt::kFullScreenLabel);
    c.hauteurImage = uneImage.height;
    c.largeurImage = uneImage.width;
    c.hauteurFenetre = uneImage.height + 1430;
    const int b = bouton_[0]->width;
    c.largeurFenetre = uneImage.width > kToolbarButtons * b ? uneImage.width + 210 : kToolbarButtons * b;
    c.texteTaille = Labtaille->caption;
    return c;
}

void FrmMain::SuppVignette() {
    Flistimages& l = app.flistimages();
    Collection& col = app.collection;
    const int c = col.captureCourante();
    const bool supprime = col.hasCurrent();
    if (supprime) {
        Picture2->picture = {};
        ImgTtscreen->picture = {};
        Picture2->visible = false;
        ImgTtscreen->visible = false;
        // No capture on display: no saved marker either.
        marquerAffichee(false);
        height = kBarHeight;
        width = kToolbarButtons * bouton(0).width;
        left = screenWidth() - width;
        top = 0;
    }
    col.remove(c);
    afficherCollection();
    if (supprime) {
        l.replacerApres(c);
        if (col.empty()) l.hide();
    }
    if (l.normal() && !col.empty()) l.height = l.hauteurColonne(600);
    refreshCountAndCaption();
}

void FrmMain::Supprimertout(bool avecMess) {
    Collection& col = app.collection;
    if (col.empty()) return;
    if (avecMess && app.platform.messages.show(std::string(txt::kConfirmDeleteAll), MsgButtons::OkCancel,
                                               MsgIcon::Question) != MsgResult::Ok)
        return;
    ImgTtscreen->picture = {};
    Picture2->picture = {};
    ImgTtscreen->visible = false;
    Picture2->visible = false;
    marquerAffichee(false);
    if (state == WindowState::Normal) height = kBarHeight;
    col.clear();
    afficherCollection();
    Flistimages& l = app.flistimages();
    l.hide();
    if (l.normal()) {
        l.width = 3500;
        l.height = 2000;
    }
    modeBarre = false;
    caption = std::string(txt::kTitleEmpty);
}

void FrmMain::basculerVignettes() {
    Collection& col = app.collection;
    if (col.empty()) return;
    Flistimages& l = app.flistimages();
    const bool montrer = l.state != WindowState::Normal;
    l.state = montrer ? WindowState::Normal : WindowState::Minimized;
    col.shown = montrer;
    majBoutonVignettes();
}

void FrmMain::montrerCapture(int num) {
    Collection& col = app.collection;
    if (!col.exists(num)) return;
    // The frozen screen keeps its selection; a thumbnail waits until it is over.
    if (selectionPossible()) return;
    const CaptureSlot& c = col.capture(num);
    state = WindowState::Normal;
    overDesktop = false;
    if (c.kind == CaptureKind::Region) {
        ImgTtscreen->visible = false;
        Picture2->visible = true;
        Picture2->picture = c.picture;
        Picture2->height = c.hauteurImage;
        Picture2->width = c.largeurImage;
        height = c.hauteurFenetre;
        width = c.largeurFenetre;
        typeCapture = 'z';
    } else {
        Picture2->visible = false;
        ImgTtscreen->visible = true;
        ImgTtscreen->picture = c.picture;
        const TwipRect d = app.platform.screen.geometry().frozenScreen();
        fitWholeScreen((d.width - 80) / 1.1, (d.height - 600) / 1.1);
        ImgTtscreen->top = 500;
        width = ImgTtscreen->width + 180;
        height = ImgTtscreen->height + 1400;
        typeCapture = 'e';
    }
    caption = "Capture" + numberText(num) + " / " + numberText(col.nbCaptures());
    left = screenWidth() - width;
    keepOnScreen();
    Labtaille->caption = c.texteTaille;
    Labtaill2->visible = false;
    modeBarre = false;
    marquerAffichee(c.saved);
    col.setCaptureCourante(num);
    afficherCollection();
}

}  // namespace vis
