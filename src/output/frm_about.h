// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/form.h"

namespace vis {

// What the About window asks of the main window.
class HoteAbout {
public:
    // The periodic capture that opening the window stopped runs again if it is on.
    virtual void reprendrePeriodique() = 0;
    // A mail to the author.
    virtual void envoimail() = 0;

protected:
    ~HoteAbout() = default;
};

// The About window: what the program is, who made it, a way to write to
// them and the system's own information program.
class FrmAbout : public Form {
public:
    FrmAbout(Program& program, HoteAbout& hote) : Form(program, "frmAbout"), hote_(hote) {}

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

private:
    HoteAbout& hote_;
};

}  // namespace vis
