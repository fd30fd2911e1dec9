// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Texts of the copy, print and mail commands and of the About, splash and
// help windows, shown exactly as they stand.

#include <string_view>

namespace vis::txt {

// Copy and print with no capture chosen (after a deletion nothing is current).
inline constexpr std::string_view kChooseCaptureToCopy =
    "Cliquez d'abord sur une vignette pour choisir la capture à copier ...";
inline constexpr std::string_view kChooseCaptureToPrint =
    "Cliquez d'abord sur une vignette pour choisir la capture à imprimer ...";
inline constexpr std::string_view kPrintFailed = "Impression impossible ...";
inline constexpr std::string_view kPrintCaptionStart = "Capture écran réalisée le ";
inline constexpr std::string_view kPrintCaptionAt = " à ";
inline constexpr std::string_view kPrintCaptionEnd = "  -  V i s t r e l l e";

inline constexpr std::string_view kMailSubject = "Mes observations sur Vistrelle";
// No mail program took the message: the address, so that the user can write anyway.
inline constexpr std::string_view kNoMailProgram = "Aucun logiciel de messagerie n'a pu être ouvert; écrivez à ";
inline constexpr std::string_view kNoMailProgramEnd = " ...";

// About window.
inline constexpr std::string_view kAboutCaption = "À propos de VISTRELLE";
inline constexpr std::string_view kProductName = "Vistrelle";
inline constexpr std::string_view kDescription =
    "Logiciel de capture d'une portion d'écran sélectionnée à l'aide de la souris";
inline constexpr std::string_view kVersion = "Version 1.3";
inline constexpr std::string_view kDisclaimer = "Conçu et programmé par l'équipe du projet Vistrelle.";
inline constexpr std::string_view kMailInvite = "Vos remarques et vos idées sont les bienvenues : ";
inline constexpr std::string_view kMailButtonTip = "Écrire à l'auteur";
inline constexpr std::string_view kSysInfo = "Infos Système...";
inline constexpr std::string_view kNoSysInfo = "Les informations système ne sont pas disponibles actuellement";

// Splash window. Its caption, on no title bar, names it to the desktop.
inline constexpr std::string_view kSplashCaption = "Vistrelle 1.3";
inline constexpr std::string_view kSplashWarning = "Capturez d 'abord tout l'écran avec le 1° bouton à gauche";
inline constexpr std::string_view kCompany = "Projet Vistrelle";
inline constexpr std::string_view kCompanyProduct = "Capture d'écran à la souris";

// Help windows.
inline constexpr std::string_view kHelpMainCaption = "Aide fenêtre principale de Vistrelle";
inline constexpr std::string_view kHelpCollectionCaption = "Aide fenêtre vignettes de Vistrelle";
inline constexpr std::string_view kHelpOptionsCaption = "Aide fenêtre Options de Vistrelle";
inline constexpr std::string_view kHelpTip = "Cliquer sur l'image pour fermer la fenêtre d'aide";

// Data files of these windows.
inline constexpr std::string_view kIconFile = "icone.bmp";
inline constexpr std::string_view kMailPictureFile = "ecrire.bmp";
inline constexpr std::string_view kSplashLogoFile = "logo.bmp";
inline constexpr std::string_view kHelpMainFile = "aidefn.bmp";
inline constexpr std::string_view kHelpCollectionFile = "aidefv.bmp";
inline constexpr std::string_view kHelpOptionsFile = "aideopt.bmp";

}  // namespace vis::txt
