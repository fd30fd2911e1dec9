// SPDX-License-Identifier: GPL-3.0-or-later
// The grab and the key state on Windows: the Win32 services, the picture
// handed to Qt's clipboard as the Print Screen key would leave it.

#include <QImage>
#include <QSocketNotifier>

#include "desktop/qt_clipboard.h"
#include "desktop/qt_image.h"
#include "desktop/qt_services.h"
#include "desktop/win32_services.h"
#include "desktop/x11.h"

namespace vis {

void* x11Display() { return nullptr; }

QtGrabber::QtGrabber() = default;
QtGrabber::~QtGrabber() = default;

void QtGrabber::pressPrintScreen(int typcapt) {
    if (win32::pressPrintScreenKey(typcapt)) return;
    // The key left nothing (a system that gives it to a capture tool): GDI.
    const Bitmap shot = win32::gdiGrab(typcapt);
    if (!shot.isNull()) putImageOnClipboard(imageOf(shot));
}

QtKeyboard::QtKeyboard() = default;
QtKeyboard::~QtKeyboard() = default;

void QtKeyboard::beginPoll() {}

// GetAsyncKeyState tells of no key event: the poll goes on ticking.
bool QtKeyboard::restUntilKeyMoves(std::function<void()>) { return false; }

bool QtKeyboard::keyDown(int virtualKey) { return win32::Keyboard().keyDown(virtualKey); }

}  // namespace vis
