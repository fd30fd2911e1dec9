// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the current capture under a name the user picks.

#include <cctype>
#include <filesystem>

#include "capture/frm_main.h"
#include "output/atomic_file.h"
#include "output/naming.h"
#include "output/save_run.h"
#include "capture/texts_save.h"
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

void FrmMain::Enregistrer() {
    if (refuserPendantSauvegarde()) return;
    numFichier = 1;
    Globals& g = app.g;
    const Collection& col = app.collection;
    if (col.empty()) return;
    const int c = col.captureCourante();
    if (!col.hasCurrent()) {
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
    // A name that says PNG gets a PNG, whatever the case of its letters.
    const ImageFormat format = nomPng(nomFichier) ? ImageFormat::Png : bmp ? ImageFormat::Bmp : ImageFormat::Jpeg;
    // Written on a worker, as the save-all writes: a large capture does not
    // hold the window up. The rest follows once the file is on the disk.
    const Bitmap picture = col.capture(c).picture;
    auto run =
        std::make_shared<SaveRun>(app.platform.jobs, std::vector<SaveRun::Item>{{picture, c, nomFichier}},
                                  std::filesystem::path(), format, g.qualiteJpg);
    run->onOver = [this, picture, c, nom = nomFichier](const SaveRun::Outcome& o) {
        sauvegardeTerminee();
        if (app.ending) return;
        if (!o.ok) {
            app.platform.messages.show(std::string(txt::kSaveFailedStart) + nom + std::string(txt::kSaveFailedEnd),
                                       MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        marquerAffichee(true);
        dossierSauvegarde = dossierDe(nom);
        marquerSauvee(c, picture);
    };
    lancerSauvegarde(run);
}

}  // namespace vis
