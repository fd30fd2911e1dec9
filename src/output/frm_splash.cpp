// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/frm_splash.h"

#include <filesystem>

#include "output/bmp_codec.h"
#include "output/texts_output.h"

namespace vis {

namespace {
constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 4080;
// The background the logo file is drawn on.
constexpr std::uint32_t kPaper = rgb(248, 250, 253);
constexpr std::uint32_t kNavy = rgb(24, 52, 104);
}  // namespace

std::string platformLine() {
#if defined(_WIN32)
    const std::string system = "Windows";
#elif defined(__APPLE__)
    const std::string system = "macOS";
#elif defined(__linux__)
    const std::string system = "Linux";
#else
    const std::string system = "Unix";
#endif
    return system + " " + std::to_string(sizeof(void*) * 8) + " bits";
}

void FrmSplash::build() {
    frameless = true;
    ownedByMain = true;
    showInTaskbar = false;
    // Not the program's bare name, which its message boxes bear.
    caption = std::string(txt::kSplashCaption);
    width = kClientWidth;
    height = kClientHeight;
    left = (app.platform.screen.widthTwips() - width) / 2;
    top = (app.platform.screen.heightTwips() - height) / 2;

    // Under everything else: the window's face, framed.
    Frame1 = &addControl(ControlKind::Label, "Frame1").setBounds(0, 0, kClientWidth, kClientHeight);
    Frame1->backColor = kPaper;
    Frame1->borderStyle = 1;

    imgLogo = &addControl(ControlKind::PictureBox, "imgLogo").setBounds(360, 840, 2160, 2160);
    imgLogo->backColor = kPaper;
    if (auto b = readBmp((std::filesystem::path(app.platform.paths.programFolder()) / txt::kSplashLogoFile).string())) {
        const int tx = app.platform.screen.twipsPerPixelX();
        const int ty = app.platform.screen.twipsPerPixelY();
        imgLogo->picture = *b;
        imgLogo->width = b->width() * tx;
        imgLogo->height = b->height() * ty;
    }

    lblCompany = &addControl(ControlKind::Label, "lblCompany").setBounds(360, 240, 4000, 255);
    lblCompanyProduct = &addControl(ControlKind::Label, "lblCompanyProduct").setBounds(360, 480, 4000, 255);
    lblProductName = &addControl(ControlKind::Label, "lblProductName").setBounds(2880, 1080, 4080, 840);
    lblProductName->fontSize = 32;
    lblProductName->foreColor = kNavy;
    lblVersion = &addControl(ControlKind::Label, "lblVersion").setBounds(2940, 2040, 3900, 300);
    lblVersion->fontSize = 11;
    lblPlatform = &addControl(ControlKind::Label, "lblPlatform").setBounds(2940, 2400, 3900, 300);
    lblPlatform->fontSize = 11;
    lblWarning = &addControl(ControlKind::Label, "lblWarning").setBounds(360, 3360, 6480, 300);
    lblWarning->fontSize = 10;
    lblWarning->foreColor = kNavy;

    // Any press on the window closes it.
    for (auto& c : controls) c->onMouseDown = [this](const MouseEvent&) { unload(); };
    onKeyDown = [this](int, int) { unload(); };
}

void FrmSplash::formLoad() {
    lblProductName->caption = std::string(txt::kProductName);
    lblWarning->caption = std::string(txt::kSplashWarning);
    lblVersion->caption = std::string(txt::kVersion);
    lblPlatform->caption = platformLine();
    lblCompany->caption = std::string(txt::kCompany);
    lblCompanyProduct->caption = std::string(txt::kCompanyProduct);
}

}  // namespace vis
