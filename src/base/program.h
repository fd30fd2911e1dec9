// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <string>

#include "base/collection.h"
#include "platform/services.h"

namespace vis {

class FrmMain;
class Flistimages;
class Fcam;
class Options;
class FrmAbout;
class FrmSplash;
class FrmAide;
enum class Aide;

// Program-wide variables shared by the windows.
struct Globals {
    // Settings copied from the record (defaults of the regenerated record
    // until the file is read).
    std::string ligneParam;
    int qualiteJpg = 70;
    int inclureFenetres = 0;
    std::string prefixe = "Capt";
    std::string toucheF = "11";
    double tempo = 0.1;

    // The quit sequence is under way: the collection window may close.
    bool sortieDemandee = false;
};

// The whole program half: its windows, its globals, its start-up. A front end
// builds one on its platform and calls start(); from then on everything
// enters through the windows' handlers and timers.
class Program {
public:
    explicit Program(Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the main window, the start-up object.
    void start();

    Platform& platform;
    Globals g;
    // The captures, which every window and operation asks.
    Collection collection;

    FrmMain& frmMain();
    // Windows are created on their first reference.
    Flistimages& flistimages();
    Fcam& fcam();
    Options& options();
    FrmAbout& frmAbout();
    FrmSplash& frmSplash();
    FrmAide& aide(Aide which);
    bool isLoaded(const Window& w) const { return w.loaded; }
    bool flistimagesLoaded() const;
    bool optionsLoaded() const;
    bool fcamLoaded() const;
    bool splashLoaded() const;
    bool aboutLoaded() const;
    // The help window is on the screen.
    bool aideVisible(Aide which) const;

    // Ends the program. On the desktop the event loop winds up after the
    // current handler returns, so a caller returns at once; nothing reacts
    // to the user any more.
    void end(int code);
    bool ending = false;
    int exitCode = 0;

    // Settings as the record in use holds them (what the options dialog's
    // OK stored, not what its controls show meanwhile).
    bool pasCent() const;
    bool serieBmp() const;
    std::string repertoireText() const;

private:
    std::unique_ptr<FrmMain> main_;
    std::unique_ptr<Flistimages> list_;
    std::unique_ptr<Fcam> fcam_;
    std::unique_ptr<Options> options_;
    std::unique_ptr<FrmAbout> about_;
    std::unique_ptr<FrmSplash> splash_;
    std::array<std::unique_ptr<FrmAide>, 3> aides_;
};

}  // namespace vis
