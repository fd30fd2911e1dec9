// SPDX-License-Identifier: GPL-3.0-or-later
// The current capture on the clipboard and on paper; a mail to the author;
// the About window; the end of the splash.

#include <cmath>

#include "capture/frm_main.h"
#include "output/frm_about.h"
#include "output/frm_splash.h"
#include "output/mail.h"
#include "output/texts_output.h"
#include "platform/format.h"

namespace vis {

namespace {
constexpr int kCaptionX = 3000, kCaptionY = 1000;
constexpr int kPictureX = 800, kPictureY = 2000;
constexpr int kPrintWidth = 10000;

// 10000 twips wide, the height in proportion, in single precision.
int hauteurAEchelle(double w, double h) {
    return static_cast<int>(
        std::lround(static_cast<float>(kPrintWidth) * static_cast<float>(h) / static_cast<float>(w)));
}
}  // namespace

void FrmMain::Buttcopier() {
    const Collection& col = app.collection;
    if (col.empty()) return;
    const int c = col.captureCourante();
    if (!col.hasCurrent()) {
        app.platform.messages.show(std::string(txt::kChooseCaptureToCopy), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // Replaced in one step, never emptied first: a clipboard manager would
    // put its last picture back into the empty clipboard meanwhile.
    app.platform.clipboard.setBitmap(col.capture(c).picture);
}

void FrmMain::Imprimer() {
    const Collection& col = app.collection;
    if (col.empty()) return;
    const int c = col.captureCourante();
    if (!col.hasCurrent()) {
        app.platform.messages.show(std::string(txt::kChooseCaptureToPrint), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    IPrinter& printer = app.platform.printer;
    if (!printer.choosePrinter()) return;

    printer.setCurrentPosition(kCaptionX, kCaptionY);
    const IClock& clock = app.platform.clock;
    bool ok =
        printer.printLine(std::string(txt::kPrintCaptionStart) + clock.shortDate() + std::string(txt::kPrintCaptionAt) +
                          clock.shortTime() + std::string(txt::kPrintCaptionEnd));

    // The kind is the capture's; the picture is the one the main window holds.
    const bool pleinEcran = col.capture(c).kind == CaptureKind::FullScreen;
    Bitmap picture;
    int w = kPrintWidth, h = 0;
    if (pleinEcran) {
        picture = ImgTtscreen->picture;
        h = hauteurAEchelle(screenWidth(), screenHeight());
    } else {
        picture = Picture2->picture;
        w = Picture2->width;
        h = Picture2->height;
    }
    // The frozen screen left with Escape empties the main window's picture:
    // the capture itself stands in for it, at its own size.
    if (picture.isNull()) {
        picture = col.capture(c).picture;
        if (!pleinEcran) {
            w = picture.width() * app.platform.screen.twipsPerPixelX();
            h = picture.height() * app.platform.screen.twipsPerPixelY();
        }
    }
    if (!pleinEcran && w > kPrintWidth) {
        h = hauteurAEchelle(w, h);
        w = kPrintWidth;
    }
    ok = ok && printer.paintPicture(picture, kPictureX, kPictureY, w, h);
    ok = ok && printer.endDoc();
    if (!ok) {
        printer.killDoc();
        app.platform.messages.show(std::string(txt::kPrintFailed), MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

void FrmMain::envoimail() {
    const std::string address = authorMail();
    if (app.platform.mail.openMailto(mailtoUrl(address, std::string(txt::kMailSubject)))) return;
    app.platform.messages.show(std::string(txt::kNoMailProgram) + address + std::string(txt::kNoMailProgramEnd),
                               MsgButtons::Ok, MsgIcon::Information);
}

void FrmMain::mnuapropos_Click() {
    TimPeriod->enabled = false;
    app.frmAbout().show();
    ignorerActivation = true;
}

void FrmMain::Timsplash_Timer() {
    if (app.splashLoaded()) app.frmSplash().unload();
    Timsplash->enabled = false;
    // The window is up and the settings are read: time to offer back what
    // an earlier run had to put aside.
    proposerRecuperation();
}

}  // namespace vis
