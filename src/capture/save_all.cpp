// SPDX-License-Identifier: GPL-3.0-or-later
// Saving every unsaved capture under automatic names, and what the window
// shows and refuses while a save is under way.

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

void FrmMain::EnregistrerTout(std::function<void(bool)> then) {
    if (refuserPendantSauvegarde()) return;
    Globals& g = app.g;
    std::vector<SaveRun::Item> items;
    for (int i : app.collection.unsaved()) items.push_back({app.collection.capture(i).picture, i, {}});
    auto over = [this, then](bool ok) {
        if (ok) marquerAffichee(true);
        if (then) then(ok);
    };
    if (items.empty()) return over(true);

    // A blank folder field would put the files at the root of the file
    // system: it takes the failure path, which asks for a folder.
    const std::optional<std::string> folder = dossierParDefaut(g.ligneParam);
    if (!folder.has_value() || folder->empty()) {
        app.platform.messages.show(std::string(txt::kSaveAllFailed), MsgButtons::Ok, MsgIcon::Exclamation);
        app.options().show();
        return over(false);
    }
    // The documents folder that the regenerated settings name may not exist
    // yet on a new account; no other folder is made.
    std::error_code ec;
    if (*folder == defaultDirectory(app.platform.paths.documentsFolder(), userHomeFolder()) &&
        !std::filesystem::exists(utf8Path(*folder), ec))
        std::filesystem::create_directories(utf8Path(*folder), ec);

    // Greyed counts as checked, as it does in the record.
    const bool bmp = app.serieBmp();
    auto run = std::make_shared<SaveRun>(app.platform.jobs, std::move(items), utf8Path(*folder),
                                         bmp ? ImageFormat::Bmp : ImageFormat::Jpeg, g.qualiteJpg);
    // The settings as they were when the save began; the time of day as it
    // is when each file gets its name, in the collection's order.
    run->nameFor = [this, folder = *folder, prefixe = g.prefixe,
                    ext = std::string(bmp ? ".bmp" : ".jpg")](const SaveRun::Item& item) {
        return nomAutomatique(folder, prefixe, app.platform.clock.timeOfDay(), item.numero, ext);
    };
    run->onWritten = [this](const SaveRun::Item& item, const std::string&) {
        marquerSauvee(item.numero, item.picture);
        ++ecrits_;
        montrerProgression();
    };
    run->onOver = [this, over, folder = *folder](const SaveRun::Outcome& o) {
        sauvegardeTerminee();
        if (app.ending) return;
        if (!o.ok) {
            const std::string& fichier = o.failed ? o.failedName : o.lastWritten;
            app.platform.messages.show(echecDansDossier(folder, nomLibre(fichier)), MsgButtons::Ok,
                                       MsgIcon::Exclamation);
            app.options().show();
        }
        over(o.ok);
    };
    lancerSauvegarde(run);
}

void FrmMain::lancerSauvegarde(std::shared_ptr<SaveRun> run) {
    sauvegarde_ = run;
    ecrits_ = 0;
    titreAvantSauvegarde_ = caption;
    titreProgression_.clear();
    montrerProgression();
    run->begin();
}

void FrmMain::montrerProgression() {
    if (!sauvegarde_) return;
    // Something else set the caption meanwhile (a capture that was under
    // way when the save began): that is the one to put back.
    if (caption != titreProgression_) titreAvantSauvegarde_ = caption;
    titreProgression_ = std::string(txt::kSavingStart) + std::to_string(ecrits_) + std::string(txt::kSavingOf) +
                        std::to_string(sauvegarde_->size()) + std::string(txt::kSavingEnd);
    caption = titreProgression_;
}

void FrmMain::sauvegardeTerminee() {
    if (caption == titreProgression_) caption = titreAvantSauvegarde_;
    sauvegarde_.reset();
    titreProgression_.clear();
    // A termination signal waited for the files: the program ends now.
    if (finApresSauvegarde_) finSansQuestion();
}

bool FrmMain::refuserPendantSauvegarde() {
    if (!sauvegarde_) return false;
    app.platform.messages.show(std::string(txt::kSaveRunning), MsgButtons::Ok, MsgIcon::Information);
    return true;
}

void FrmMain::marquerSauvee(int numero, const Bitmap& picture) {
    // Nothing moves the captures during a save; should one have moved, the
    // mark follows the picture.
    if (app.collection.markSaved(numero, picture)) afficherCollection();
}

}  // namespace vis
