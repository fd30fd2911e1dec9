// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "base/form.h"

namespace vis {

// Which window a help window explains.
enum class Aide { Principale, Vignettes, Options };

// A help window: one picture of the help text of a window of the program;
// a click on it closes the window.
class FrmAide : public Form {
public:
    FrmAide(Program& program, Aide which);

    // PicaidFN, Picaidfv or PicAidOpt.
    Control* picture = nullptr;

    // Shown modally, as the help menu does.
    void montrer();

protected:
    void build() override;
    void formLoad() override;

private:
    Aide which_;
};

}  // namespace vis
