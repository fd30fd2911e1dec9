// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's machine on a real desktop: one implementation of each
// service, and the renderer that draws the windows. Build it after the
// QApplication and keep it alive as long as the program.

#include <memory>

#include "platform/services.h"

namespace vis {

class QtRenderer;

class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    // Lives as long as this object: the program may keep the reference.
    Platform& services();
    QtRenderer& renderer();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace vis
