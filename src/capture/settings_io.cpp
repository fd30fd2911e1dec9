// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving the settings record, and opening the options dialog.

#include "capture/frm_main.h"
#include "output/naming.h"
#include "settings/options.h"
#include "settings/param_file.h"
#include "settings/param_texts.h"

namespace vis {

namespace fs = std::filesystem;

namespace {
std::string u8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// The default record, written as a regeneration writes it.
bool ecrireDefauts(Program& app, const fs::path& file) {
    const std::string dossier = defaultDirectory(app.platform.paths.documentsFolder(), userHomeFolder());
    if (!regenerateParamFile(file, dossier)) return false;
    // A new account may have no documents folder yet: the first save-all
    // would fail there.
    std::error_code ec;
    if (!dossier.empty() && !fs::exists(pathFromUtf8(dossier), ec)) fs::create_directories(pathFromUtf8(dossier), ec);
    return true;
}

// The regeneration question after a damaged or unwritable file; the program
// ends on either answer, its unsaved captures put aside first.
void regenerer(Program& app, const fs::path& file) {
    auto& p = app.platform;
    if (!app.frmMain().capturesEnSurete()) return;
    const MsgResult reponse = p.messages.show(kMsgParamEndommage, MsgButtons::YesNo, MsgIcon::None);
    if (app.ending) return;  // a signal ended it while the question was open
    if (reponse == MsgResult::Yes) {
        if (!ecrireDefauts(app, file)) {
            p.messages.show(kMsgParamNonRestauresDebut + u8(file) + kMsgParamNonRestauresFin, MsgButtons::Ok,
                            MsgIcon::Exclamation);
            app.end(1);
            return;
        }
        p.messages.show(kMsgParamRestaures, MsgButtons::Ok, MsgIcon::None);
    }
    app.end(0);
}

// Ends over a settings file that cannot be written, saying what happened.
void finSurEchec(Program& app, const std::string& text) {
    FrmMain& m = app.frmMain();
    const bool captures = !m.capturesNonEnregistrees().empty();
    if (!m.capturesEnSurete()) return;
    app.platform.messages.show(captures ? text + kMsgCapturesProposees : text, MsgButtons::Ok, MsgIcon::Exclamation);
    app.end(1);
}
}  // namespace

fs::path FrmMain::paramFile() const {
    // The file loaded from stays in use while it is there, even when its
    // folder can no longer be written: a failed write is no reason to look
    // for another one, and one elsewhere would not hold the user's settings.
    std::error_code ec;
    if (!fichierParam_.empty() && fs::symlink_status(fichierParam_, ec).type() != fs::file_type::not_found)
        return fichierParam_;
    const IPaths& paths = app.platform.paths;
    // An installed copy writes nothing into its tree, even when it could (root).
    if (!paths.settingsBesideProgram()) return pathFromUtf8(paths.configFolder()) / kParamFileName;
    return chooseParamFile(pathFromUtf8(paths.programFolder()), pathFromUtf8(paths.configFolder()));
}

void FrmMain::appliquerGlobals(const ParamGlobals& pg) {
    Globals& g = app.g;
    g.ligneParam = pg.ligneParam;
    g.qualiteJpg = pg.qualiteJpg;
    g.inclureFenetres = pg.inclureFenetres;
    g.prefixe = pg.prefixe;
    g.toucheF = pg.toucheF;
    g.tempo = pg.tempo;
    TimPeriod->interval = pg.TimPeriodInterval;
}

void FrmMain::chargtparam() {
    // Once the program ends over the file, nobody is asked about it again.
    if (app.ending) return;
    const fs::path file = paramFile();
    ParamLoadResult r = loadParamFile(file);
    const bool premier = fichierParam_.empty();
    if (r.error == ParamLoadError::Missing) {
        // No file is no damage. It gets the settings in use, or those of the
        // program's folder that can no longer be written, or the defaults
        // (the very first start), and the start goes on.
        const fs::path beside = pathFromUtf8(app.platform.paths.programFolder()) / kParamFileName;
        const ParamLoadResult old = premier && beside != file
                                        ? loadParamFile(beside)
                                        : ParamLoadResult{.settings = std::nullopt, .error = ParamLoadError::Missing};
        bool written = false;
        if (!premier) {
            written = saveParamFile(file, app.g.ligneParam);
        } else if (old) {
            written = saveParamFile(file, old.settings->globals.ligneParam);
        } else if (old.error == ParamLoadError::Missing) {
            written = ecrireDefauts(app, file);
        } else {
            regenerer(app, file);  // the file beside is damaged: that is the question
            return;
        }
        if (!written) {
            finSurEchec(app, kMsgParamNonEcritsDebut + u8(file) + kMsgParamNonEcritsFin);
            return;
        }
        r = loadParamFile(file);
    }
    if (!r) {
        regenerer(app, file);
        return;
    }
    fichierParam_ = file;
    app.options().setControls(r.settings->controls);
    appliquerGlobals(r.settings->globals);
    if (premier) {
        // What a killed run left half-written is cleared now, not at the
        // next save into those folders.
        removeStaleTemporaries(file.parent_path());
        if (const auto dossier = dossierParDefaut(app.g.ligneParam); dossier && !dossier->empty())
            removeStaleTemporaries(utf8Path(*dossier));
    }
}

void FrmMain::SavOptions() {
    const fs::path file = paramFile();
    if (saveParamFile(file, app.g.ligneParam)) return;
    // A file that still reads whole is not damaged: its folder refuses the
    // write (made read-only, a full disk).
    if (loadParamFile(file))
        finSurEchec(app, kMsgParamNonEnregistresDebut + u8(file) + kMsgParamNonEnregistresFin);
    else
        regenerer(app, file);
}

void FrmMain::mnuoptions_Click() {
    TimPeriod->enabled = false;
    Options& o = app.options();
    chargtparam();
    if (!o.loaded || app.ending) return;
    app.platform.windows.runModal(o);
}

}  // namespace vis
