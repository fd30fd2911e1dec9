// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/options.h"

#include "platform/format.h"
#include "settings/param_record.h"
#include "settings/param_texts.h"

namespace vis {

namespace {
// "##": a whole number without leading zeros, nothing for zero or no text.
std::string sansZeros(const std::string& t) {
    if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return t;
    const std::size_t first = t.find_first_not_of('0');
    return first == std::string::npos ? std::string() : t.substr(first);
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

    Label1 = &addControl(ControlKind::Label, "Label1").setBounds(240, 120, 2655, 255);
    Text1 = &addControl(ControlKind::TextBox, "Text1").setBounds(240, 480, 8655, 285);
    Cdeparcourir = &addControl(ControlKind::Button, "Cdeparcourir").setBounds(9000, 360, 735, 495);
    Cdeparcourir->onClick = [this] { Cdeparcourir_Click(); };
    Label5 = &addControl(ControlKind::Label, "Label5").setBounds(360, 960, 0, 255);
    Txtpref = &addControl(ControlKind::TextBox, "Txtpref").setBounds(0, 960, 1455, 285);
    Txtpref->caption = "Capt";
    Txtpref->maxLength = 6;
    lblt = &addControl(ControlKind::Label, "lblt").setBounds(5400, 960, 0, 255);
    Txttouche = &addControl(ControlKind::TextBox, "Txttouche").setBounds(0, 920, 495, 285);
    Txttouche->caption = "12";
    Txttouche->maxLength = 2;
    Txttouche->onChange = [this] { Txttouche_Change(); };
    Label6 = &addControl(ControlKind::Label, "Label6").setBounds(5400, 1200, 4455, 615);
    for (int i = 0; i < 3; ++i) {
        Check1[static_cast<std::size_t>(i)] =
            &addControl(ControlKind::CheckBox, "Check1", i).setBounds(240, 1320 + 480 * i, 4335, 375);
    }
    Shape1 = &addControl(ControlKind::Shape, "Shape1").setBounds(5280, 1920, 2655, 1095);
    Shape1->borderColor = rgb(128, 128, 128);
    Label4 = &addControl(ControlKind::Label, "Label4").setBounds(5520, 1920, 2055, 255);
    Label4->fontSize = 9.75;
    Slider1 = &addControl(ControlKind::Slider, "Slider1").setBounds(5400, 2280, 2415, 255);
    Slider1->min = 0;
    Slider1->max = 9;
    Slider1->value = 7;
    Label3 = &addControl(ControlKind::Label, "Label3").setBounds(5520, 2640, 2415, 255);
    Label3->fontSize = 9.75;
    Label7 = &addControl(ControlKind::Label, "Label7").setBounds(360, 2760, 0, 255);
    Slidtempo = &addControl(ControlKind::Slider, "Slidtempo").setBounds(0, 2760, 855, 255);
    Slidtempo->min = 0;
    Slidtempo->max = 5;
    Slidtempo->value = 1;
    Label2 = &addControl(ControlKind::Label, "Label2").setBounds(360, 3240, 0, 255);
    Txtinterval = &addControl(ControlKind::TextBox, "Txtinterval").setBounds(0, 3240, 1095, 285);
    Txtinterval->caption = "10";
    Txtinterval->maxLength = 6;
    OKButton = &addControl(ControlKind::Button, "OKButton").setBounds(8520, 2280, 1215, 495);
    OKButton->caption = "OK";
    OKButton->onClick = [this] { OKButton_Click(); };
    CdeAnnul = &addControl(ControlKind::Button, "CdeAnnul").setBounds(8520, 2880, 1215, 495);
    CdeAnnul->onClick = [this] { CdeAnnul_Click(); };

    for (Control* l : {Label5, lblt, Label7, Label2}) l->autoSize = true;
    // Shown whole whatever the font's width; the layout does not depend on them.
    Label1->autoSize = true;
    Label6->autoSize = true;
    // The title bar's close box cancels, as Annuler does.
    onQueryUnload = [this](bool& cancel, UnloadMode mode) {
        if (mode == UnloadMode::User) {
            cancel = true;
            CdeAnnul_Click();
        }
    };
}

void Options::formLoad() {
    hote_.chargtparam();
    if (!loaded) return;  // the program is ending over a damaged settings file
    Txttouche_Change();
    Label7->caption = "Temporisation captures (pour éviter les rémanences)";
    Label1->caption = "Répertoire de sauvegarde par défaut :";
    Cdeparcourir->caption = "Parcourir";
    Label5->caption = "Préfixe par défaut des noms de fichiers sauvés:";
    lblt->caption = "Touche  rapide de nouvelle capture:  SHIFT + F";
    Check1[0]->caption = "Taille des sélections par \"pas\" de 100";
    Check1[1]->caption = "Sauvegardes en série au format \"Bmp\" (jpg par défaut)";
    Check1[2]->caption = "Inclure les fenêtres Vistrelle dans les captures";
    Label2->caption = "Intervalle en secondes entre les captures périodiques (65 maxi) :";
    Label4->caption = "    - -  Qualité image  ++";
    Label3->caption = "++  Compression Jpg   - -";
    CdeAnnul->caption = "Annuler";
    caption = "Options utilisateur";

    // Labels sized to their captions; each box starts 50 twips after its label.
    const IScreen& s = app.platform.screen;
    for (Control* l : {Label5, lblt, Label7, Label2}) l->width = s.textWidthTwips(l->caption, l->fontName, l->fontSize);
    Txttouche->left = lblt->left + lblt->width + 50;
    Txtpref->left = Label5->left + Label5->width + 50;
    Txtinterval->left = Label2->left + Label2->width + 50;
    Slidtempo->left = Label7->left + Label7->width + 50;
}

void Options::Txttouche_Change() {
    const std::string k = sansZeros(Txttouche->caption);
    Label6->caption = "(SHIFT+CTRL+ F" + k + " pour capturer à nouveau la même région)\r\n" + "(SHIFT+1+ F" + k +
                      " pour capturer tout l'écran)\r\n" + "(SHIFT+2+ F" + k + " pour capturer une fenêtre)";
}

OptionsControls Options::controls() const {
    OptionsControls c;
    c.Text1 = Text1->caption;
    for (std::size_t i = 0; i < 3; ++i) c.Check1[i] = Check1[i]->value;
    c.Slider1 = Slider1->value;
    c.Slidtempo = Slidtempo->value;
    c.Txtinterval = Txtinterval->caption;
    c.Txtpref = Txtpref->caption;
    c.Txttouche = Txttouche->caption;
    return c;
}

void Options::setControls(const OptionsControls& c) {
    Text1->caption = c.Text1;
    for (std::size_t i = 0; i < 3; ++i) Check1[i]->value = c.Check1[i];
    Slider1->value = c.Slider1;
    Slidtempo->value = c.Slidtempo;
    Txtinterval->caption = c.Txtinterval;
    Txtpref->caption = c.Txtpref;
    if (Txttouche->caption != c.Txttouche) {
        Txttouche->caption = c.Txttouche;
        Txttouche_Change();
    }
}

void Options::OKButton_Click() {
    hote_.reprendrePeriodique();
    const OptionsControls c = controls();
    const OptionsProblem problem = checkOptions(c);
    if (problem != OptionsProblem::None) {
        app.platform.messages.show(problemMessage(problem), MsgButtons::Ok, MsgIcon::Exclamation);
        if (problem == OptionsProblem::PrefixTooShort || problem == OptionsProblem::InvalidPrefix ||
            problem == OptionsProblem::PrefixLeavesFolder)
            setFocus(*Txtpref);
        if (problem == OptionsProblem::InvalidInterval) setFocus(*Txtinterval);
        if (problem == OptionsProblem::InvalidDirectory || problem == OptionsProblem::DirectoryTooLong)
            setFocus(*Text1);
        return;
    }
    const std::optional<ParamGlobals> built = buildRecord(c);
    if (!built) return;
    hote_.appliquerGlobals(*built);
    hote_.SavOptions();
    hide();
}

void Options::CdeAnnul_Click() {
    hide();
    hote_.reprendrePeriodique();
}

void Options::Cdeparcourir_Click() {
    FileDialogRequest r;
    // Trailing blanks would name a folder that does not exist, and the
    // dialog would open elsewhere.
    r.initialFolder = Text1->caption;
    r.initialFolder.erase(r.initialFolder.find_last_not_of(' ') + 1);
    r.fileName = "Capture";
    const bool timerWasOn = hote_.periodiqueActif();
    hote_.activerPeriodique(false);
    const std::optional<std::string> chosen = app.platform.dialogs.openFile(r);
    if (timerWasOn) hote_.activerPeriodique(true);
    if (!chosen) return;
#ifdef _WIN32
    const std::size_t cut = chosen->find_last_of("\\/");
#else
    const std::size_t cut = chosen->find_last_of('/');
#endif
    if (cut == std::string::npos) return;
    // The folder is what counts: the chosen file's path up to its last
    // separator ("D:" for a file in a drive's root, "" in the file system's).
    Text1->caption = chosen->substr(0, cut);
}

}  // namespace vis
