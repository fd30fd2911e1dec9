// SPDX-License-Identifier: GPL-3.0-or-later
// Laying the main window out around a capture, and the toolbar strip.

#include <cmath>

#include "capture/frm_main.h"
#include "platform/format.h"

namespace vis {

void FrmMain::MefImageF(int typcapt) {
    state = WindowState::Normal;
    // A new whole-screen or window capture is not saved yet.
    marquerAffichee(false);
    showMenus(true);
    ImgTtscreen->picture = Picture1->picture;
    const int tx = app.platform.screen.twipsPerPixelX();
    const int ty = app.platform.screen.twipsPerPixelY();
    if (typcapt != 0) {
        Picture1->visible = false;
        // A picture box given a picture takes the picture's size, so the
        // window's own size follows whatever has resized the box meanwhile.
        if (!Picture1->picture.isNull()) {
            Picture1->width = Picture1->picture.width() * tx;
            Picture1->height = Picture1->picture.height() * ty;
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
    } else {
        ImgTtscreen->height = static_cast<int>(std::lround(screenHeight() / 1.1));
        ImgTtscreen->width = static_cast<int>(std::lround(screenWidth() / 1.1));
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
    }
}

void FrmMain::Agrandred() {
    if (app.g.nbCaptures < 1 || app.g.captureCourante < 1) return;
    if (modeBarre) {
        height = hauteurHorsBarre;
        width = largeurHorsBarre;
        if (imageAffichee == "picture")
            Picture2->visible = true;
        else
            ImgTtscreen->visible = true;
        modeBarre = false;
        left = screenWidth() - width;
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
}

}  // namespace vis
