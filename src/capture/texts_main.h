// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's own texts, shown exactly as they stand.

#include <array>
#include <string_view>

namespace vis::txt {

inline constexpr std::string_view kTitleStart = "Vistrelle ...";
inline constexpr std::string_view kTitleSelect =
    "Vistrelle - Sélectionnez la portion d'image à capturer et relachez le bouton .... sinon touche Echap";
inline constexpr std::string_view kTitleCaptured = "Image capturée ...";
inline constexpr std::string_view kTitleEmpty = "Pour capturer, cliquer sur le 1° bouton ... ";
inline constexpr std::string_view kLastCapture = "Dernière capture ...";
inline constexpr std::string_view kOneInProgress = " capture en cours ...";
inline constexpr std::string_view kManyInProgress = " captures en cours ...";
inline constexpr std::string_view kPicture1Tip = "Sélectionnez la portion d'image à capturer et relachez le bouton";
inline constexpr std::string_view kLabdeb = "  ^   Cliquer ici pour commencer";

inline constexpr std::string_view kNoSelection = "Pas de sélection active pour l'opération demandée";
inline constexpr std::string_view kCollectionFull = "La fenêtre des vignettes est pleine, sauver et effacer !!! ";
inline constexpr std::string_view kConfirmDeleteAll = "Voulez-vous vraiment supprimer toutes les captures ?";
// A grab that brought no picture back: nothing is filed.
inline constexpr std::string_view kGrabFailed =
    "La capture a échoué : le bureau n'a pas fourni d'image de l'écran. Aucune capture n'a été ajoutée.";
inline constexpr std::string_view kOutOfMemory =
    "Mémoire insuffisante pour cette capture. Aucune capture n'a été ajoutée.";
inline constexpr std::string_view kGrabImpossible =
    "Capture impossible sur ce bureau : sous Wayland, l'écran ne peut être lu que par le portail de capture "
    "(paquet xdg-desktop-portal avec celui du bureau : xdg-desktop-portal-gnome, -kde ou -wlr), "
    "qui est absent ou ne répond pas. Aucune capture n'a été ajoutée.";
inline constexpr std::string_view kSelectRegionFirst =
    "Vous devez d'abord sélectionner une région pour activer cette fonction";

inline constexpr std::string_view kTrayTip = "Capture écran Vistrelle";
inline constexpr std::string_view kSaveBeforeQuit = "Sauver tout avant de quitter ?";
inline constexpr std::string_view kSaveBeforeQuitTitle = "Enregistrement des captures ... ??";
inline constexpr std::string_view kSessionEnd =
    "Toutes les captures n'ont pas été enregistrées, Ok pour confirmez l'arrêt du système ou Annuler";
inline constexpr std::string_view kSessionEndTitle = "Vistrelle est encore actif !!!";

inline constexpr std::string_view kSleep = "Mettre en veille";
inline constexpr std::string_view kWake = "Réactiver";

inline constexpr std::array<std::string_view, 17> kTooltips = {
    "Capturer l'écran pour une sélection",
    "Capturer tout l'écran",
    "Capturer la fenêtre active",
    "Copier dans le presse-papier",
    "Enregistrer",
    "Enregistrer tout",
    "Imprimer la capture",
    "Effacer la capture",
    "Effacer toutes les captures",
    "Autre sélection; retour pleine page",
    "Même sélection /nouvelle capture",
    "Même sélection /captures périodiques",
    "Quitter le programme",
    "Changer les options",
    "Barre/Fenêtre",
    "Cacher/montrer les vignettes",
    "Infos auteur",
};

// Toolbar picture files, normal then highlighted, with their keys.
struct ToolbarPicture {
    std::string_view normalFile, normalKey, highlightFile, highlightKey;
};
inline constexpr std::array<ToolbarPicture, 17> kToolbarPictures = {{
    {"camera.bmp", "Clicher", "camerac.bmp", "Clicher2"},
    {"toutecran.bmp", "Clichertout", "toutecranc.bmp", "Clichertout2"},
    {"camerafen.bmp", "Clicherfen", "camerafenc.bmp", "Clicherfen2"},
    {"copy.bmp", "Copier", "copyc.bmp", "Copier2"},
    {"save.bmp", "Enregistrer", "savec.bmp", "Enregistrer2"},
    {"saveall.bmp", "Enregistrertout", "saveallc.bmp", "Enregistrertout2"},
    {"printer.bmp", "Imprimer", "printerc.bmp", "Imprimer2"},
    {"delete.bmp", "Supprimer", "deletec.bmp", "Supprimer2"},
    {"waste.bmp", "Supprimertout", "wastec.bmp", "Supprimertout2"},
    {"undo.bmp", "Annuler", "undoc.bmp", "Annuler2"},
    {"moverbox.bmp", "Rafraichir", "moverboxc.bmp", "Rafraichir2"},
    {"moverboxtim.bmp", "RafraichirTim", "moverboxtimc.bmp", "RafraichirTim2"},
    {"close.bmp", "Quitter", "closec.bmp", "Quitter2"},
    {"wrench.bmp", "Options", "wrenchc.bmp", "Options2"},
    {"agrandir.bmp", "Agrandir", "agrandirc.bmp", "Agrandir2"},
    {"film.bmp", "Agrlist", "filmc.bmp", "Agrlist2"},
    {"report.bmp", "A propos", "reportc.bmp", "A propos2"},
}};
inline constexpr std::string_view kFillerTile = "toutbleu.bmp";
inline constexpr std::string_view kCursorFile = "cursor.bmp";
// A whole-screen capture's label after its number.
inline constexpr std::string_view kFullScreenLabel = "Plein écran";
inline constexpr std::string_view kCameraPictureFile = "camflash.bmp";
inline constexpr std::string_view kShutterSound = "camera.wav";

}  // namespace vis::txt
