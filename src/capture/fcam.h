// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/form.h"

namespace vis {

// The camera flash: a picture of a camera and a shutter sound for 300 ms
// after a grab.
class Fcam : public Form {
public:
    explicit Fcam(Program& program) : Form(program, "Fcam") {}

    // Shows the flash, starts the sound and the timer that unloads it.
    void declencher();
    void Timcam_Timer();

    Control* Imagecam = nullptr;
    Timer* Timcam = nullptr;

protected:
    void build() override;
};

}  // namespace vis
