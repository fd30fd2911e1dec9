#include "capture/program.h"

#include "capture/fcam.h"
#include "capture/frm_main.h"
#include "collection/flistimages.h"
#include "settings/options.h"

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
    if (!list_) list_ = std::make_unique<Flistimages>(*this);
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
    if (!options_) options_ = std::make_unique<Options>(*this);
    options_->load();
    return *options_;
}

bool Program::optionsLoaded() const { return options_ && options_->loaded; }

bool Program::fcamLoaded() const { return fcam_ && fcam_->loaded; }

void Program::end(int code) {
    ending = true;
    platform.windows.exitProgram(code);
}

bool Program::pasCent() { return options().Check1[0]->value == 1; }
// A greyed box (2) is not an unchecked one.
bool Program::serieBmp() { return options().Check1[1]->value != 0; }
std::string Program::repertoireText() { return options().Text1->caption; }

}  // namespace vis
