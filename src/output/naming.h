// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/services.h"

namespace vis {

// The path separator the saved names are built with.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The name the save dialog proposes after `nomFichier` was saved: the two
// characters before the last dot, read as a number, plus one ("Capture01.jpg"
// -> "Capture02.jpg"), or "01" inserted before the last four characters when
// they are not a number ("ecran.jpg" -> "ecran01.jpg"). numFichier receives
// the number used. Nothing for a name of 6 characters or fewer, or one whose
// last dot is missing or too near its start to take two characters before it.
std::optional<std::string> propositionSuivante(const std::string& nomFichier, int& numFichier);

// hour x 10000 + minute x 100 + second, without leading zeros.
std::string horodatage(const TimeOfDay& t);

// The default folder of the save-all: the record's text in front of its first
// pair of blanks; nothing when there is no such pair.
std::optional<std::string> dossierParDefaut(const std::string& ligneParam);

// folder + separator + prefix + "-" + time stamp + number + extension.
std::string nomAutomatique(const std::string& folder, const std::string& prefixe, const TimeOfDay& t, int numero,
                           const std::string& extension);

// `nom` when nothing at all has that name (a link that leads nowhere has
// it too), else the first free one of "name_2.ext", "name_3.ext", ...
std::string nomLibre(const std::string& nom);

// Writes under nomLibre(nom) through `write`, which must not replace
// anything; when the name is taken between the choice and the write, the
// next free one is tried. The name written, or nothing when `write` fails
// for another reason.
std::optional<std::string> ecrireSousNomLibre(const std::string& nom,
                                              const std::function<bool(const std::string&)>& write);

// The path up to, not including, its last separator; empty when it has none.
std::string dossierDe(const std::string& path);

}  // namespace vis
