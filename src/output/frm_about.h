// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/form.h"

namespace vis {

// The About window: what the program is, who made it, a way to write to
// them and the system's own information program.
class FrmAbout : public Form {
public:
    explicit FrmAbout(Program& program) : Form(program, "frmAbout") {}

    Control* picIcon = nullptr;
    Control* lblTitle = nullptr;
    Control* lblVersion = nullptr;
    Control* lblDescription = nullptr;
    Control* Line1 = nullptr;
    Control* lblDisclaimer = nullptr;
    Control* labmail = nullptr;
    Control* Cdemail = nullptr;
    Control* cmdOK = nullptr;
    Control* cmdSysInfo = nullptr;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Cdemail_Click();
    void StartSysInfo();

protected:
    void build() override;
    void formLoad() override;
};

}  // namespace vis
