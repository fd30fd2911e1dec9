// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SIGTERM and SIGHUP (a shutdown, a logout without session management,
// `kill`) end the program through its event loop: the handler runs between
// two events (a save under way on the workers is let finish first, by the
// program half), and Qt then hands the clipboard to a clipboard manager and
// removes the tray icon.

#include <functional>

namespace vis {

// Runs onSignal on the event loop's thread when one of them arrives.
void onTerminationSignals(std::function<void()> onSignal);

}  // namespace vis
