// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The screen through the desktop portal (org.freedesktop.portal.Screenshot):
// under Wayland no client may read the screen itself, and rootless XWayland
// hands back black. The portal's picture ends on the clipboard as the X11
// grab's does.

#include <QDBusConnection>
#include <QString>
#include <memory>

#include "platform/services.h"

namespace vis {

struct PortalTimes {
    int answerMs = 5000;     // a grab without a dialog: longer is a failure
    int chooserMs = 120000;  // the user picking a window in the desktop's dialog
};

class PortalGrabber final : public IScreenGrabber {
public:
    explicit PortalGrabber(const QDBusConnection& bus, PortalTimes times = {});
    ~PortalGrabber() override;
    PortalGrabber(const PortalGrabber&) = delete;
    PortalGrabber& operator=(const PortalGrabber&) = delete;

    // typcapt 1: the desktop's own dialog, where the user picks the window;
    // the portal has no request for the active window.
    void pressPrintScreen(int typcapt) override;
    GrabFailure lastFailure() const override { return failure_; }
    bool userPicksWindow() const override { return true; }

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    GrabFailure failure_ = GrabFailure::Failed;
};

}  // namespace vis
