// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/form.h"
#include "collection/flistimages.h"
#include "output/frm_about.h"
#include "output/atomic_file.h"
#include "output/recovery.h"
#include "settings/options.h"
#include "settings/param_record.h"

namespace vis {

class SaveRun;

// Twips of the layout that several procedures share.
inline constexpr int kBarHeight = 1250;
inline constexpr int kStartHeight = 1400;
inline constexpr int kToolbarButtons = 17;
inline constexpr int kToolbarTiles = 51;  // working buttons and blue filler tiles

// The main window: every capture starts and ends here. It owns the capture
// state and the procedures that act on the collection and the files.
class FrmMain : public Form, public HoteVignettes, public HoteOptions, public HoteAbout {
public:
    explicit FrmMain(Program& program);
    ~FrmMain() override;

    // --- capture state -------------------------------------------------
    bool selectionEnCours = false;
    bool ignorerActivation = false;
    int hauteurPleinEcran = 0;
    int largeurPleinEcran = 0;
    bool captureEchouee = false;
    bool premiereCapture = true;
    char typeCapture = '\0';  // 'z' region, 'e' whole screen, 'f' active window
    double xDebut = 0, yDebut = 0, xFin = 0, yFin = 0;
    double hauteurCapture = 0, largeurCapture = 0;
    // Size of the last selected region, which a window or whole-screen
    // capture must not change for the repeat of that region.
    double hauteurSelection = 0, largeurSelection = 0;
    bool modeBarre = false;
    int hauteurHorsBarre = 0, largeurHorsBarre = 0;
    std::string imageAffichee;  // "picture" or "image"
    // Set from veille() by a hot key: a region selected then puts the
    // windows back to sleep.
    bool enVeille = false;

    // Hover state of the toolbar.
    int dernierBoutonSurvole = 0;
    bool survolRepete = false;

    // Saving.
    bool premiereSauvegarde = true;
    int numFichier = 1;
    std::string dossierSauvegarde;
    std::string nomFichier;
    std::string cdlgFileName;  // the save dialog's file name, kept between uses

    // Pictures of the toolbar: entry i+1 normal, i+18 highlighted (1-based).
    std::vector<Bitmap> imageList1;

    // --- elements --------------------------------------------------------
    Control& bouton(int k) { return *bouton_[static_cast<std::size_t>(k)]; }
    Control* Picture1 = nullptr;
    Control* Picture2 = nullptr;
    Control* ImgTtscreen = nullptr;
    Control* rectsel = nullptr;
    Control* Labtaille = nullptr;
    Control* Labtaill2 = nullptr;
    Control* labdeb = nullptr;
    Control* pictsave = nullptr;
    Control* Line1 = nullptr;
    Timer* Timbouton = nullptr;
    Timer* Timerclav = nullptr;
    Timer* TimRect = nullptr;
    Timer* TimPeriod = nullptr;
    Timer* TimerUnload = nullptr;
    Timer* Timlabdeb = nullptr;
    Timer* Timsplash = nullptr;
    MenuEntry& menu(const std::string& n) { return *findMenu(n); }

    // --- toolbar and keyboard -------------------------------------------
    void bouton_Click(int k);
    void bouton_MouseMove(int k);
    void Timbouton_Timer();
    void Form_KeyDown(int keyCode);
    void Form_Activate();
    void Form_Resize();

    // --- grab ------------------------------------------------------------
    void capturTTecran(int typcapt);
    void RideauPhoto();
    void annulation();
    void Rafraichir();
    // One capture at a time: true while a capture is waiting for the screen.
    bool captureBusy() const { return captureBusy_; }

    // --- selection -------------------------------------------------------
    void Picture1_MouseDown(const MouseEvent& e);
    void Picture1_MouseMove(const MouseEvent& e);
    void Picture1_MouseUp(const MouseEvent& e);
    void Picture2_MouseMove(const MouseEvent& e);
    void TimRect_Timer();

