// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>
#include <vector>

#include "base/form.h"

namespace vis {

// Template places of the collection window's element lists.
inline constexpr int kThumbLeft = 120, kThumbTop = -1080, kThumbWidth = 1455, kThumbHeight = 1335;
inline constexpr int kLabelLeft = 1680, kLabelTop = 120, kLabelWidth = 405, kLabelHeight = 225;
inline constexpr int kMarkLeft = 120, kMarkTop = 120, kMarkSize = 255;
// The saved marker's picture, in the program's folder.
inline constexpr std::string_view kFloppyFile = "floppy.bmp";

// What the collection window asks of the main window.
class HoteVignettes {
public:
    // The program sleeps in the notification area: the window keeps hidden.
    virtual bool programmeEnVeille() const = 0;
    // Capture num shown again at full size and made current.
    virtual void montrerCapture(int num) = 0;
    // The window's shown state has changed: the toolbar shows it.
    virtual void majBoutonVignettes() = 0;
    // The floating menu of a thumbnail, at the pointer.
    virtual void menuVignette() = 0;

protected:
    ~HoteVignettes() = default;
};

// The collection window: a column of thumbnails, each with its label and its
// saved marker, and a slider that picks the one at the top.
class Flistimages : public Form {
public:
    Flistimages(Program& program, HoteVignettes& hote) : Form(program, "Flistimages"), hote_(hote) {}

    // Element lists; index 0 is the hidden template.
    std::vector<Control*> Image1, Lbldim, pictsave;
    Control* Vscroll1 = nullptr;
    Control* Labscroll = nullptr;

    int elementCount() const { return static_cast<int>(Image1.size()) - 1; }
    // Draws the collection: one element a capture, each with its picture,
    // its size, its numbered label, its saved marker, and the current one's
    // border. The places in the column are this window's own.
    void afficher();
    // The newest thumbnail placed below the one before it, the window grown to it.
    void placerDernier();
    // After a deletion at c: the thumbnails below c placed again.
    void replacerApres(int c);

    void Form_Activate();
    void Form_GotFocus();
    void Form_Resize();
    void Form_QueryUnload(bool& cancel, UnloadMode mode);
    void Image1_MouseDown(int index, const MouseEvent& e);
    void Vscroll1_Change();
    void clickimage1(int num);

    // Top of the thumbnail that follows prev in the column that additions
    // and deletions build.
    static int topAfter(const Control& prev);
    // Height that ends `margin` below the last thumbnail.
    int hauteurColonne(int margin) const;
    bool normal() const { return state == WindowState::Normal; }

protected:
    void build() override;
    void formLoad() override;

private:
    HoteVignettes& hote_;
    // Element n of the three lists, as copies of the templates, hidden.
    void creerElement(int n);
    void supprimerDernier();
};

}  // namespace vis
