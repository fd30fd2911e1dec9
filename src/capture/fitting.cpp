// SPDX-License-Identifier: GPL-3.0-or-later
// Laying the main window out around a capture, and the toolbar strip.

#include <algorithm>
#include <cmath>

#include "capture/frm_main.h"
#include "platform/format.h"

namespace vis {

void FrmMain::MefImageF(int typcapt) {
    state = WindowState::Normal;
    overDesktop = false;
    // A new whole-screen or window capture is not saved yet.
    marquerAffichee(false);
    showMenus(true);
    ImgTtscreen->picture = Picture1->picture;
    const DesktopGeometry geo = app.platform.screen.geometry();
    if (typcapt != 0) {
        Picture1->visible = false;
        // A picture box given a picture takes the picture's size (shown in
        // device pixels), so the window's own size follows whatever has
        // resized the box meanwhile.
        if (!Picture1->picture.isNull()) {
            Picture1->width = static_cast<int>(std::lround(geo.twipsOfPixels(Picture1->picture.width())));
            Picture1->height = static_cast<int>(std::lround(geo.twipsOfPixels(Picture1->picture.height())));
        }
        Picture2->picture = Picture1->picture;
        Picture2->height = Picture1->height;
        Picture2->width = Picture1->width;
        Picture2->top = 500;
        Picture2->left = 20;
        Picture2->visible = !modeBarre;
        ImgTtscreen->visible = false;
        const int w = largeurPour(Picture2->width);
        if (modeBarre) {
            hauteurHorsBarre = Picture2->height + 1400;
            largeurHorsBarre = w;
            imageAffichee = "picture";
        } else {
            height = Picture2->height + 1400;
            width = w;
            left = screenWidth() - width;
        }
        largeurCapture = Picture2->width;
        hauteurCapture = Picture2->height;
        keepOnScreen();
    } else {
        const TwipRect d = geo.frozenScreen();
        fitWholeScreen(d.width / 1.1, d.height / 1.1);
        Picture1->visible = false;
        ImgTtscreen->visible = !modeBarre;
        ImgTtscreen->left = Picture1->left;
        ImgTtscreen->top = 500;
        if (modeBarre) {
            hauteurHorsBarre = ImgTtscreen->height + 1400;
            largeurHorsBarre = ImgTtscreen->width + 180;
            imageAffichee = "image";
        } else {
            height = ImgTtscreen->height + 1400;
            width = ImgTtscreen->width + 180;
            left = screenWidth() - width;
        }
        Picture2->visible = false;
        largeurCapture = ImgTtscreen->width;
        hauteurCapture = ImgTtscreen->height;
        keepOnScreen();
    }
}

void FrmMain::fitWholeScreen(double widthTw, double heightTw) {
    int w = static_cast<int>(std::lround(widthTw));
    int h = static_cast<int>(std::lround(heightTw));
    // The window goes flush right on the screen, 180 wider and 1400 higher
    // than the picture: where that leaves its monitor's work area, the
    // picture is reduced further, keeping the desktop's proportions.
    const DesktopGeometry geo = app.platform.screen.geometry();
    const TwipRect work = geo.workAreaOf(geo.monitorOf({screenWidth() - (w + 180), top, w + 180, h + 1400}));
    if (w > 0 && h > 0) {
        const double f = std::min({1.0, (work.width - 180.0) / w, (work.height - 1400.0) / h});
        if (f > 0 && f < 1) {
            w = static_cast<int>(std::lround(w * f));
            h = static_cast<int>(std::lround(h * f));
        }
    }
    ImgTtscreen->width = w;
    ImgTtscreen->height = h;
}

void FrmMain::keepOnScreen() {
    // The frozen screen covers every monitor on purpose; a minimised window
    // comes back to its bounds, kept inside then.
    if (state != WindowState::Normal) return;
    const TwipRect r = app.platform.screen.geometry().keptInside({left, top, width, height});
    left = r.left;
    top = r.top;
    width = r.width;
    height = r.height;
}

void FrmMain::Agrandred() {
    if (app.collection.nbCaptures() < 1 || app.collection.captureCourante() < 1) return;
    if (modeBarre) {
        height = hauteurHorsBarre;
        width = largeurHorsBarre;
        if (imageAffichee == "picture")
            Picture2->visible = true;
        else
            ImgTtscreen->visible = true;
        modeBarre = false;
        left = screenWidth() - width;
        keepOnScreen();
        majMarque();
        return;
    }
    if (Picture2->visible) {
        Picture2->visible = false;
        imageAffichee = "picture";
    }
    if (ImgTtscreen->visible) {
        ImgTtscreen->visible = false;
        imageAffichee = "image";
    }
    hauteurHorsBarre = height;
    largeurHorsBarre = width;
    height = kBarHeight;
    width = kToolbarButtons * bouton(0).width;
    modeBarre = true;
    majMarque();
    left = screenWidth() - width;
    keepOnScreen();
}

}  // namespace vis
