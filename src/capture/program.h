#pragma once

#include <memory>

#include "platform/services.h"

namespace vis {

class FrmMain;

// The whole program half: its windows, its globals, its start-up. A front end
// builds one on its platform and calls start(); from then on everything
// enters through the windows' handlers and timers.
class Program {
public:
    explicit Program(Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the main window, the start-up object.
    void start();

    FrmMain& frmMain();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vis
