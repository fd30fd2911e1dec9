// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Windows services that need no toolkit: the screen through GDI, the
// Print Screen key, the key state, the shutter sound and the user's folders.
// Windows only; the Qt layer hands their pictures to its clipboard.

#include <string>

#include "platform/bitmap.h"
#include "platform/services.h"

namespace vis::win32 {

// The whole desktop (typcapt 0: every monitor) or the foreground window's
// rectangle within it (typcapt 1), copied by GDI into a 24-bit picture.
// Null when there is nothing to copy or GDI refuses.
Bitmap gdiGrab(int typcapt);

// Presses Print Screen (with Alt for the active window) as the keyboard
// would, and waits up to about half a second for the bitmap the system
// then puts on the clipboard, on a thread of its own. True once it is there.
bool pressPrintScreenKey(int typcapt);

bool clipboardHasBitmap();

// GetAsyncKeyState: down now, or pressed since the previous question.
class Keyboard final : public IKeyboard {
public:
    bool keyDown(int virtualKey) override;
};

// The system's own wave playback; nothing waits for the sound's end, and a
// missing file or sound device is silence.
class Sound final : public ISound {
public:
    void playWave(const std::string& path) override;
};

// The executable's folder holds the data files and, where it can be
// written, the settings; else %APPDATA%\Vistrelle. Captures go to the
// user's pictures folder.
class Paths final : public IPaths {
public:
    std::string programFolder() const override;
    std::string configFolder() const override;
    std::string documentsFolder() const override;
    std::string recoveryFolder() const override;
};

}  // namespace vis::win32
