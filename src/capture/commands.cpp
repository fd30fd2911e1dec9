// SPDX-License-Identifier: GPL-3.0-or-later
// Captures asked for from outside the program: the command line, for
// desktops whose own keyboard settings start the program with an action.

#include "capture/frm_main.h"

namespace vis {

void FrmMain::externalCommand(int button) {
    // The latest request wins: one capture is what the user asked for last.
    commandeEnAttente_ = button;
    commandTimer->enabled = true;
}

void FrmMain::serveExternalCommand() {
    // As a hot key: not before the settings are loaded (the poll of the keys
    // starts then), never while a capture waits for the screen, nor while
    // a save is under way.
    if (!Timerclav->enabled || captureBusy_ || sauvegardeEnCours()) return;
    commandTimer->enabled = false;
    const int button = commandeEnAttente_;
    commandeEnAttente_ = -1;
    if (button >= 0) runShortcut(button);
}

}  // namespace vis
