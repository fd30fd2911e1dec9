// SPDX-License-Identifier: GPL-3.0-or-later
// Tray mode: the windows put to sleep and woken from the notification area.

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "collection/flistimages.h"

namespace vis {

void FrmMain::trayMessage(int m) {
    if (m == INotifyIcon::kLeftDoubleClick) {
        // Woken just after the close box: its timer must not hide the
        // collection again.
        TimerUnload->enabled = false;
        enVeille = false;
        state = state == WindowState::Minimized ? WindowState::Normal : state;
        show();
        Flistimages& l = app.flistimages();
        if (l.state == WindowState::Minimized) l.state = WindowState::Normal;
        l.show();
        setVeille(false);
    } else if (m == INotifyIcon::kRightDown) {
        app.platform.windows.popupMenu(*this, menu("mnucaptu"));
    }
}

void FrmMain::setVeille(bool v) {
    veille_ = v;
    menu("mnuveille").caption = std::string(v ? txt::kWake : txt::kSleep);
}

void FrmMain::mnuveille_Click() {
    if (veille_) {
        setVeille(false);
        enVeille = false;
        TimerUnload->enabled = false;
        menu("mnucaptu").visible = true;
        if (!app.collection.empty()) {
            Flistimages& l = app.flistimages();
            if (l.state == WindowState::Minimized) l.state = WindowState::Normal;
            l.show();
        }
        if (state == WindowState::Minimized) state = WindowState::Normal;
        show();
        return;
    }
    masquerFenetres();
    setVeille(true);
    menu("mnucaptu").visible = false;
}

void FrmMain::masquerFenetres() {
    if (app.platform.tray.available()) {
        hide();
    } else {
        // Hidden with no icon to bring it back, the program would be lost.
        state = WindowState::Minimized;
    }
    masquerListe();
}

void FrmMain::masquerListe() {
    if (!app.flistimagesLoaded()) return;
    Flistimages& l = app.flistimages();
    if (app.platform.tray.available())
        l.hide();
    else if (l.visible)
        l.state = WindowState::Minimized;
}

}  // namespace vis
