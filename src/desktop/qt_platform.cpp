// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_platform.h"

#include "desktop/qt_jobs.h"
#include "desktop/qt_output.h"
#include "desktop/qt_services.h"
#include "desktop/qt_tray.h"
#include "desktop/renderer.h"
#include "desktop/x11.h"

#ifdef _WIN32
#include "desktop/win32_services.h"
#endif
#ifdef VIS_HAVE_PORTAL
#include <QGuiApplication>

#include "desktop/qt_portal_grab.h"
#endif

namespace vis {

namespace {

// Decided once: the X server's root where it holds the screen, else the
// desktop portal (rootless XWayland, or Qt on Wayland itself).
std::unique_ptr<IScreenGrabber> chooseGrabber() {
#ifdef VIS_HAVE_PORTAL
    void* display = x11Display();
    if (display ? !x11::rootReadable(display) : QGuiApplication::platformName() == QLatin1String("wayland"))
        return std::make_unique<PortalGrabber>(QDBusConnection::sessionBus());
#endif
    return std::make_unique<QtGrabber>();
}

#ifdef _WIN32
// The executable's folder and the system's known folders, without Qt.
using PathsService = win32::Paths;
#else
using PathsService = QtPaths;
#endif

}  // namespace

struct QtPlatform::Impl {
    QtScreen screen;
    QtClipboard clipboard;
    std::unique_ptr<IScreenGrabber> grabber = chooseGrabber();
    QtClock clock;
    QtRenderer renderer{screen};
    // Windows behind a dialog show what the program last set.
    QtMessageBoxes messages{[this] { return renderer.modalScope(); }};
    QtSound sound;
    QtFileDialogs dialogs{[this] { return renderer.modalScope(); }};
    QtKeyboard keyboard;
    PathsService paths;
    QtTray tray{[this](const std::function<void()>& handler) { renderer.run(handler); }};
    QtPrinter printer{[this] { return renderer.modalScope(); }};
    QtMail mail;
    QtSystemInfo systemInfo;
    QtJobs jobs{[this](const std::function<void()>& handler) { renderer.run(handler); }};
    Platform platform{screen,   clipboard, *grabber, clock,   renderer, messages,   sound, dialogs,
                      keyboard, paths,     tray,     printer, mail,     systemInfo, jobs};
};

QtPlatform::QtPlatform() : d_(std::make_unique<Impl>()) {
    Impl* d = d_.get();
    d->renderer.setKeyRest([d](std::function<void()> wake) { return d->keyboard.restUntilKeyMoves(std::move(wake)); });
}
QtPlatform::~QtPlatform() = default;

Platform& QtPlatform::services() { return d_->platform; }
QtRenderer& QtPlatform::renderer() { return d_->renderer; }

}  // namespace vis
