// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving the settings record, and opening the options dialog.

#include "capture/frm_main.h"
#include "settings/options.h"
#include "settings/param_file.h"
#include "settings/param_texts.h"

namespace vis {

namespace {
// The regeneration question after a damaged or unwritable file; the program
// ends on either answer.
void regenerer(Program& app, const std::filesystem::path& file) {
    auto& p = app.platform;
    if (p.messages.show(kMsgParamEndommage, MsgButtons::YesNo, MsgIcon::None) == MsgResult::Yes) {
        const std::string dossier = defaultDirectory(p.paths.documentsFolder(), userHomeFolder());
        if (!regenerateParamFile(file, dossier)) {
            const std::u8string where = file.u8string();
            p.messages.show(
                kMsgParamNonRestauresDebut + std::string(where.begin(), where.end()) + kMsgParamNonRestauresFin,
                MsgButtons::Ok, MsgIcon::Exclamation);
            app.end(1);
            return;
        }
        // A new account may have no documents folder yet: the first save-all
        // would fail there.
        std::error_code ec;
        if (!dossier.empty() && !std::filesystem::exists(pathFromUtf8(dossier), ec))
            std::filesystem::create_directories(pathFromUtf8(dossier), ec);
        p.messages.show(kMsgParamRestaures, MsgButtons::Ok, MsgIcon::None);
    }
    app.end(0);
}
}  // namespace

std::filesystem::path FrmMain::paramFile() const {
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
    const std::filesystem::path file = paramFile();
    const ParamLoadResult r = loadParamFile(file);
    if (!r) {
        regenerer(app, file);
        return;
    }
    app.options().setControls(r.settings->controls);
    appliquerGlobals(r.settings->globals);
}

void FrmMain::SavOptions() {
    const std::filesystem::path file = paramFile();
    if (!saveParamFile(file, app.g.ligneParam)) regenerer(app, file);
}

void FrmMain::mnuoptions_Click() {
    TimPeriod->enabled = false;
    Options& o = app.options();
    chargtparam();
    if (!o.loaded || app.ending) return;
    app.platform.windows.runModal(o);
}

}  // namespace vis
