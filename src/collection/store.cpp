// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered collection of captures: adding, deleting one, deleting all.

#include <cmath>

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "platform/format.h"

namespace vis {

namespace {
constexpr int kMaxCaptures = 29;

// Next top in the column built by additions and deletions.
int topAfter(const Control& prev) { return prev.height > 800 ? prev.top + prev.height + 60 : prev.top + 800; }
}  // namespace

void FrmMain::refreshCountAndCaption() {
    Flistimages& l = app.flistimages();
    const int n = app.g.nbCaptures;
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

void FrmMain::GestVignettes(Control& uneImage) {
    Flistimages& l = app.flistimages();
    Globals& g = app.g;
    l.show();
    ++g.nbCaptures;
    if (g.nbCaptures == 1) bouton(15).borderStyle = 1;
    if (g.nbCaptures > kMaxCaptures) {
        app.platform.messages.show(std::string(txt::kCollectionFull), MsgButtons::Ok, MsgIcon::Exclamation);
        --g.nbCaptures;
    } else {
        const int n = g.nbCaptures;
        l.creerElement(n);
        Control& img = *l.Image1[static_cast<std::size_t>(n)];
        Control& lbl = *l.Lbldim[static_cast<std::size_t>(n)];
        Control& mark = *l.pictsave[static_cast<std::size_t>(n)];
        const Control& tmpl = *l.Image1[0];
        const double w = largeurCapture;
        const double h = hauteurCapture;
        if (h > w) {
            img.width = static_cast<int>(std::lround(w / h * tmpl.height));
        } else if (w > 0) {
            img.height = static_cast<int>(std::lround(h / w * tmpl.width));
        }
        const Control& prev = *l.Image1[static_cast<std::size_t>(n) - 1];
        img.top = topAfter(prev);
        lbl.top = img.top;
        mark.top = img.top;

        const bool region = uneImage.kind == ControlKind::PictureBox;
        img.picture = uneImage.picture;
        // Sizes in the screen's own pixels, as the selection's label has them.
        const double k = app.platform.screen.geometry().frozenScale();
        lbl.caption = region ? twoDigits(n) + "/ " + numberText(std::round(w * k)) + " x" + numberText(std::round(h * k))
                             : twoDigits(n) + " Plein écran";
        img.visible = true;
        for (int i = 1; i <= n; ++i) l.Image1[static_cast<std::size_t>(i)]->borderStyle = 0;
        img.borderStyle = 1;
        lbl.visible = true;
        mark.visible = false;
        if (l.normal()) {
            const int sh = screenHeight();
            l.height = sh - 500 > l.height ? img.top + img.height + 500 : sh - 500;
        }
        const std::size_t s = static_cast<std::size_t>(n) - 1;
        g.hauteurImage[s] = uneImage.height;
        g.largeurImage[s] = uneImage.width;
        g.hauteurFenetre[s] = uneImage.height + 1430;
        const int b = bouton(0).width;
        g.largeurFenetre[s] = uneImage.width > kToolbarButtons * b ? uneImage.width + 210 : kToolbarButtons * b;
        g.texteTaille[s] = Labtaille->caption;
    }
    g.captureCourante = g.nbCaptures;
    refreshCountAndCaption();
    afficherMain();
}

void FrmMain::SuppVignette() {
    Flistimages& l = app.flistimages();
    Globals& g = app.g;
    const int c = g.captureCourante;
    const int n = g.nbCaptures;
    if (c >= 1 && c <= n && n <= l.elementCount()) {
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

        for (int i = c; i <= n - 1; ++i) {
            Control& img = *l.Image1[static_cast<std::size_t>(i)];
            const Control& next = *l.Image1[static_cast<std::size_t>(i) + 1];
            img.picture = next.picture;
            img.height = next.height;
            img.width = next.width;
            l.Lbldim[static_cast<std::size_t>(i)]->caption = l.Lbldim[static_cast<std::size_t>(i) + 1]->caption;
            const std::size_t s = static_cast<std::size_t>(i) - 1;
            g.largeurImage[s] = g.largeurImage[s + 1];
            g.hauteurImage[s] = g.hauteurImage[s + 1];
            g.largeurFenetre[s] = g.largeurFenetre[s + 1];
            g.hauteurFenetre[s] = g.hauteurFenetre[s + 1];
            g.texteTaille[s] = g.texteTaille[s + 1];
            if (i != c) {
                img.top = topAfter(*l.Image1[static_cast<std::size_t>(i) - 1]);
                l.pictsave[static_cast<std::size_t>(i)]->top = img.top;
                l.Lbldim[static_cast<std::size_t>(i)]->top = img.top;
            }
            l.pictsave[static_cast<std::size_t>(i)]->visible = l.pictsave[static_cast<std::size_t>(i) + 1]->visible;
        }
        if (l.normal() && n >= 2) {
            const Control& last = *l.Image1[static_cast<std::size_t>(n) - 1];
            l.height = last.top + last.height + 600;
        }
        l.supprimerElement(n);
        --g.nbCaptures;
        if (g.nbCaptures < 1) l.hide();
    }
    g.captureCourante = 0;

    const int m = std::min(g.nbCaptures, l.elementCount());
    for (int i = 1; i <= m; ++i) {
        l.Image1[static_cast<std::size_t>(i)]->borderStyle = 0;
        Control& lbl = *l.Lbldim[static_cast<std::size_t>(i)];
        lbl.caption = twoDigits(i) + midChars(lbl.caption, 2);
    }
    if (l.normal() && m >= 1) l.height = l.hauteurColonne(600);
    refreshCountAndCaption();
}

void FrmMain::Supprimertout(bool avecMess) {
    Globals& g = app.g;
    if (g.nbCaptures == 0) return;
    if (avecMess && app.platform.messages.show(std::string(txt::kConfirmDeleteAll), MsgButtons::OkCancel,
                                               MsgIcon::Question) != MsgResult::Ok)
        return;
    ImgTtscreen->picture = {};
    Picture2->picture = {};
    ImgTtscreen->visible = false;
    Picture2->visible = false;
    marquerAffichee(false);
    if (state == WindowState::Normal) height = kBarHeight;
    Flistimages& l = app.flistimages();
    for (int i = l.elementCount(); i >= 1; --i) l.supprimerElement(i);
    g.nbCaptures = 0;
    l.hide();
    if (l.normal()) {
        l.width = 3500;
        l.height = 2000;
    }
    modeBarre = false;
    caption = std::string(txt::kTitleEmpty);
    // The collection window is no longer shown.
    bouton(15).borderStyle = 0;
}

void FrmMain::basculerVignettes() {
    if (app.g.nbCaptures < 1) return;
    Flistimages& l = app.flistimages();
    if (l.state != WindowState::Normal) {
        l.state = WindowState::Normal;
        bouton(15).borderStyle = 1;
    } else {
        l.state = WindowState::Minimized;
        bouton(15).borderStyle = 0;
    }
}

}  // namespace vis
