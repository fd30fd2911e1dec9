// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's own folders, read from the environment as the XDG base
// directory rules say. Empty when nothing names them.

#include <filesystem>

namespace vis {

// $HOME when it is an absolute path; otherwise the account's home from the
// password database (a service started without HOME must not write to "/").
// %USERPROFILE% on Windows.
std::filesystem::path homeFolder();

// $variable when it is an absolute path (a relative one is to be ignored),
// otherwise the home folder followed by underHome.
std::filesystem::path xdgFolder(const char* variable, const char* underHome);

// The base folders: configuration ($XDG_CONFIG_HOME, ~/.config; %APPDATA%)
// and state that outlives a run ($XDG_STATE_HOME, ~/.local/state;
// %LOCALAPPDATA%).
std::filesystem::path configHome();
std::filesystem::path stateHome();

// The folder where captures the program had to drop unsaved wait for the
// next start.
std::filesystem::path defaultRecoveryFolder();

}  // namespace vis