    // --- hot keys and periodic capture ---------------------------------
    void Timerclav_Timer();
    void MnuCaptper_Click();
    void TimPeriod_Timer();

    // --- captures asked for from outside (the command line) -------------
    // Runs toolbar button 0, 1, 2 or 10 as its hot key does, once the
    // settings are loaded and no capture is waiting.
    void externalCommand(int button);
    // What a hot key does before its button: the dialogs that would block
    // the capture are closed.
    void runShortcut(int button);
    Timer* commandTimer = nullptr;

    // --- tray mode -------------------------------------------------------
    // A message of the notification-area icon (INotifyIcon numbering).
    void trayMessage(int m);
    bool programmeEnVeille() const override { return enVeille; }
    void mnuveille_Click();
    // The windows were put to sleep; the tray menu's entry says which way it goes.
    bool veille() const { return veille_; }
    void setVeille(bool v);

    // --- quit ------------------------------------------------------------
    void quitprog();
    // The end of quitprog once the captures are dealt with.
    void quitterMaintenant();
    void Form_QueryUnload(bool& cancel, UnloadMode mode);
    void Form_Unload();
    void TimerUnload_Timer();

    // --- captures put aside ----------------------------------------------
    // The unsaved captures, with what filing them again needs.
    std::vector<CaptureMiseDeCote> capturesNonEnregistrees();
    // Writes them into the recovery folder; true when there were none or
    // all of them are there.
    bool mettreDeCote();
    // The same before the program ends on a failure; when they cannot be
    // put aside, says so and false: the program must stay.
    bool capturesEnSurete();
    // Ends at once without a question (a termination signal, the session's
    // end without interaction), the unsaved captures put aside first.
    void finSansQuestion();
    // Once after start-up: offers back what an earlier run put aside.
    void proposerRecuperation();
    void refiler(const CaptureMiseDeCote& c);

    // --- fitting and bar mode -------------------------------------------
    void MefImageF(int typcapt);
    void Agrandred();
    // Window width that shows an element w twips wide, never narrower than the toolbar.
    int largeurPour(int w);

    // --- collection ------------------------------------------------------
    void GestVignettes(Control& uneImage);
    void SuppVignette();
    void Supprimertout(bool avecMess);
    void basculerVignettes();  // toolbar button 15
    // Capture num of the collection shown again at full size and made current.
    void montrerCapture(int num) override;
    // The collection window and toolbar button 15 drawn from the collection.
    void afficherCollection();
    void majBoutonVignettes() override;
    void menuVignette() override;

    // --- saving ----------------------------------------------------------
    // Both write on the background workers and return at once; the window
    // keeps answering meanwhile. A save under way refuses another.
    void Enregistrer();
    // then(savOk) runs once the save is over: false when it failed (the
    // message and the options dialog have been shown). Not run when refused.
    void EnregistrerTout(std::function<void(bool savOk)> then = {});
    // A save is under way: the collection must not change until it ends.
    bool sauvegardeEnCours() const { return sauvegarde_ != nullptr; }
    // Tells the user, when a save is under way, that what they asked for
    // waits for its end; true then.
    bool refuserPendantSauvegarde();

    // --- copy, print, mail; About and help --------------------------------
    void Buttcopier();
    void Imprimer();
    void envoimail() override;
    void mnuapropos_Click();
    void Timsplash_Timer();

    // --- settings --------------------------------------------------------
    void chargtparam() override;
    void SavOptions() override;
    void mnuoptions_Click();
    // Copies a loaded or rebuilt record into the globals and the periodic timer.
    void appliquerGlobals(const ParamGlobals& pg) override;
    // The periodic capture's timer, for the dialogs that hold it.
    void reprendrePeriodique() override;
    bool periodiqueActif() const override;
    void activerPeriodique(bool on) override;
    // The settings file in use: the program's folder, or the user's
    // configuration folder when the program's folder cannot be written.
    std::filesystem::path paramFile() const;

