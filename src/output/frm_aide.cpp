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
    Bitmap help = b ? *b : Bitmap::filled(400, 300, rgb(255, 255, 255));
    const int tx = app.platform.screen.twipsPerPixelX();
    const int ty = app.platform.screen.twipsPerPixelY();
    // On a screen too small for it the help is shown whole, reduced, rather
    // than cut off: the window (100 wider, 400 higher) fits the work area.
    const DesktopGeometry geo = app.platform.screen.geometry();
    const TwipRect work = geo.workAreaOf(geo.primary());
    const double f = std::min({1.0, (work.width - 100.0) / (help.width() * tx),
                               (work.height - 400.0) / (help.height() * ty)});
    if (f > 0 && f < 1)
        help = help.scaled(std::max(1, static_cast<int>(help.width() * f)),
                           std::max(1, static_cast<int>(help.height() * f)));
    picture->picture = help;
    picture->width = help.width() * tx;
    picture->height = help.height() * ty;
    picture->onClick = [this] { unload(); };
}

void FrmAide::formLoad() {
    const HelpDesign d = designOf(which_);
    height = picture->height + 400;
    width = picture->width + 100;
    caption = std::string(d.caption);
    picture->tooltip = std::string(txt::kHelpTip);
    const TwipRect r = app.platform.screen.geometry().keptInside(
        {(app.platform.screen.widthTwips() - width) / 2, (app.platform.screen.heightTwips() - height) / 2, width, height});
    left = r.left;
    top = r.top;
}

void FrmAide::montrer() {
    load();
    app.platform.windows.runModal(*this);
}

}  // namespace vis
