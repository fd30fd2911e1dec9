// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line: a capture to take (for the keyboard settings of desktops
// that start programs on a key, and where no hot key can be read), help and
// version. Qt's own options pass through to Qt.

#include <optional>
#include <string>

namespace vis {

enum class StartAction { None, Region, Screen, Window, Repeat };

struct CommandLine {
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Run;
    StartAction action = StartAction::None;
    std::string error;  // the line for stderr when the outcome is Error
};

CommandLine parseCommandLine(int argc, const char* const* argv);
std::string usageText();

// The word an action travels under between two copies of the program
// ("show" for none), and back.
std::string actionWord(StartAction a);
std::optional<StartAction> actionOfWord(const std::string& word);
// The toolbar button that does the action (-1 for none).
int actionButton(StartAction a);

}  // namespace vis
