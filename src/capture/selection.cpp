// SPDX-License-Identifier: GPL-3.0-or-later
// Selecting a region on the frozen screen.

#include <algorithm>
#include <cmath>

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "platform/format.h"

namespace vis {

MouseEvent FrmMain::surImageFigee(MouseEvent e) const {
    // The pointer leaves the picture while the button is held (over a title
    // bar, past a screen's edge): the region stops at the picture's edge
    // rather than take in pixels that are not on it.
    double w = Picture1->width;
    double h = Picture1->height;
    if (!Picture1->picture.isNull()) {
        const DesktopGeometry geo = app.platform.screen.geometry();
        w = std::min(w, geo.twipsOfPixels(Picture1->picture.width()));
        h = std::min(h, geo.twipsOfPixels(Picture1->picture.height()));
    }
    e.x = std::clamp(e.x, 0.0, std::max(w, 0.0));
    e.y = std::clamp(e.y, 0.0, std::max(h, 0.0));
    return e;
}

void FrmMain::Picture1_MouseDown(const MouseEvent& pointer) {
    // Only the frozen screen takes a selection; a press anywhere else must
    // never file a region.
    if (!selectionPossible()) return;
    const MouseEvent e = surImageFigee(pointer);
    xDebut = e.x;
    yDebut = e.y;
    // A left click without a drag selects nothing, not the previous rectangle
    // again; the right button moves that rectangle, so it keeps its size.
    if (e.button == kLeftButton) {
        rectsel->width = 0;
        rectsel->height = 0;
    }
    selectionEnCours = true;
    TimRect->enabled = true;
}

void FrmMain::Picture1_MouseMove(const MouseEvent& pointer) {
    if (!selectionEnCours) return;
    const MouseEvent e = surImageFigee(pointer);
    if (e.button == kLeftButton) {
        // Sizes and steps count the screen's own pixels, whatever its density:
        // twips of a device pixel, as the label and its estimate expect them.
        const double s = app.platform.screen.geometry().frozenScale();
        const double dy = std::fabs(yDebut - e.y) * s;
        const double dx = std::fabs(xDebut - e.x) * s;
        double h = dy;
        double w = dx;
        if (app.pasCent()) {
            h = dy - static_cast<double>(roundToEven(dy) % 100);
            w = dx - static_cast<double>(roundToEven(dx) % 100);
        }
        rectsel->height = static_cast<int>(std::lround(h / s));
        rectsel->width = static_cast<int>(std::lround(w / s));
        rectsel->top = static_cast<int>(std::lround(std::min(yDebut, e.y)));
        rectsel->left = static_cast<int>(std::lround(std::min(xDebut, e.x)));
        rectsel->visible = true;
        Labtaille->left = static_cast<int>(std::lround(e.x));
        Labtaille->top = static_cast<int>(std::lround(e.y));
        Labtaille->visible = true;
        const double W = static_cast<double>(std::lround(w));
        const double H = static_cast<double>(std::lround(h));
        Labtaille->caption =
            numberText(W) + " X" + numberText(H) + " = ~" + numberText(std::floor(H * W * 13.3 / 1000000)) + " K (bmp)";
        // 80 twips a character, or more where the font needs it: the label
        // wraps what does not fit, and its one line would lose the end.
        const IScreen& scr = app.platform.screen;
        Labtaille->width = std::max(80 * static_cast<int>(charCount(Labtaille->caption)),
                                    scr.textWidthTwips(Labtaille->caption, Labtaille->fontName, Labtaille->fontSize) +
                                        2 * scr.twipsPerPixelX());
    } else {
        // The moved rectangle stays on the picture too.
        const MouseEvent coin = surImageFigee({e.button, e.shift, e.x + rectsel->width, e.y + rectsel->height});
        rectsel->top = static_cast<int>(std::lround(std::max(coin.y - rectsel->height, 0.0)));
        rectsel->left = static_cast<int>(std::lround(std::max(coin.x - rectsel->width, 0.0)));
        yDebut = rectsel->top;
        xDebut = rectsel->left;
    }
}

void FrmMain::abandonnerSelection() {
    // A new grab replaces the picture the drag was on; its release must not
    // file a region of the new one.
    if (selectionEnCours) {
        selectionEnCours = false;
        TimRect->enabled = false;
        rectsel->visible = false;
    }
    Labtaille->visible = false;
}

void FrmMain::TimRect_Timer() { rectsel->borderColor = rectsel->borderColor == kBlack ? kLightGrey : kBlack; }

void FrmMain::Picture1_MouseUp(const MouseEvent& pointer) {
    if (!selectionEnCours) return;
    const MouseEvent e = surImageFigee(pointer);
    TimRect->enabled = false;
    selectionEnCours = false;
    state = WindowState::Normal;
    overDesktop = false;
    hauteurCapture = rectsel->height;
    largeurCapture = rectsel->width;
    hauteurSelection = hauteurCapture;
    largeurSelection = largeurCapture;
    hide();
    hauteurPleinEcran = Picture1->height;
    largeurPleinEcran = Picture1->width;
    Picture1->visible = false;
    Picture2->height = static_cast<int>(hauteurCapture) + 30;
    Picture2->width = static_cast<int>(largeurCapture) + 30;
    Picture2->top = bouton(0).height + 80;
    Picture2->left = 20;
    Picture2->picture = {};
    cropInto(*Picture2, std::min(xDebut, e.x), std::min(yDebut, e.y));
    xFin = e.x;
    yFin = e.y;
    marquerAffichee(false);
    Picture2->visible = !modeBarre;
    Picture1->visible = false;
    caption = std::string(txt::kTitleCaptured);

    const int w = largeurPour(Picture2->width);
    if (modeBarre) {
        hauteurHorsBarre = static_cast<int>(std::lround(hauteurCapture)) + 1430;
        largeurHorsBarre = w;
        // The stored size is the region's: unfolding shows the region.
        imageAffichee = "picture";
    } else {
        height = static_cast<int>(std::lround(hauteurCapture)) + 1430;
        width = w;
        left = screenWidth() - width;
    }
    top = 0;
    if (left + width > screenWidth()) left = screenWidth() - width;
    keepOnScreen();
    Labtaille->visible = false;
    afficherMain();
    Picture1->cursor = CursorKind::Cross;
    showMenus(true);
    // An empty selection (a click, or a drag shorter than a step) files nothing.
    if (!Picture2->picture.isNull())
        GestVignettes(*Picture2);
    else if (!enVeille)
        montrerListe();
    if (enVeille) {
        app.flistimages().hide();
        hide();
        setVeille(true);
    }
}

void FrmMain::Picture2_MouseMove(const MouseEvent& e) {
    Labtaill2->caption = Labtaille->caption;
    Labtaill2->width = Labtaille->width;
    Labtaill2->top = static_cast<int>(std::lround(e.y));
    Labtaill2->left = static_cast<int>(std::lround(e.x)) + 200;
}

}  // namespace vis
