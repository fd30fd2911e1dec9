// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/fcam.h"

#include <filesystem>

#include "capture/texts_main.h"
#include "output/bmp_codec.h"

namespace vis {

void Fcam::build() {
    Imagecam = &addControl(ControlKind::Image, "Imagecam");
    const auto path = std::filesystem::path(app.platform.paths.programFolder()) / txt::kCameraPictureFile;
    if (auto b = readBmp(path.string())) Imagecam->picture = *b;
    const int tx = app.platform.screen.twipsPerPixelX();
    const int ty = app.platform.screen.twipsPerPixelY();
    const int wPx = Imagecam->picture.isNull() ? 120 : Imagecam->picture.width();
    const int hPx = Imagecam->picture.isNull() ? 90 : Imagecam->picture.height();
    Imagecam->width = wPx * tx;
    Imagecam->height = hPx * ty;
    // Outer bounds: room for the frame and the title bar around the picture.
    width = Imagecam->width + 120;
    height = Imagecam->height + 450;
    left = (app.platform.screen.widthTwips() - width) / 2;
    top = (app.platform.screen.heightTwips() - height) / 2;
    caption = "Vistrelle";
    showInTaskbar = false;
    dialog = true;
    Timcam = &addTimer("Timcam", 300, false);
    Timcam->onTick = [this] { Timcam_Timer(); };
}

void Fcam::declencher() {
    load();
    show();
    // Started here rather than on activation, which a window manager may
    // withhold: the flash must close after 300 ms in every case.
    const auto wav = std::filesystem::path(app.platform.paths.programFolder()) / txt::kShutterSound;
    app.platform.sound.playWave(wav.string());
    app.platform.windows.processEvents();
    app.platform.windows.processEvents();
    // A timer of an earlier flash may have unloaded the window meanwhile.
    if (loaded) Timcam->enabled = true;
}

void Fcam::Timcam_Timer() {
    Timcam->enabled = false;
    unload();
}

}  // namespace vis
