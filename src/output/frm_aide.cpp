// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/frm_aide.h"

#include <algorithm>
#include <filesystem>

#include "output/bmp_codec.h"
#include "output/texts_output.h"

namespace vis {

namespace {

struct HelpDesign {
    const char* window;
    const char* pictureBox;
    std::string_view caption;
    std::string_view file;
};

HelpDesign designOf(Aide which) {
    switch (which) {
        case Aide::Principale:
            return {"FrmAidfn", "PicaidFN", txt::kHelpMainCaption, txt::kHelpMainFile};
        case Aide::Vignettes:
            return {"Frmaidfv", "Picaidfv", txt::kHelpCollectionCaption, txt::kHelpCollectionFile};
        case Aide::Options:
            break;
    }
    return {"FrmAidOpt", "PicAidOpt", txt::kHelpOptionsCaption, txt::kHelpOptionsFile};
}

}  // namespace

FrmAide::FrmAide(Program& program, Aide which) : Form(program, designOf(which).window), which_(which) {}

void FrmAide::build() {
    const HelpDesign d = designOf(which_);
    dialog = true;
    ownedByMain = true;
    showInTaskbar = false;
    picture = &addControl(ControlKind::PictureBox, d.pictureBox);
    // Without its file the window still opens, blank, and closes on a click.
    const auto path = std::filesystem::path(app.platform.paths.programFolder()) / d.file;
    const auto b = readBmp(path.string());
    picture->picture = b ? *b : Bitmap::filled(400, 300, rgb(255, 255, 255));
    picture->width = picture->picture.width() * app.platform.screen.twipsPerPixelX();
    picture->height = picture->picture.height() * app.platform.screen.twipsPerPixelY();
    picture->onClick = [this] { unload(); };
}

void FrmAide::formLoad() {
    const HelpDesign d = designOf(which_);
    height = picture->height + 400;
    width = picture->width + 100;
    caption = std::string(d.caption);
    picture->tooltip = std::string(txt::kHelpTip);
    left = std::max(0, (app.platform.screen.widthTwips() - width) / 2);
    top = std::max(0, (app.platform.screen.heightTwips() - height) / 2);
}

void FrmAide::montrer() {
    load();
    app.platform.windows.runModal(*this);
}

}  // namespace vis
