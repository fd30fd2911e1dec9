// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving the program: the quit command, the close box, the end of the
// desktop session.

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"
#include "settings/options.h"

namespace vis {

void FrmMain::quitprog() {
    if (refuserPendantSauvegarde()) return;
    TimPeriod->enabled = false;
    SavOptions();
    if (app.ending) return;
    if (app.optionsLoaded()) app.options().unload();
    if (app.collection.nbCaptures() >= 1) {
        const MsgResult r = app.platform.messages.show(std::string(txt::kSaveBeforeQuit), MsgButtons::YesNoCancel,
                                                       MsgIcon::None, std::string(txt::kSaveBeforeQuitTitle));
        if (r == MsgResult::Cancel) {
            reprendrePeriodique();
            return;
        }
        if (r == MsgResult::Yes) {
            // The program ends once every file is written, not before.
            EnregistrerTout([this](bool ok) {
                if (ok) quitterMaintenant();
            });
            return;
        }
    }
    quitterMaintenant();
}

void FrmMain::quitterMaintenant() {
    // The collection window refuses while the main window has not agreed;
    // the main window's agreement lets it go.
    bool cancel = false;
    if (app.flistimagesLoaded()) {
        Flistimages& l = app.flistimages();
        if (l.onQueryUnload) l.onQueryUnload(cancel, UnloadMode::Code);
    }
    cancel = false;
    Form_QueryUnload(cancel, UnloadMode::Code);
    Form_Unload();
    if (app.fcamLoaded()) app.fcam().unload();
    app.end(0);
}

void FrmMain::Form_QueryUnload(bool& cancel, UnloadMode mode) {
    switch (mode) {
        case UnloadMode::Code:
            app.g.sortieDemandee = true;
            return;
        case UnloadMode::SessionEndUnattended:
            // Nobody to answer: the captures wait for the next start.
            finSansQuestion();
            return;
        case UnloadMode::SessionEnd:
            if (app.collection.nbCaptures() < 1) {
                app.end(0);
                return;
            }
            cancel = true;
            if (app.platform.messages.show(std::string(txt::kSessionEnd), MsgButtons::OkCancel, MsgIcon::None,
                                           std::string(txt::kSessionEndTitle)) == MsgResult::Ok) {
                cancel = false;
                app.end(0);
            }
            return;
        default:
            cancel = true;
            masquerFenetres();
            TimerUnload->enabled = true;
            setVeille(true);
            return;
    }
}

void FrmMain::Form_Unload() { app.platform.tray.remove(); }

void FrmMain::TimerUnload_Timer() {
    masquerListe();
    TimerUnload->enabled = false;
}

}  // namespace vis
