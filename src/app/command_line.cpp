// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <array>
#include <string_view>

namespace vis {

namespace {

struct ActionOption {
    std::string_view option;
    StartAction action;
    std::string_view word;
    int button;
};

constexpr std::array<ActionOption, 4> kActions{{
    {"--region", StartAction::Region, "region", 0},
    {"--screen", StartAction::Screen, "screen", 1},
    {"--window", StartAction::Window, "window", 2},
    {"--repeat", StartAction::Repeat, "repeat", 10},
}};

// Qt's own options (QGuiApplication, QApplication, the X11 platform), with
// one dash or two; those of the first list take a value, as the next
// argument or after "=".
constexpr std::array<std::string_view, 15> kQtWithValue{
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
    "display",  "geometry",           "style",         "stylesheet", "name",        "title",       "visual"};
constexpr std::array<std::string_view, 6> kQtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};

// "-style=fusion" -> "style"; "--platform" -> "platform"; "" when not an option.
std::string_view qtName(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return {};
    arg.remove_prefix(arg.size() > 2 && arg[1] == '-' ? 2 : 1);
    return arg.substr(0, arg.find('='));
}

template <std::size_t N>
bool among(std::string_view name, const std::array<std::string_view, N>& list) {
    for (std::string_view n : list)
        if (n == name) return true;
    return false;
}

CommandLine failure(std::string line) {
    CommandLine c;
    c.outcome = CommandLine::Outcome::Error;
    c.error = "vistrelle : " + std::move(line) + " (vistrelle --help pour l'aide)";
    return c;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine c;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            c.outcome = CommandLine::Outcome::Help;
            return c;
        }
        if (arg == "--version") {
            c.outcome = CommandLine::Outcome::Version;
            return c;
        }
        bool known = false;
        for (const ActionOption& a : kActions) {
            if (arg != a.option) continue;
            if (c.action != StartAction::None && c.action != a.action)
                return failure("une seule capture à la fois (--region, --screen, --window ou --repeat)");
            c.action = a.action;
            known = true;
        }
        if (known) continue;
        const std::string_view name = qtName(arg);
        if (among(name, kQtWithValue)) {
            // Its value, unless given after "=".
            if (arg.find('=') == std::string_view::npos) {
                if (i + 1 >= argc) return failure("l'option « " + std::string(arg) + " » attend une valeur");
                ++i;
            }
            continue;
        }
        if (among(name, kQtFlags)) continue;
        if (!arg.empty() && arg[0] == '-') return failure("option inconnue « " + std::string(arg) + " »");
        return failure("argument inattendu « " + std::string(arg) + " »");
    }
    return c;
}

std::string usageText() {
    return "Usage : vistrelle [CAPTURE]\n"
           "\n"
           "Vistrelle capture l'écran : une zone choisie à la souris, tout l'écran ou la\n"
           "fenêtre active. Sans option, il ouvre sa fenêtre, ou montre celle de la copie\n"
           "déjà lancée.\n"
           "\n"
           "Captures, faites par la copie déjà lancée, sinon par une nouvelle copie :\n"
           "  --region    figer l'écran pour y choisir une zone (comme SHIFT+Fn)\n"
           "  --screen    capturer tout l'écran (comme SHIFT+1+Fn)\n"
           "  --window    capturer la fenêtre active (comme SHIFT+2+Fn)\n"
           "  --repeat    capturer à nouveau la même zone (comme SHIFT+CTRL+Fn)\n"
           "\n"
           "  -h, --help  afficher cette aide\n"
           "  --version   afficher la version\n"
           "\n"
           "Ces options se lient à une touche dans les réglages du clavier du bureau.\n"
           "Les options de Qt (-platform, -display, -style...) sont acceptées.\n";
}

std::string actionWord(StartAction a) {
    for (const ActionOption& o : kActions)
        if (o.action == a) return std::string(o.word);
    return "show";
}

std::optional<StartAction> actionOfWord(const std::string& word) {
    if (word == "show") return StartAction::None;
    for (const ActionOption& o : kActions)
        if (o.word == word) return o.action;
    return std::nullopt;
}

int actionButton(StartAction a) {
    for (const ActionOption& o : kActions)
        if (o.action == a) return o.button;
    return -1;
}

}  // namespace vis
