// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/program.h"

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "collection/flistimages.h"
#include "output/frm_about.h"
#include "output/frm_aide.h"
#include "output/frm_splash.h"
#include "settings/options.h"
#include "settings/param_record.h"

namespace vis {

Program::Program(Platform& p) : platform(p), main_(std::make_unique<FrmMain>(*this)) {}

Program::~Program() = default;

void Program::start() {
    main_->load();
    main_->show();
}

FrmMain& Program::frmMain() {
    main_->load();
    return *main_;
}

Flistimages& Program::flistimages() {
    if (!list_) list_ = std::make_unique<Flistimages>(*this, *main_);
    list_->load();
    return *list_;
}

bool Program::flistimagesLoaded() const { return list_ && list_->loaded; }

Fcam& Program::fcam() {
    if (!fcam_) fcam_ = std::make_unique<Fcam>(*this);
    fcam_->load();
    return *fcam_;
}

Options& Program::options() {
    if (!options_) options_ = std::make_unique<Options>(*this, *main_);
    options_->load();
    return *options_;
}

bool Program::optionsLoaded() const { return options_ && options_->loaded; }

bool Program::fcamLoaded() const { return fcam_ && fcam_->loaded; }

FrmAbout& Program::frmAbout() {
    if (!about_) about_ = std::make_unique<FrmAbout>(*this, *main_);
    about_->load();
    return *about_;
}

bool Program::aboutLoaded() const { return about_ && about_->loaded; }

FrmSplash& Program::frmSplash() {
    if (!splash_) splash_ = std::make_unique<FrmSplash>(*this);
    splash_->load();
    return *splash_;
}

bool Program::splashLoaded() const { return splash_ && splash_->loaded; }

FrmAide& Program::aide(Aide which) {
    auto& w = aides_[static_cast<std::size_t>(which)];
    if (!w) w = std::make_unique<FrmAide>(*this, which);
    w->load();
    return *w;
}

bool Program::aideVisible(Aide which) const {
    const auto& w = aides_[static_cast<std::size_t>(which)];
    return w && w->loaded && w->visible;
}

void Program::end(int code) {
    ending = true;
    exitCode = code;
    platform.windows.exitProgram(code);
}

bool Program::pasCent() const { return fieldText(g.ligneParam, field::pasCent) == "1"; }
// A greyed box (2) is not an unchecked one.
bool Program::serieBmp() const {
    const std::string box = fieldText(g.ligneParam, field::serieBmp);
    return box == "1" || box == "2";
}
std::string Program::repertoireText() const {
    std::string d = fieldText(g.ligneParam, field::repertoire);
    d.erase(d.find_last_not_of(' ') + 1);
    return d;
}

}  // namespace vis
