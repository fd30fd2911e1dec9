// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/flistimages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "output/bmp_codec.h"
#include "platform/format.h"

namespace vis {

namespace {
constexpr int kTopAfterScroll = 200;
constexpr int kGapAfterScroll = 50;
constexpr int kOutOfView = -1500;
const std::string kFullScreen = "Plein écran";
}  // namespace

void Flistimages::build() {
    caption = "Collection";
    width = 3500;
    height = 2900;
    Image1.clear();
    Lbldim.clear();
    pictsave.clear();

    Control& img =
        addControl(ControlKind::Image, "Image1", 0).setBounds(kThumbLeft, kThumbTop, kThumbWidth, kThumbHeight);
    img.visible = false;
    Image1.push_back(&img);

    Control& lbl =
        addControl(ControlKind::Label, "Lbldim", 0).setBounds(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    lbl.fontName = "Arial Narrow";
    lbl.fontSize = 8.25;
    lbl.autoSize = true;
    lbl.wordWrap = true;
    lbl.visible = false;
    Lbldim.push_back(&lbl);

    Control& mark =
        addControl(ControlKind::PictureBox, "pictsave", 0).setBounds(kMarkLeft, kMarkTop, kMarkSize, kMarkSize);
    mark.visible = false;
    const auto floppy = std::filesystem::path(app.platform.paths.programFolder()) / txt::kFloppyFile;
    if (auto b = readBmp(floppy.string())) mark.picture = *b;
    pictsave.push_back(&mark);

    Vscroll1 = &addControl(ControlKind::Slider, "Vscroll1").setBounds(2880, 0, 555, 1335);
    Vscroll1->min = 1;
    Vscroll1->max = 1;
    Vscroll1->value = 1;
    Vscroll1->enabled = false;
    Vscroll1->onChange = [this] { Vscroll1_Change(); };

    Labscroll = &addControl(ControlKind::Label, "Labscroll").setBounds(2880, 1320, 495, 255);

    onActivate = [this] { Form_Activate(); };
    onGotFocus = [this] { Form_GotFocus(); };
    onResize = [this] { Form_Resize(); };
    onQueryUnload = [this](bool& cancel, UnloadMode mode) { Form_QueryUnload(cancel, mode); };
}

void Flistimages::formLoad() {
    top = 0;
    left = 0;
    Vscroll1->left = width - Vscroll1->width;
    Labscroll->left = width - Labscroll->width;
}

void Flistimages::creerElement(int n) {
    while (elementCount() < n) {
        const int i = elementCount() + 1;
        auto copy = [&](std::vector<Control*>& list) {
            const Control& t = *list[0];
            Control& c = addControl(t.kind, t.name, i).setBounds(t.left, t.top, t.width, t.height);
            c.fontName = t.fontName;
            c.fontSize = t.fontSize;
            c.autoSize = t.autoSize;
            c.wordWrap = t.wordWrap;
            c.picture = t.picture;
            c.visible = false;
            list.push_back(&c);
            return &c;
        };
        Control* img = copy(Image1);
        img->onMouseDown = [this, i](const MouseEvent& e) { Image1_MouseDown(i, e); };
        copy(Lbldim);
        copy(pictsave);
    }
}

void Flistimages::supprimerElement(int n) {
    if (n < 1 || n > elementCount()) return;
    // Only the last element is ever deleted: the later ones have been
    // shifted down before.
    for (auto* list : {&Image1, &Lbldim, &pictsave}) {
        removeControl((*list)[static_cast<std::size_t>(n)]);
        list->erase(list->begin() + n);
    }
}

int Flistimages::hauteurColonne(int margin) const {
    const int n = app.g.nbCaptures;
    if (n < 1 || n > elementCount()) return height;
    const Control& last = *Image1[static_cast<std::size_t>(n)];
    // Never taller than the screen leaves to windows: the slider reaches the
    // captures below.
    const IScreen& screen = app.platform.screen;
    return std::min(last.top + last.height + margin, screen.workAreaHeightPixels() * screen.twipsPerPixelY());
}

void Flistimages::Form_Activate() {
    const int n = app.g.nbCaptures;
    if (normal()) {
        if (n > 0) height = hauteurColonne(600);
        Vscroll1->min = 1;
        if (n < 2) {
            Vscroll1->enabled = false;
            Labscroll->caption.clear();
        } else {
            Vscroll1->enabled = true;
            Vscroll1->max = n;
            Labscroll->caption = numberText(n);
        }
    }
    if (n != 0 && !app.frmMain().enVeille) {
        visible = true;
        if (normal() && Lbldim.size() > 1) width = Vscroll1->width + Lbldim[1]->width + Lbldim[1]->left + 100;
        Vscroll1->left = width - Vscroll1->width;
        Labscroll->left = Vscroll1->left;
    } else {
        hide();
    }
}

void Flistimages::Form_GotFocus() {
    if (normal() && app.g.nbCaptures > 0) height = hauteurColonne(600);
}

void Flistimages::Form_Resize() {
    if (normal() && app.g.nbCaptures > 0) height = hauteurColonne(600);
    Vscroll1->left = width - Vscroll1->width;
    Labscroll->left = width - Labscroll->width;
    // Button 15's border means "collection window shown": a window found
    // minimised loses it, one back in the normal state gets it again.
    FrmMain& m = app.frmMain();
    if (state == WindowState::Minimized)
        m.bouton(15).borderStyle = 0;
    else if (normal() && visible && app.g.nbCaptures > 0)
        m.bouton(15).borderStyle = 1;
}

void Flistimages::Form_QueryUnload(bool& cancel, UnloadMode) {
    if (!app.g.sortieDemandee) {
        cancel = true;
        state = WindowState::Minimized;
        Form_Resize();
    }
}

void Flistimages::Image1_MouseDown(int index, const MouseEvent& e) {
    clickimage1(index);
    if (e.button == kRightButton) {
        FrmMain& m = app.frmMain();
        app.platform.windows.popupMenu(m, m.menu("Mnuflott"));
    }
}

void Flistimages::Vscroll1_Change() {
    const int n = app.g.nbCaptures;
    if (n < 1) return;
    const int v = std::clamp(Vscroll1->value, 1, std::min(n, elementCount()));
    auto place = [this](int i, int t) {
        Image1[static_cast<std::size_t>(i)]->top = t;
        Lbldim[static_cast<std::size_t>(i)]->top = t;
        pictsave[static_cast<std::size_t>(i)]->top = t;
    };
    place(v, kTopAfterScroll);
    for (int i = v + 1; i <= std::min(n, elementCount()); ++i) {
        const Control& prev = *Image1[static_cast<std::size_t>(i) - 1];
        place(i, prev.top + prev.height + kGapAfterScroll);
    }
    for (int i = v - 1; i >= 1; --i) place(i, kOutOfView);
    if (normal()) height = hauteurColonne(100);
}

void Flistimages::clickimage1(int num) {
    const int n = app.g.nbCaptures;
    if (num < 1 || num > n || num > elementCount()) return;
    FrmMain& m = app.frmMain();
    // The frozen screen keeps its selection; a thumbnail waits until it is over.
    if (m.selectionPossible()) return;
    const std::size_t s = static_cast<std::size_t>(num) - 1;
    m.state = WindowState::Normal;
    m.overDesktop = false;
    const std::string& label = Lbldim[static_cast<std::size_t>(num)]->caption;
    const bool pleinEcran = midChars(label, 3, charCount(kFullScreen)) == kFullScreen;
    if (!pleinEcran) {
        m.ImgTtscreen->visible = false;
        m.Picture2->visible = true;
        m.Picture2->picture = Image1[static_cast<std::size_t>(num)]->picture;
        m.Picture2->height = app.g.hauteurImage[s];
        m.Picture2->width = app.g.largeurImage[s];
        m.height = app.g.hauteurFenetre[s];
        m.width = app.g.largeurFenetre[s];
        m.typeCapture = 'z';
    } else {
        m.Picture2->visible = false;
        m.ImgTtscreen->visible = true;
        m.ImgTtscreen->picture = Image1[static_cast<std::size_t>(num)]->picture;
        const TwipRect d = app.platform.screen.geometry().frozenScreen();
        m.fitWholeScreen((d.width - 80) / 1.1, (d.height - 600) / 1.1);
        m.ImgTtscreen->top = 500;
        m.width = m.ImgTtscreen->width + 180;
        m.height = m.ImgTtscreen->height + 1400;
        m.typeCapture = 'e';
    }
    m.caption = "Capture" + numberText(num) + " / " + numberText(n);
    m.left = m.screenWidth() - m.width;
    m.keepOnScreen();
    m.Labtaille->caption = app.g.texteTaille[s];
    m.Labtaill2->visible = false;
    for (int i = 1; i <= std::min(n, elementCount()); ++i) Image1[static_cast<std::size_t>(i)]->borderStyle = 0;
    Image1[static_cast<std::size_t>(num)]->borderStyle = 1;
    m.modeBarre = false;
    m.marquerAffichee(pictsave[static_cast<std::size_t>(num)]->visible);
    app.g.captureCourante = num;
}

}  // namespace vis
