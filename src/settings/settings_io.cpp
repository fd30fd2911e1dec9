// Loading and saving the settings record.

#include "capture/frm_main.h"

namespace vis {

void FrmMain::chargtparam() {}
void FrmMain::SavOptions() {}
void FrmMain::mnuoptions_Click() {}

}  // namespace vis
