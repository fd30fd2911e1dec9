// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qt_platform.h"

#include "desktop/qt_output.h"
#include "desktop/qt_services.h"
#include "desktop/qt_tray.h"
#include "desktop/renderer.h"

namespace vis {

struct QtPlatform::Impl {
    QtScreen screen;
    QtClipboard clipboard;
    QtGrabber grabber;
    QtClock clock;
    QtRenderer renderer{screen};
    // Windows behind a dialog show what the program last set.
    QtMessageBoxes messages{[this] { return renderer.modalScope(); }};
    QtSound sound;
    QtFileDialogs dialogs{[this] { return renderer.modalScope(); }};
    QtKeyboard keyboard;
    QtPaths paths;
    QtTray tray{[this](const std::function<void()>& handler) { renderer.run(handler); }};
    QtPrinter printer{[this] { return renderer.modalScope(); }};
    QtMail mail;
    QtSystemInfo systemInfo;
    Platform platform{screen, clipboard, grabber, clock, renderer, messages, sound,
                      dialogs, keyboard, paths, tray, printer, mail, systemInfo};
};

QtPlatform::QtPlatform() : d_(std::make_unique<Impl>()) {
    Impl* d = d_.get();
    d->renderer.setKeyRest([d](std::function<void()> wake) { return d->keyboard.restUntilKeyMoves(std::move(wake)); });
}
QtPlatform::~QtPlatform() = default;

Platform& QtPlatform::services() { return d_->platform; }
QtRenderer& QtPlatform::renderer() { return d_->renderer; }

}  // namespace vis
