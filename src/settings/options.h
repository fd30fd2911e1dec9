// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "base/form.h"
#include "settings/param_record.h"

namespace vis {

// What the options dialog asks of the main window.
class HoteOptions {
public:
    // Reads param.txt into the dialog and the settings.
    virtual void chargtparam() = 0;
    // Takes a record the dialog built, then writes it.
    virtual void appliquerGlobals(const ParamGlobals& pg) = 0;
    virtual void SavOptions() = 0;
    // The periodic capture, held while a dialog is open: on again if its
    // menu entry is checked.
    virtual void reprendrePeriodique() = 0;
    virtual bool periodiqueActif() const = 0;
    virtual void activerPeriodique(bool on) = 0;

protected:
    ~HoteOptions() = default;
};

// The options dialog. Loaded once and kept hidden, its controls are the live
// store of the settings that have no global of their own.
class Options : public Form {
public:
    Options(Program& program, HoteOptions& hote) : Form(program, "Options"), hote_(hote) {}

    Control* Label1 = nullptr;
    Control* Text1 = nullptr;
    Control* Cdeparcourir = nullptr;
    Control* Label5 = nullptr;
    Control* Txtpref = nullptr;
    Control* lblt = nullptr;
    Control* Txttouche = nullptr;
    Control* Label6 = nullptr;
    std::array<Control*, 3> Check1{};
    Control* Shape1 = nullptr;
    Control* Label4 = nullptr;
    Control* Slider1 = nullptr;
    Control* Label3 = nullptr;
    Control* Label7 = nullptr;
    Control* Slidtempo = nullptr;
    Control* Label2 = nullptr;
    Control* Txtinterval = nullptr;
    Control* OKButton = nullptr;
    Control* CdeAnnul = nullptr;

    void OKButton_Click();
    void CdeAnnul_Click();
    void Cdeparcourir_Click();
    void Txttouche_Change();

    // The settings as the controls hold them, and back.
    OptionsControls controls() const;
    void setControls(const OptionsControls& c);

protected:
    void build() override;
    void formLoad() override;

private:
    HoteOptions& hote_;
};

}  // namespace vis
