// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "base/program.h"
#include "app/command_line.h"
#include "app/signals.h"
#include "app/single_instance.h"
#include "capture/frm_main.h"
#include "desktop/qt_clipboard.h"
#include "desktop/qt_platform.h"
#include "desktop/renderer.h"
#include "desktop/x11.h"

namespace {

constexpr char kOnlyX11[] = "Vistrelle ne fonctionne que sous X11.";

// Placing, hiding and maximising the program's windows needs X11, and
// without an X server Qt aborts with a page about plugins. So the platform is
// settled before Qt starts: a platform the user named (offscreen in tests) is
// left alone; a Wayland session with XWayland runs on xcb, where Qt would
// pick Wayland. The screen itself is then read through the desktop's portal.
// Returns false after one line on stderr saying why the program cannot run.
bool settleOnX11(int argc, char** argv) {
#if defined(__linux__) || defined(__FreeBSD__)
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QByteArray display = qgetenv("DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform") platform = argv[i + 1];
        if (arg == "-display" || arg == "--display") display = argv[i + 1];
    }
    if (!platform.isEmpty() && !platform.startsWith("xcb")) return true;
    const bool wayland = !qgetenv("WAYLAND_DISPLAY").isEmpty() || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (display.isEmpty()) {
        std::fprintf(stderr, "vistrelle : %s (DISPLAY n'est pas défini) ; %s\n",
                     wayland ? "session Wayland sans XWayland" : "aucun affichage X11", kOnlyX11);
        return false;
    }
    if (!vis::x11::serverAnswers(display.constData())) {
        std::fprintf(stderr, "vistrelle : impossible d'ouvrir l'affichage X11 « %s » ; %s\n", display.constData(),
                     kOnlyX11);
        return false;
    }
    if (wayland) {
        if (platform.isEmpty()) qputenv("QT_QPA_PLATFORM", "xcb");
        std::fprintf(stderr,
                     "vistrelle : session Wayland, démarrage sous XWayland ; l'écran est lu par le portail "
                     "de capture du bureau (xdg-desktop-portal) et les touches de raccourci se règlent dans "
                     "le bureau (voir le README).\n");
    }
#else
    (void)argc;
    (void)argv;
#endif
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const vis::CommandLine command = vis::parseCommandLine(argc, argv);
    switch (command.outcome) {
        case vis::CommandLine::Outcome::Help:
            std::fputs(vis::usageText().c_str(), stdout);
            return 0;
        case vis::CommandLine::Outcome::Version:
            std::printf("vistrelle %s\n", VIS_VERSION);
            return 0;
        case vis::CommandLine::Outcome::Error:
            std::fprintf(stderr, "%s\n", command.error.c_str());
            return 2;
        case vis::CommandLine::Outcome::Run:
            break;
    }
    // One copy per user and display: a later start hands over and ends,
    // before it even opens the display.
    vis::SingleInstance instance;
    switch (instance.handOver(vis::actionWord(command.action))) {
        case vis::SingleInstance::Outcome::HandedOver:
            return 0;
        case vis::SingleInstance::Outcome::Silent:
            std::fprintf(stderr, "vistrelle : la copie déjà lancée ne répond pas.\n");
            return 1;
        case vis::SingleInstance::Outcome::Serve:
            break;
    }
    if (!settleOnX11(argc, argv)) return 1;
#if defined(__GLIBC__)
    // Captures are megabytes each: mapped on their own, so that deleting them
    // gives the memory back (glibc would otherwise raise the threshold after
    // the first frees and keep them in its heap).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrelle"));
    // Desktops match the windows to the menu entry (and on Wayland, its icon) by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VIS_APP_ID));
    // The program ends itself (quit command); hiding every window does not.
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt's own dialogs (file, print) in French, like the program's texts.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    // The layouts are measured for the classic 8-point sans-serif face.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    QApplication::setFont(font);

    instance.serve();
    if (!instance.problem().empty())
        std::fprintf(stderr, "vistrelle : %s ; une autre copie pourra démarrer à côté de celle-ci.\n",
                     instance.problem().c_str());

    vis::QtPlatform platform;
    const QString icon = QString::fromStdString(platform.services().paths.programFolder()) + QStringLiteral("/vistrelle.png");
    QApplication::setWindowIcon(QIcon(icon));
    vis::Program program(platform.services());
    program.start();
    // A later start shows this copy's windows, as the icon's double click
    // does, or takes the capture it was asked for.
    const auto request = [&](vis::StartAction action) {
        platform.renderer().run([&, action] {
            if (action == vis::StartAction::None)
                program.frmMain().trayMessage(vis::INotifyIcon::kLeftDoubleClick);
            else
                program.frmMain().externalCommand(vis::actionButton(action));
        });
    };
    instance.setHandler([&](const std::string& word) {
        if (const auto action = vis::actionOfWord(word)) request(*action);
    });
    if (command.action != vis::StartAction::None) request(command.action);
    // Nobody answers a question at a shutdown: the unsaved captures are put
    // aside for the next start, then the program ends.
    // A save under way finishes first: the end may come later, from its last file.
    bool signalled = false;
    vis::onTerminationSignals([&] {
        signalled = true;
        platform.renderer().run([&] { program.frmMain().finSansQuestion(); });
    });
    // Ended before its event loop ran: Qt's exit would have nothing to end.
    if (program.ending) return program.exitCode;
    const int code = app.exec();
    if (signalled && program.exitCode != 0)
        std::fprintf(stderr, "vistrelle : les captures non enregistrées n'ont pas pu être mises de côté dans %s\n",
                     platform.services().paths.recoveryFolder().c_str());
    // What the program leaves on the clipboard outlives it where a clipboard
    // manager runs; the end stays quick either way.
    vis::handClipboardOver(700);
    return code;
}
