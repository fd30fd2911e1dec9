// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/flistimages.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "output/bmp_codec.h"
#include "platform/format.h"

namespace vis {

namespace {
constexpr int kTopAfterScroll = 200;
constexpr int kGapAfterScroll = 50;
constexpr int kOutOfView = -1500;
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
    const auto floppy = std::filesystem::path(app.platform.paths.programFolder()) / kFloppyFile;
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

void Flistimages::supprimerDernier() {
    const int n = elementCount();
    if (n < 1) return;
    for (auto* list : {&Image1, &Lbldim, &pictsave}) {
        removeControl((*list)[static_cast<std::size_t>(n)]);
        list->pop_back();
    }
}

void Flistimages::afficher() {
    const Collection& col = app.collection;
    const int n = col.nbCaptures();
    while (elementCount() > n) supprimerDernier();
    creerElement(n);
    const Control& tmpl = *Image1[0];
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const CaptureSlot& c = col.capture(i);
        Control& img = *Image1[k];
        img.picture = c.picture;
        // Portrait thumbnails are as high as the template, the others as wide.
        const double w = c.largeurCapture, h = c.hauteurCapture;
        img.width = tmpl.width;
        img.height = tmpl.height;
        if (h > w)
            img.width = static_cast<int>(std::lround(w / h * tmpl.height));
        else if (w > 0)
            img.height = static_cast<int>(std::lround(h / w * tmpl.width));
        img.borderStyle = i == col.captureCourante() ? 1 : 0;
        img.visible = true;
        Lbldim[k]->caption = twoDigits(i) + c.dimensions;
        Lbldim[k]->visible = true;
        pictsave[k]->visible = c.saved;
    }
}

int Flistimages::topAfter(const Control& prev) {
    return prev.height > 800 ? prev.top + prev.height + 60 : prev.top + 800;
}

void Flistimages::placerDernier() {
    const int n = elementCount();
    if (n < 1) return;
    Control& img = *Image1[static_cast<std::size_t>(n)];
    img.top = topAfter(*Image1[static_cast<std::size_t>(n) - 1]);
    Lbldim[static_cast<std::size_t>(n)]->top = img.top;
    pictsave[static_cast<std::size_t>(n)]->top = img.top;
    if (normal()) {
        const int sh = app.platform.screen.heightTwips();
        height = sh - 500 > height ? img.top + img.height + 500 : sh - 500;
    }
}

void Flistimages::replacerApres(int c) {
    // Thumbnail c keeps its top.
    for (int i = c + 1; i <= elementCount(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        Image1[k]->top = topAfter(*Image1[k - 1]);
        Lbldim[k]->top = Image1[k]->top;
        pictsave[k]->top = Image1[k]->top;
    }
}

int Flistimages::hauteurColonne(int margin) const {
    const int n = app.collection.nbCaptures();
    if (n < 1 || n > elementCount()) return height;
    const Control& last = *Image1[static_cast<std::size_t>(n)];
    // Never taller than the screen leaves to windows: the slider reaches the
    // captures below.
    const IScreen& screen = app.platform.screen;
    return std::min(last.top + last.height + margin, screen.workAreaHeightPixels() * screen.twipsPerPixelY());
}

void Flistimages::Form_Activate() {
    const int n = app.collection.nbCaptures();
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
    if (n != 0 && !hote_.programmeEnVeille()) {
        visible = true;
        if (normal() && Lbldim.size() > 1) width = Vscroll1->width + Lbldim[1]->width + Lbldim[1]->left + 100;
        Vscroll1->left = width - Vscroll1->width;
        Labscroll->left = Vscroll1->left;
    } else {
        hide();
    }
}

void Flistimages::Form_GotFocus() {
    if (normal() && app.collection.nbCaptures() > 0) height = hauteurColonne(600);
}

void Flistimages::Form_Resize() {
    if (normal() && app.collection.nbCaptures() > 0) height = hauteurColonne(600);
    Vscroll1->left = width - Vscroll1->width;
    Labscroll->left = width - Labscroll->width;
    // Found minimised, the window is no longer shown; back in the normal
    // state, it is again.
    Collection& col = app.collection;
    if (state == WindowState::Minimized)
        col.shown = false;
    else if (normal() && visible && !col.empty())
        col.shown = true;
    hote_.majBoutonVignettes();
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
    if (e.button == kRightButton) hote_.menuVignette();
}

void Flistimages::Vscroll1_Change() {
    const int n = app.collection.nbCaptures();
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
    if (app.collection.exists(num)) hote_.montrerCapture(num);
}

}  // namespace vis
