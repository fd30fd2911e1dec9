// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every message about the settings file and the Options checks, in one place.

namespace vis {

// Settings file, load or save failed.
inline constexpr char kMsgParamEndommage[] =
    "Votre fichier paramètres est sans doute endommagé; voulez-vous régénérer les paramètres pat défaut ?";
inline constexpr char kMsgParamRestaures[] =
    "Paramètres restaurés avec les valeurs par défaut, vous devez relancer le programme ..";
// The regeneration itself failed (the path is in between); the program ends.
inline constexpr char kMsgParamNonRestauresDebut[] = "Paramètres non restaurés, le fichier ";
inline constexpr char kMsgParamNonRestauresFin[] = " n'a pas pu être écrit ..";
// The file is intact but cannot be written (its folder was made read-only, the
// disk is full): not damage. The path is in between; the program ends.
inline constexpr char kMsgParamNonEnregistresDebut[] = "Les paramètres n'ont pas pu être enregistrés dans le fichier ";
inline constexpr char kMsgParamNonEnregistresFin[] =
    " (dossier protégé en écriture ou disque plein) ; le fichier existant est intact. Le programme va se fermer.";
inline constexpr char kMsgCapturesProposees[] =
    " Ses captures non enregistrées seront proposées au prochain démarrage.";
// No settings file, and none could be written (the defaults on a first
// start); the program ends.
inline constexpr char kMsgParamNonEcritsDebut[] = "Les paramètres n'ont pas pu être écrits dans le fichier ";
inline constexpr char kMsgParamNonEcritsFin[] = " ; le programme va se fermer.";

// Options window, OK button checks (in the order they are made).
inline constexpr char kMsgPrefixeLongueur[] = "Longueur préfixe doit être égal à 4 !!";
inline constexpr char kMsgToucheInvalide[] = "Numéro de touche de fonction invalide";
// A negative, fractional or non-numeric interval would break the record's layout.
inline constexpr char kMsgIntervalleInvalide[] =
    "Intervalle invalide : indiquer un nombre entier de secondes (0 à 65) !!";
// A double quote or a line break cannot be read back from param.txt.
inline constexpr char kMsgRepertoireInvalide[] =
    "Répertoire invalide : les guillemets (\") et les retours à la ligne ne sont pas admis !!";
inline constexpr char kMsgPrefixeInvalide[] =
    "Préfixe invalide : les guillemets (\") et les retours à la ligne ne sont pas admis !!";
// The record keeps 100 characters of the folder; a longer one would be cut.
inline constexpr char kMsgRepertoireTropLong[] = "Répertoire trop long : 100 caractères au plus !!";
// The files must stay in the chosen folder.
inline constexpr char kMsgPrefixeSeparateur[] =
    "Préfixe invalide : les barres obliques (/ et \\) et les points qui se suivent (..) ne sont pas admis !!";

}  // namespace vis
