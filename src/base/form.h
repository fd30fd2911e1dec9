// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "base/program.h"
#include "platform/view.h"

namespace vis {

// A window of the program: built by its load handler on first reference,
// and able to be unloaded and built again later.
class Form : public Window {
public:
    Form(Program& program, std::string windowName) : Window(std::move(windowName)), app(program) {}

    void load() {
        if (loaded) return;
        clear();
        build();
        loaded = true;
        app.platform.windows.attach(*this);
        formLoad();
    }

    void unload() {
        if (!loaded) return;
        if (onUnload) onUnload();
        app.platform.windows.detach(*this);
        visible = false;
        clear();
        loaded = false;
    }

protected:
    // Creates the elements, menus and timers with their design values.
    virtual void build() = 0;
    // The load handler, run after build().
    virtual void formLoad() {}

    Program& app;
};

}  // namespace vis