    // The frozen screen is up and waits for a drag.
    bool selectionPossible() const;
    // The window is the frozen screen, over every monitor.
    bool coversDesktop() const { return overDesktop && state == WindowState::Maximized; }
    // Picture1 over the whole desktop, its picture 1:1 in device pixels.
    void placeFrozenScreen();
    // Moves and shrinks the window as little as needed to keep it inside the
    // work area of its monitor.
    void keepOnScreen();
    // ImgTtscreen at the size the layout gives it, reduced further, keeping
    // its proportions, where the window around it would leave the work area.
    void fitWholeScreen(double widthTw, double heightTw);
    // The saved marker shows whether the capture on display is saved; bar
    // mode, an emptied window or the start strip show no capture, so no
    // marker either.
    void marquerAffichee(bool sauvee);
    void majMarque();

    // Screen size in twips.
    int screenWidth() const;
    int screenHeight() const;
    // Current outer size, the screen's while maximised.
    int currentWidth() const;
    int currentHeight() const;

protected:
    void build() override;
    void formLoad() override;

private:
    void buildMenus();
    Control& sizeLabel(const char* labelName, Control* inside);
    void chargtconstMain();
    void loadToolbarPictures();
    void Timlabdeb_Timer();
    void attendre(double seconds);
    void doButton(int k);
    void showMenus(bool visible);
    void afficherMain();
    // Shows the collection window as the grab does: it stays only when its
    // activation would keep it (captures exist and the program is awake).
    void montrerListe();
    bool fenetreBloquante();
    // What stopped a grab besides an empty clipboard.
    enum class Panne { Aucune, Memoire, Autre };
    // Runs a step of a grab; what it throws (memory running out for a very
    // large screen, above all) fails the grab instead of the handler.
    template <class F>
    Panne essayer(F&& f);
    // Tells the user why a grab brought nothing back.
    void signalerEchec(Panne panne = Panne::Aucune);
    // The repeat's picture into Picture1, its sizes from the collection and
    // the region cropped into Picture2.
    void recadrerSurPrise(const Bitmap& prise);
    void fermerSplash();
    Bitmap loadDataPicture(const std::string& file, int w, int h, std::uint32_t fallback);
    void cropInto(Control& target, double left, double top);
    // The pointer's place kept on the frozen screen's picture.
    MouseEvent surImageFigee(MouseEvent e) const;
    // Ends a drag under way: its rectangle and label go with it.
    void abandonnerSelection();
    void refreshCountAndCaption();
    // A new capture of the collection from the control that holds it.
    CaptureSlot depuis(const Control& uneImage) const;

    // The save under way, and what it shows meanwhile.
    void lancerSauvegarde(std::shared_ptr<SaveRun> run);
    void sauvegardeTerminee();
    void montrerProgression();
    std::shared_ptr<SaveRun> sauvegarde_;
    std::size_t ecrits_ = 0;
    std::string titreAvantSauvegarde_, titreProgression_;
    // A termination signal came during the save: the program ends after it.
    bool finApresSauvegarde_ = false;
    // Marks the thumbnail of the capture just written as saved.
    void marquerSauvee(int numero, const Bitmap& picture);

    std::array<Control*, kToolbarTiles> bouton_{};
    bool captureBusy_ = false;
    bool veille_ = false;
    bool captureAfficheeSauvee_ = false;
    // The hot-key combination was down at the previous poll.
    bool toucheVue_ = false;
    // A combination pressed while a capture was under way: its button, run
    // once that capture is over (-1: none).
    int toucheEnAttente_ = -1;
    // The button of a capture asked for from outside, waiting (-1: none).
    int commandeEnAttente_ = -1;
    void serveExternalCommand();
    // Hides both windows, or minimises them where no notification area
    // would let the user bring them back.
    void masquerFenetres();
    void masquerListe();
    int posLabdeb = 0;
    bool recuperationProposee_ = false;
    bool misesDeCote_ = false;
    // The settings file loaded from: kept while it is there, whatever
    // becomes of its folder.
    std::filesystem::path fichierParam_;
};

}  // namespace vis
