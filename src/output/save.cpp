// Saving the captures: one through a dialog, or all under automatic names.

#include "capture/frm_main.h"

namespace vis {

void FrmMain::Enregistrer() {}
void FrmMain::EnregistrerTout(bool&) {}

}  // namespace vis
