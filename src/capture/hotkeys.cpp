// SPDX-License-Identifier: GPL-3.0-or-later
// Global hot keys and the periodic capture.

#include <array>

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "output/frm_aide.h"
#include "settings/options.h"

namespace vis {

namespace {
constexpr int kVkShift = 16;
constexpr int kVkControl = 17;
constexpr int kVkF1 = 112;

// "1 " .. "9 ", "10", "11", "12": the number as the settings keep it.
std::string toucheTexte(int k) { return k < 10 ? std::to_string(k) + " " : std::to_string(k); }
}  // namespace

void FrmMain::Timerclav_Timer() {
    Timerclav->changedNothing = false;
    Timerclav->idleUntilKey = false;
    IKeyboard& kb = app.platform.keyboard;
    kb.beginPoll();
    // Each key is asked about once a poll: a key tapped since the previous
    // poll answers yes to the first question only.
    const bool shift = kb.keyDown(kVkShift);
    std::array<bool, 13> fn{};
    for (int k = 1; k <= 12; ++k) fn[static_cast<std::size_t>(k)] = kb.keyDown(kVkF1 + k - 1);
    const bool ctrl = kb.keyDown(kVkControl);
    const bool un = kb.keyDown('1');
    const bool deux = kb.keyDown('2');

    std::string candidat;
    if (shift)
        for (int k = 1; k <= 12 && candidat.empty(); ++k)
            if (fn[static_cast<std::size_t>(k)]) candidat = toucheTexte(k);
    const bool vue = !candidat.empty() && candidat == app.g.toucheF;
    // A combination held over several polls acts once.
    const bool nouvelle = vue && !toucheVue_;
    toucheVue_ = vue;
    if (nouvelle) toucheEnAttente_ = ctrl ? 10 : un ? 1 : deux ? 2 : 0;
    // One capture at a time: a combination pressed meanwhile waits for it,
    // and for a save under way.
    if (toucheEnAttente_ < 0 || captureBusy_ || sauvegardeEnCours()) {
        Timerclav->changedNothing = true;
        // A combination waiting for the capture is served by a later tick.
        Timerclav->idleUntilKey = toucheEnAttente_ < 0;
        return;
    }
    const int k = toucheEnAttente_;
    toucheEnAttente_ = -1;
    runShortcut(k);
    // Last: a poll run by the capture's own waits has said otherwise.
    Timerclav->changedNothing = false;
    Timerclav->idleUntilKey = false;
}

void FrmMain::runShortcut(int button) {
    if (app.optionsLoaded() && app.options().visible) app.options().unload();
    for (Aide a : {Aide::Vignettes, Aide::Principale, Aide::Options})
        if (app.aideVisible(a)) app.aide(a).unload();
    enVeille = veille_;
    bouton_Click(button);
}

void FrmMain::MnuCaptper_Click() {
    MenuEntry& m = menu("MnuCaptper");
    // Stopping always works: the region is needed to start only. Right
    // after an automatic save the collection is empty for one interval, and
    // a timer that could not be stopped then would run on. The three signs
    // are set together, never inverted one by one.
    const bool running = TimPeriod->enabled || m.checked;
    if (!running && (typeCapture == 'f' || typeCapture == 'e' || app.collection.nbCaptures() == 0)) {
        app.platform.messages.show(std::string(txt::kSelectRegionFirst), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    TimPeriod->enabled = !running;
    m.checked = !running;
    bouton(11).borderStyle = running ? 0 : 1;
}

void FrmMain::reprendrePeriodique() {
    if (menu("MnuCaptper").checked) TimPeriod->enabled = true;
}

bool FrmMain::periodiqueActif() const { return TimPeriod->enabled; }

void FrmMain::activerPeriodique(bool on) { TimPeriod->enabled = on; }

void FrmMain::TimPeriod_Timer() {
    // A grab still waiting, or a selection the user is making, is not
    // thrown away: the next tick tries again. Nor is a save under way
    // (its own, or the user's): ticks are skipped until it ends.
    if (captureBusy_ || selectionEnCours || selectionPossible() || sauvegardeEnCours()) return;
    Rafraichir();
    // From 10 on, not only at exactly 10: a run started with more captures
    // would otherwise fill the collection and never save.
    if (app.collection.nbCaptures() < 10) return;
    EnregistrerTout([this](bool ok) {
        if (ok) {
            Supprimertout(false);
        } else {
            TimPeriod->enabled = false;
            menu("MnuCaptper").checked = false;
        }
    });
}

}  // namespace vis
