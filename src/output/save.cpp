// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the captures: one through a dialog, or all under automatic names.

#include <cctype>
#include <filesystem>

#include "capture/frm_main.h"
#include "collection/flistimages.h"
#include "output/atomic_file.h"
#include "output/bmp_codec.h"
#include "output/dib_section.h"
#include "output/jpeg_writer.h"
#include "output/naming.h"
#include "output/png_writer.h"
#include "output/texts_save.h"
#include "platform/format.h"
#include "settings/options.h"
#include "settings/param_file.h"
#include "settings/param_record.h"

namespace vis {

namespace {
bool nomPng(const std::string& nom) {
    if (nom.size() < 4) return false;
    std::string ext = nom.substr(nom.size() - 4);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".png";
}
}  // namespace

bool FrmMain::ecrireImage(const Bitmap& picture, const std::string& path, bool bmp, WriteOptions options) {
    if (bmp) return writeBmp(picture, path, options);
    // Encoded straight from memory: no intermediate file that could clobber
    // an existing one.
    if (!dibJpg) dibJpg = std::make_unique<aDIBSection>();
    try {
        if (!dibJpg->CreateFromPicture(picture)) return false;
    } catch (const std::exception&) {
        return false;
    }
    return EcrireJpg(*dibJpg, path, app.g.qualiteJpg, options);
}

void FrmMain::Enregistrer() {
    numFichier = 1;
    Globals& g = app.g;
    if (g.nbCaptures == 0) return;
    Flistimages& l = app.flistimages();
    const int c = g.captureCourante;
    if (c < 1 || c > g.nbCaptures || c > l.elementCount()) {
        app.platform.messages.show(std::string(txt::kChooseCaptureFirst), MsgButtons::Ok, MsgIcon::Information);
        return;
    }

    FileDialogRequest r;
    if (!dossierSauvegarde.empty()) {
        r.initialFolder = dossierSauvegarde;
    } else {
        r.initialFolder = leftChars(app.repertoireText(), 70);
        r.initialFolder.erase(r.initialFolder.find_last_not_of(' ') + 1);
    }
    if (premiereSauvegarde) {
        cdlgFileName = "Capture" + twoDigits(numFichier);
        premiereSauvegarde = false;
    }
    r.fileName = cdlgFileName;
    r.filter = std::string(txt::kSaveFilter);
    const std::optional<std::string> chosen = app.platform.dialogs.saveFile(r);
    if (!chosen) return;
    nomFichier = *chosen;
    cdlgFileName = nomFichier;

    std::error_code ec;
    if (std::filesystem::exists(utf8Path(nomFichier), ec) &&
        app.platform.messages.show("Le fichier " + nomFichier + " existe déjà; voulez-vous le remplacer ?",
                                   MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes)
        return;

    if (auto proposal = propositionSuivante(nomFichier, numFichier)) cdlgFileName = *proposal;

    const bool bmp = midChars(nomFichier, charCount(nomFichier) >= 3 ? charCount(nomFichier) - 3 : 0) == "bmp";
    const Bitmap& picture = l.Image1[static_cast<std::size_t>(c)]->picture;
    // A name that says PNG gets a PNG, whatever the case of its letters.
    if (!(nomPng(nomFichier) ? writePng(picture, nomFichier) : ecrireImage(picture, nomFichier, bmp))) {
        app.platform.messages.show(std::string(txt::kSaveFailedStart) + nomFichier + std::string(txt::kSaveFailedEnd),
                                   MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    marquerAffichee(true);
    dossierSauvegarde = dossierDe(nomFichier);
    for (int i = 1; i <= std::min(g.nbCaptures, l.elementCount()); ++i)
        if (l.Image1[static_cast<std::size_t>(i)]->borderStyle == 1)
            l.pictsave[static_cast<std::size_t>(i)]->visible = true;
}

namespace {

// Why the save-all could not write `fichier` into the folder that is set.
std::string echecDansDossier(const std::string& folder, const std::string& fichier) {
    const std::filesystem::path p = utf8Path(folder);
    std::error_code ec;
    if (!std::filesystem::is_directory(p, ec))
        return std::string(txt::kFolderStart) + folder + std::string(txt::kFolderMissingEnd);
    if (!canCreateFileIn(p)) return std::string(txt::kFolderStart) + folder + std::string(txt::kFolderReadOnlyEnd);
    return std::string(txt::kSaveFailedStart) + fichier + std::string(txt::kSaveFailedEnd);
}

}  // namespace

void FrmMain::EnregistrerTout(bool& savOk) {
    Globals& g = app.g;
    Flistimages& l = app.flistimages();
    const int n = std::min(g.nbCaptures, l.elementCount());
    // Greyed counts as checked, as it does in the record.
    const bool bmp = app.serieBmp();
    for (int i = 1; i <= n; ++i) {
        if (l.pictsave[static_cast<std::size_t>(i)]->visible) continue;
        const TimeOfDay t = app.platform.clock.timeOfDay();
        const std::optional<std::string> folder = dossierParDefaut(g.ligneParam);
        // A blank folder field would put the files at the root of the file
        // system: it takes the failure path, which asks for a folder.
        std::string echec = std::string(txt::kSaveAllFailed);
        if (folder.has_value() && !folder->empty()) {
            // The documents folder that the regenerated settings name may not
            // exist yet on a new account; no other folder is made.
            std::error_code ec;
            if (*folder == defaultDirectory(app.platform.paths.documentsFolder(), userHomeFolder()) &&
                !std::filesystem::exists(utf8Path(*folder), ec))
                std::filesystem::create_directories(utf8Path(*folder), ec);
            // Nothing found under the chosen name is ever replaced: in a
            // shared folder it may be someone else's file or link.
            const std::string nom = nomAutomatique(*folder, g.prefixe, t, i, bmp ? ".bmp" : ".jpg");
            const Bitmap& picture = l.Image1[static_cast<std::size_t>(i)]->picture;
            const auto ecrit = ecrireSousNomLibre(nom, [&](const std::string& fichier) {
                return ecrireImage(picture, fichier, bmp, WriteOptions{.replace = false});
            });
            echec = ecrit ? std::string() : echecDansDossier(*folder, nomLibre(nom));
        }
        if (!echec.empty()) {
            app.platform.messages.show(echec, MsgButtons::Ok, MsgIcon::Exclamation);
            app.options().show();
            savOk = false;
            return;
        }
        l.pictsave[static_cast<std::size_t>(i)]->visible = true;
    }
    marquerAffichee(true);
}

}  // namespace vis
