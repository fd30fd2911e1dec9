// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menus and their captions.

#include "capture/frm_main.h"
#include "capture/texts_main.h"
#include "output/frm_aide.h"

namespace vis {

void FrmMain::buildMenus() {
    auto entry = [](MenuEntry& parent, const char* n, std::function<void()> f) -> MenuEntry& {
        MenuEntry& e = parent.add(n);
        e.onClick = std::move(f);
        return e;
    };
    // Entries that would change the collection wait for a save under way.
    auto change = [this](std::function<void()> f) {
        return [this, f = std::move(f)] {
            if (!refuserPendantSauvegarde()) f();
        };
    };
    MenuEntry& fichier = addMenu("mnufichier");
    fichier.visible = false;
    // Beside the original Ctrl+E, the keys every desktop program knows.
    entry(fichier, "Mnuenregistrer", change([this] { Enregistrer(); })).shortcut = "Ctrl+E; Ctrl+S";
    entry(fichier, "Mnuenregistrertout", change([this] { EnregistrerTout(); })).shortcut = "Ctrl+Shift+S";
    entry(fichier, "Mnuimprimer", [this] { Imprimer(); }).shortcut = "Ctrl+P";
    entry(fichier, "Mnuquitter", change([this] { quitprog(); })).shortcut = "Ctrl+Q";
    fichier.onDropDown = [this] {
        const bool any = app.collection.nbCaptures() != 0;
        for (const char* n : {"Mnuenregistrer", "Mnuenregistrertout", "Mnuimprimer"}) menu(n).enabled = any;
    };

    MenuEntry& edition = addMenu("mnuedition");
    edition.visible = false;
    entry(edition, "mnuttscreen", change([this] {
              if (captureBusy_) return;
              capturTTecran(0);
              if (!captureEchouee) annulation();
          }));
    entry(edition, "mnuretour", [this] { annulation(); });
    entry(edition, "mnucopier", [this] { Buttcopier(); }).shortcut = "Ctrl+C";
    entry(edition, "mnurafraichir", change([this] { Rafraichir(); }));
    entry(edition, "Mnudelcap", change([this] { SuppVignette(); })).shortcut = "Del";
    entry(edition, "Mnudeltout", change([this] { Supprimertout(true); }));
    edition.onDropDown = [this] {
        const bool any = app.collection.nbCaptures() != 0;
        for (const char* n : {"mnuretour", "mnucopier", "mnurafraichir", "Mnudelcap", "Mnudeltout"})
            menu(n).enabled = any;
    };

    MenuEntry& outils = addMenu("mnuoutils");
    outils.visible = false;
    entry(outils, "mnuoptions", [this] { mnuoptions_Click(); });
    entry(outils, "MnuCaptper", [this] { MnuCaptper_Click(); });

    MenuEntry& help = addMenu("mnuHelp");
    help.visible = false;
    MenuEntry& aide = help.add("MnuAide");
    entry(aide, "MnuaidFP", [this] { app.aide(Aide::Principale).montrer(); });
    entry(aide, "MnuaidFC", [this] { app.aide(Aide::Vignettes).montrer(); });
    entry(aide, "MnuaidOpt", [this] { app.aide(Aide::Options).montrer(); });
    entry(help, "mnuapropos", [this] { mnuapropos_Click(); });
    entry(help, "mnumail", [this] { envoimail(); });

    MenuEntry& captu = addMenu("mnucaptu");
    captu.visible = false;
    entry(captu, "Mnuphotorapid", change([this] {
              if (captureBusy_) return;
              capturTTecran(0);
              if (!captureEchouee) annulation();
          }));
    entry(captu, "mnuveille", [this] { mnuveille_Click(); });
    entry(captu, "Mnuquitt", change([this] { quitprog(); }));

    MenuEntry& flott = addMenu("Mnuflott");
    flott.visible = false;
    entry(flott, "mnuFenregistrer", change([this] { Enregistrer(); }));
    entry(flott, "MnuFenregistrertout", change([this] { EnregistrerTout(); }));
    entry(flott, "MnuFdelcap", change([this] { SuppVignette(); }));
    entry(flott, "Mnufdeltout", change([this] { Supprimertout(true); }));
}

void FrmMain::chargtconstMain() {
    Picture1->tooltip = std::string(txt::kPicture1Tip);
    labdeb->caption = std::string(txt::kLabdeb);
    const std::pair<const char*, const char*> captions[] = {
        {"mnufichier", "&Fichier"},
        {"Mnuenregistrer", "&Enregistrer"},
        {"Mnuenregistrertout", "Enregistrer &tout"},
        {"Mnuimprimer", "&imprimer"},
        {"Mnuquitter", "&Quitter"},
        {"mnuedition", "&Edition"},
        {"mnuttscreen", "Capturer &tout l'ecran"},
        {"mnuretour", "&Retour sélection sur dernière capture"},
        {"mnucopier", "&Copier"},
        {"mnurafraichir", "Ra&fraichir la capture"},
        {"Mnudelcap", "&Supprimer cette capture"},
        {"Mnudeltout", "S&upprimer tout"},
        {"mnuoutils", "&Outils"},
        {"mnuoptions", "O&ptions"},
        {"MnuCaptper", "Capture pério&dique"},
        {"mnuHelp", "&?"},
        {"MnuAide", "Ai&de"},
        {"MnuaidFP", "Fenêtre principale"},
        {"MnuaidFC", "Fenêtre collection de vignettes"},
        {"MnuaidOpt", "Fenêtre de réglage des options"},
        {"mnuapropos", "&A propos"},
        {"mnumail", "&Ecrivez-moi ...."},
        {"mnucaptu", "Vistrelle"},
        {"Mnuphotorapid", "Capturer"},
        {"mnuveille", "Mettre en veille"},
        {"Mnuquitt", "&Quitter"},
        {"Mnuflott", "Flottant"},
        {"mnuFenregistrer", "&Enregistrer"},
        {"MnuFenregistrertout", "Enregistrer &tout"},
        {"MnuFdelcap", "&Supprimer cette capture"},
        {"Mnufdeltout", "S&upprimer tout"},
    };
    for (const auto& [n, c] : captions) menu(n).caption = c;
}

}  // namespace vis
