// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The saving operations' own texts.

#include <string_view>

namespace vis::txt {

inline constexpr std::string_view kSaveFilter = "Images JPG (*.jpg)|*.jpg|Images (*.bmp)|*.bmp|Images PNG (*.png)|*.png|";
inline constexpr std::string_view kSaveAllFailed =
    "Pb d'enregistrement, indiquer d'abord un chemin par défaut dans les options ...";
// A single save with no capture chosen (after a deletion nothing is current).
inline constexpr std::string_view kChooseCaptureFirst =
    "Cliquez d'abord sur une vignette pour choisir la capture à enregistrer ...";
// A save-all into a folder that is set but cannot take the files: the folder
// is named, with the reason.
inline constexpr std::string_view kFolderStart = "Pb d'enregistrement, le dossier ";
inline constexpr std::string_view kFolderMissingEnd =
    " n'existe pas; indiquer un chemin par défaut valide dans les options ...";
inline constexpr std::string_view kFolderReadOnlyEnd =
    " n'est pas accessible en écriture; indiquer un chemin par défaut valide dans les options ...";
// A single save whose file could not be written (and a save-all's, in a
// folder that takes files).
inline constexpr std::string_view kSaveFailedStart = "Pb d'enregistrement, le fichier ";
inline constexpr std::string_view kSaveFailedEnd = " n'a pas pu être écrit ...";
// The main window's caption while the files are written: "Enregistrement 12 / 29 ...".
inline constexpr std::string_view kSavingStart = "Enregistrement ";
inline constexpr std::string_view kSavingOf = " / ";
inline constexpr std::string_view kSavingEnd = " ...";
// What would change the collection waits for the save to end.
inline constexpr std::string_view kSaveRunning = "Enregistrement en cours : attendez qu'il soit terminé ...";

}  // namespace vis::txt
