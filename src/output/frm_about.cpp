// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/frm_about.h"

#include <filesystem>

#include "output/bmp_codec.h"
#include "output/mail.h"
#include "output/texts_output.h"

namespace vis {

namespace {
constexpr int kClientWidth = 6720;
constexpr int kClientHeight = 3180;
}  // namespace

void FrmAbout::build() {
    dialog = true;
    ownedByMain = true;
    showInTaskbar = false;
    width = kClientWidth + 120;
    height = kClientHeight + 420;
    left = (app.platform.screen.widthTwips() - width) / 2;
    top = (app.platform.screen.heightTwips() - height) / 2;

    const auto folder = std::filesystem::path(app.platform.paths.programFolder());
    picIcon = &addControl(ControlKind::PictureBox, "picIcon").setBounds(240, 240, 780, 780);
    picIcon->borderStyle = 1;
    picIcon->backColor = rgb(255, 255, 255);
    if (auto b = readBmp((folder / txt::kIconFile).string())) picIcon->picture = *b;

    lblTitle = &addControl(ControlKind::Label, "lblTitle").setBounds(1260, 200, 5200, 540);
    lblTitle->fontSize = 18;
    lblVersion = &addControl(ControlKind::Label, "lblVersion").setBounds(1260, 760, 5200, 255);
    lblDescription = &addControl(ControlKind::Label, "lblDescription").setBounds(1260, 1080, 5220, 480);

    Line1 = &addControl(ControlKind::Line, "Line1");
    Line1->left = 240;
    Line1->top = 1740;
    Line1->x2 = kClientWidth - 240;
    Line1->y2 = 1740;
    Line1->borderColor = rgb(128, 128, 128);

    lblDisclaimer = &addControl(ControlKind::Label, "lblDisclaimer").setBounds(240, 1920, 4500, 255);
    // The envelope button beside the invitation to write.
    Cdemail = &addControl(ControlKind::PictureBox, "Cdemail").setBounds(240, 2340, 600, 600);
    labmail = &addControl(ControlKind::Label, "labmail").setBounds(960, 2400, 3900, 480);
    Cdemail->borderStyle = 1;
    Cdemail->backColor = rgb(255, 255, 255);
    if (auto b = readBmp((folder / txt::kMailPictureFile).string())) Cdemail->picture = *b;
    Cdemail->tooltip = std::string(txt::kMailButtonTip);
    Cdemail->onClick = [this] { Cdemail_Click(); };

    cmdOK = &addControl(ControlKind::Button, "cmdOK").setBounds(5040, 1920, 1440, 420);
    cmdOK->caption = "OK";
    cmdOK->onClick = [this] { cmdOK_Click(); };
    cmdSysInfo = &addControl(ControlKind::Button, "cmdSysInfo").setBounds(5040, 2460, 1440, 420);
    cmdSysInfo->onClick = [this] { cmdSysInfo_Click(); };

    // OK is the default and the cancel button: Enter and Escape close the window.
    onKeyDown = [this](int keyCode, int) {
        if (keyCode == 13 || keyCode == 27) cmdOK_Click();
    };

    // However the window goes, the periodic capture that opening it stopped
    // runs again if it is on.
    onUnload = [this] { hote_.reprendrePeriodique(); };
}

void FrmAbout::formLoad() {
    caption = std::string(txt::kAboutCaption);
    lblDescription->caption = std::string(txt::kDescription);
    lblTitle->caption = std::string(txt::kProductName);
    lblVersion->caption = std::string(txt::kVersion);
    lblDisclaimer->caption = std::string(txt::kDisclaimer);
    labmail->caption = std::string(txt::kMailInvite) + authorMail();
    cmdSysInfo->caption = std::string(txt::kSysInfo);
}

void FrmAbout::cmdOK_Click() { unload(); }

void FrmAbout::Cdemail_Click() { hote_.envoimail(); }

void FrmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void FrmAbout::StartSysInfo() {
    if (!app.platform.systemInfo.start())
        app.platform.messages.show(std::string(txt::kNoSysInfo), MsgButtons::Ok, MsgIcon::None);
}

}  // namespace vis
