// SPDX-License-Identifier: GPL-3.0-or-later
// Unsaved captures put aside when the program must end without asking, and
// offered back at the next start.

#include <algorithm>

#include "capture/frm_main.h"
#include "output/recovery.h"
#include "capture/texts_recovery.h"
#include "platform/format.h"

namespace vis {

namespace {
constexpr int kPlaces = 29;  // the collection's size

RecoveryFolder recoveryFolder(Program& app) { return RecoveryFolder(utf8Path(app.platform.paths.recoveryFolder())); }

}  // namespace

std::vector<CaptureMiseDeCote> FrmMain::capturesNonEnregistrees() {
    std::vector<CaptureMiseDeCote> out;
    for (int i : app.collection.unsaved()) {
        const CaptureSlot& s = app.collection.capture(i);
        if (s.picture.isNull()) continue;
        CaptureMiseDeCote c;
        c.picture = s.picture;
        c.largeur = s.largeurImage;
        c.hauteur = s.hauteurImage;
        c.texteTaille = s.texteTaille;
        c.pleinEcran = s.kind == CaptureKind::FullScreen;
        c.largeurCapture = s.largeurCapture;
        c.hauteurCapture = s.hauteurCapture;
        out.push_back(std::move(c));
    }
    return out;
}

bool FrmMain::mettreDeCote() {
    // Once aside, the program ends: a signal during the last message must
    // not put them aside a second time.
    if (misesDeCote_) return true;
    // An offer still to come (put off by a capture under way) would find
    // this run's own captures and, answered Oui, take them out again.
    recuperationProposee_ = true;
    const std::vector<CaptureMiseDeCote> captures = capturesNonEnregistrees();
    misesDeCote_ = captures.empty() || recoveryFolder(app).store(captures);
    return misesDeCote_;
}

bool FrmMain::capturesEnSurete() {
    if (mettreDeCote()) return true;
    app.platform.messages.show(txt::pasMisesDeCote(app.platform.paths.recoveryFolder()), MsgButtons::Ok,
                               MsgIcon::Exclamation);
    return false;
}

void FrmMain::finSansQuestion() {
    // Files being written are let finish first; what they save is then not
    // put aside.
    if (sauvegardeEnCours()) {
        finApresSauvegarde_ = true;
        return;
    }
    app.end(mettreDeCote() ? 0 : 1);
}

void FrmMain::refiler(const CaptureMiseDeCote& c) {
    // Filed as the grab files a capture: from the control that holds it, at
    // the sizes the selection left.
    Control tenue;
    tenue.kind = c.pleinEcran ? ControlKind::Image : ControlKind::PictureBox;
    tenue.width = c.largeur;
    tenue.height = c.hauteur;
    tenue.picture = c.picture;
    largeurCapture = c.largeurCapture;
    hauteurCapture = c.hauteurCapture;
    Labtaille->caption = c.texteTaille;
    GestVignettes(tenue);
}

void FrmMain::proposerRecuperation() {
    if (recuperationProposee_ || app.ending) return;
    // Not over a capture under way: asked again a little later.
    if (captureBusy_ || selectionEnCours || selectionPossible()) {
        Timsplash->enabled = true;
        return;
    }
    recuperationProposee_ = true;
    const RecoveryFolder folder = recoveryFolder(app);
    const RecoveryFolder::Contents found = folder.load();
    const int n = static_cast<int>(found.captures.size());
    if (n == 0) return;
    const MsgResult answer = app.platform.messages.show(txt::recuperationQuestion(n), MsgButtons::YesNo,
                                                        MsgIcon::Question, txt::kRecuperationTitre);
    // Told to end meanwhile (a signal, the session's end): they wait for the next start.
    if (app.ending) return;
    if (answer != MsgResult::Yes) {
        folder.discard(found.sets);
        return;
    }
    const int k = std::min(n, std::max(0, kPlaces - app.collection.nbCaptures()));
    const double w = largeurCapture, h = hauteurCapture;
    const std::string taille = Labtaille->caption;
    for (int i = 0; i < k; ++i) refiler(found.captures[static_cast<std::size_t>(i)]);
    largeurCapture = w;
    hauteurCapture = h;
    Labtaille->caption = taille;
    if (k < n) {
        // The rest as a set of its own; should that fail, the old sets stay
        // whole: some captures may come back twice, none is lost.
        if (k > 0) {
            const std::vector<CaptureMiseDeCote> rest(found.captures.begin() + k, found.captures.end());
            if (!folder.store(rest)) return;
            folder.discard(found.sets);
        }
        app.platform.messages.show(txt::recuperationResteDeCote(n - k), MsgButtons::Ok, MsgIcon::Exclamation,
                                   txt::kRecuperationTitre);
        return;
    }
    folder.discard(found.sets);
}

}  // namespace vis
