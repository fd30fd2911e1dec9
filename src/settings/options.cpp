#include "settings/options.h"

#include "capture/frm_main.h"

namespace vis {

namespace {
Control& place(Control& c, int l, int t, int w, int h) {
    c.left = l;
    c.top = t;
    c.width = w;
    c.height = h;
    return c;
}
}  // namespace

void Options::build() {
    caption = "Options utilisateur";
    dialog = true;
    ownedByMain = true;
    showInTaskbar = false;
    // Client area 9960 x 4095 plus a frame and a title bar.
    width = 9960 + 120;
    height = 4095 + 420;
    left = (app.platform.screen.widthTwips() - width) / 2;
    top = (app.platform.screen.heightTwips() - height) / 2;

    Label1 = &place(addControl(ControlKind::Label, "Label1"), 240, 120, 2655, 255);
    Text1 = &place(addControl(ControlKind::TextBox, "Text1"), 240, 480, 8655, 285);
    Cdeparcourir = &place(addControl(ControlKind::Button, "Cdeparcourir"), 9000, 360, 735, 495);
    Label5 = &place(addControl(ControlKind::Label, "Label5"), 360, 960, 0, 255);
    Txtpref = &place(addControl(ControlKind::TextBox, "Txtpref"), 0, 960, 1455, 285);
    Txtpref->caption = "Capt";
    Txtpref->maxLength = 6;
    lblt = &place(addControl(ControlKind::Label, "lblt"), 5400, 960, 0, 255);
    Txttouche = &place(addControl(ControlKind::TextBox, "Txttouche"), 0, 920, 495, 285);
    Txttouche->caption = "12";
    Txttouche->maxLength = 2;
    Label6 = &place(addControl(ControlKind::Label, "Label6"), 5400, 1200, 4455, 615);
    for (int i = 0; i < 3; ++i) {
        Check1[static_cast<std::size_t>(i)] =
            &place(addControl(ControlKind::CheckBox, "Check1", i), 240, 1320 + 480 * i, 4335, 375);
    }
    Shape1 = &place(addControl(ControlKind::Shape, "Shape1"), 5280, 1920, 2655, 1095);
    Shape1->borderColor = rgb(128, 128, 128);
    Label4 = &place(addControl(ControlKind::Label, "Label4"), 5520, 1920, 2055, 255);
    Label4->fontSize = 9.75;
    Slider1 = &place(addControl(ControlKind::Slider, "Slider1"), 5400, 2280, 2415, 255);
    Slider1->min = 0;
    Slider1->max = 9;
    Slider1->value = 7;
    Label3 = &place(addControl(ControlKind::Label, "Label3"), 5520, 2640, 2415, 255);
    Label3->fontSize = 9.75;
    Label7 = &place(addControl(ControlKind::Label, "Label7"), 360, 2760, 0, 255);
    Slidtempo = &place(addControl(ControlKind::Slider, "Slidtempo"), 0, 2760, 855, 255);
    Slidtempo->min = 0;
    Slidtempo->max = 5;
    Slidtempo->value = 1;
    Label2 = &place(addControl(ControlKind::Label, "Label2"), 360, 3240, 0, 255);
    Txtinterval = &place(addControl(ControlKind::TextBox, "Txtinterval"), 0, 3240, 1095, 285);
    Txtinterval->caption = "10";
    Txtinterval->maxLength = 6;
    OKButton = &place(addControl(ControlKind::Button, "OKButton"), 8520, 2280, 1215, 495);
    OKButton->caption = "OK";
    CdeAnnul = &place(addControl(ControlKind::Button, "CdeAnnul"), 8520, 2880, 1215, 495);

    Check1[0]->value = 1;
    for (Control* l : {Label5, lblt, Label7, Label2}) l->autoSize = true;
}

void Options::formLoad() {}
void Options::OKButton_Click() {}
void Options::CdeAnnul_Click() {}
void Options::Cdeparcourir_Click() {}
void Options::Txttouche_Change() {}

}  // namespace vis
