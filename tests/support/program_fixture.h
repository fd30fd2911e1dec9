// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "base/program.h"
#include "collection/flistimages.h"
#include "settings/options.h"
#include "settings/param_file.h"
#include "support/sim_platform.h"

namespace vis::sim {

// The program started on the simulated platform, with helpers that play the
// user.
class ProgramTest : public ::testing::Test {
protected:
    explicit ProgramTest(int widthPx = 1024, int heightPx = 768) : sim(widthPx, heightPx) {}

    void SetUp() override {
        writeSettings(defaultRecord(sim.paths.documents));
        start();
    }

    // param.txt in the program's folder, holding this record.
    void writeSettings(const std::string& record) {
        ASSERT_TRUE(saveParamFile(std::filesystem::path(sim.paths.program) / "param.txt", record));
    }

    void start() {
        platform = std::make_unique<Platform>(sim.platform());
        prog = std::make_unique<Program>(*platform);
        prog->start();
        // Let the start hint slide in and the settings load; a program that
        // ended (a damaged settings file) runs nothing more, exitCode tells.
        sim.windows.advance(2.0);
    }

    FrmMain& main() { return prog->frmMain(); }

    // Options as the dialog's OK stores them.
    void confirmOptions(const std::function<void(Options&)>& edit) {
        Options& o = prog->options();
        edit(o);
        o.OKButton->onClick();
    }
    Flistimages& liste() { return prog->flistimages(); }
    Globals& g() { return prog->g; }
    Collection& coll() { return prog->collection; }

    // A drag with the left button on the frozen screen, in twips.
    void drag(double x0, double y0, double x1, double y1, int button = kLeftButton) {
        main().Picture1_MouseDown({button, 0, x0, y0});
        main().Picture1_MouseMove({button, 0, (x0 + x1) / 2, (y0 + y1) / 2});
        main().Picture1_MouseMove({button, 0, x1, y1});
        main().Picture1_MouseUp({button, 0, x1, y1});
    }

    // Toolbar button 0 then a drag: one region filed.
    void captureRegion(double x0, double y0, double x1, double y1) {
        main().bouton_Click(0);
        drag(x0, y0, x1, y1);
    }

    SimPlatform sim;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Program> prog;
};

}  // namespace vis::sim
