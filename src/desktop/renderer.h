// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Draws the program's view models as Qt widgets and brings the user's input
// back to their handlers. After every handler it runs, all attached windows
// are brought in step with their models; inside a handler, processEvents and
// waits only take windows off the screen, so that what a handler shows
// appears once, in its final layout.

#include <functional>
#include <memory>

#include "platform/services.h"

class QWidget;
class QAction;
class QMenu;
class QTimer;

namespace vis {

class QtRenderer final : public IWindowSystem {
public:
    // Twips per pixel are read once from the screen, as the original did.
    explicit QtRenderer(const IScreen& screen);
    ~QtRenderer() override;
    QtRenderer(const QtRenderer&) = delete;
    QtRenderer& operator=(const QtRenderer&) = delete;

    void attach(Window& w) override;
    void detach(Window& w) override;
    void processEvents() override;
    void wait(double seconds) override;
    void runModal(Window& w) override;
    void popupMenu(Window& owner, MenuEntry& menu) override;
    void exitProgram(int code) override;
    // Runs a program handler as the renderer runs its own (not once the
    // program is ending), then brings every window in step.
    void run(const std::function<void()>& handler);

    // Brings every attached window in step with its view model now.
    void syncAll();
    // For a dialog's own loop: every window in step first, and handlers run
    // meanwhile show what they do at once, as between handlers. Holds until
    // the returned token is let go.
    std::shared_ptr<void> modalScope();
    // Where a timer's tick says it waits for a key (Timer::idleUntilKey): asked
    // with a wake-up to call; yes stops the timer until that call.
    void setKeyRest(std::function<bool(std::function<void()>)> rest);

    // What the renderer built, for tests; null when there is none (yet).
    QWidget* widgetFor(const Window& w) const;  // the top-level window
    QWidget* clientFor(const Window& w) const;  // its client area, below the menu bar
    QWidget* widgetFor(const Control& c) const;
    QAction* actionFor(const MenuEntry& e) const;  // a QMenu's menuAction() for entries with children
    QMenu* menuFor(const MenuEntry& e) const;      // entries with children only
    QTimer* timerFor(const Timer& t) const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

}  // namespace vis
