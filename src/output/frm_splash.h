// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "base/form.h"

namespace vis {

// The window shown for the first two seconds: the program's logo, name and
// version, and where to start.
class FrmSplash : public Form {
public:
    explicit FrmSplash(Program& program) : Form(program, "frmSplash") {}

    Control* Frame1 = nullptr;
    Control* imgLogo = nullptr;
    Control* lblCompany = nullptr;
    Control* lblCompanyProduct = nullptr;
    Control* lblProductName = nullptr;
    Control* lblVersion = nullptr;
    Control* lblPlatform = nullptr;
    Control* lblWarning = nullptr;

protected:
    void build() override;
    void formLoad() override;
};

// The system the program runs on, as the splash names it ("Linux 64 bits").
std::string platformLine();

}  // namespace vis
