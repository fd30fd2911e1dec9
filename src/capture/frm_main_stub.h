#pragma once

// STAND-IN for the real main window while the program half is written
// elsewhere: one window with a few elements of each kind, a menu and a
// timer, enough for the desktop layer's end-to-end checks. Replaced by the
// real FrmMain when the branches meet.

#include "platform/format.h"
#include "platform/services.h"

namespace vis {

class FrmMain : public Window {
public:
    explicit FrmMain(Platform& p) : Window("frmMain"), p_(p) {}

    void load() {
        clear();
        loaded = true;
        caption = "Vistrelle - capture d'écran";
        const int sw = p_.screen.widthTwips();
        width = 9000;
        height = 6000;
        left = sw - width;
        top = 0;

        MenuEntry& file = addMenu("mnufichier", "&Fichier");
        MenuEntry& grabScreen = file.add("mnuttscreen", "Capturer &tout l'ecran");
        grabScreen.shortcut = "Ctrl+E";
        grabScreen.onClick = [this] { grab(0); };
        file.add("mnufen", "Capturer la &fenêtre active").onClick = [this] { grab(1); };
        file.add("sep1", "-");
        file.add("mnuquitter", "&Quitter").onClick = [this] { p_.windows.exitProgram(0); };
        MenuEntry& tools = addMenu("mnuoutils", "&Outils");
        MenuEntry& tick = tools.add("mnuheure", "Afficher l'&heure");
        tick.checked = true;
        tick.onClick = [this] {
            MenuEntry* e = findMenu("mnuheure");
            e->checked = !e->checked;
            find("Timheure")->visible = e->checked;
        };
        tools.onDropDown = [this] { findMenu("mnuheure")->enabled = true; };

        Control& pic = addControl(ControlKind::PictureBox, "Picture1");
        pic.left = 120;
        pic.top = 120;
        pic.width = 4200;
        pic.height = 2400;
        pic.borderStyle = 1;
        pic.cursor = CursorKind::Cross;
        pic.picture = gradient(300, 180);
        pic.onMouseDown = [this](const MouseEvent& e) {
            find("Labtaille")->caption = "Clic en" + numberText(e.x) + " ," + numberText(e.y);
        };
        Control& inner = addControl(ControlKind::Label, "Labdedans");
        inner.container = &pic;
        inner.left = 150;
        inner.top = 150;
        inner.autoSize = true;
        inner.backColor = rgb(255, 255, 200);
        inner.caption = "Cliquez ici";
        Control& rect = addControl(ControlKind::Shape, "rectsel");
        rect.container = &pic;
        rect.left = 1500;
        rect.top = 900;
        rect.width = 1500;
        rect.height = 900;
        rect.borderColor = rgb(255, 0, 0);

        Control& img = addControl(ControlKind::Image, "ImgTtscreen");
        img.left = 4500;
        img.top = 120;
        img.width = 2400;
        img.height = 1500;
        img.borderStyle = 1;
        img.picture = gradient(1920, 1080);

        Control& size = addControl(ControlKind::Label, "Labtaille");
        size.left = 4500;
        size.top = 1740;
        size.width = 4200;
        size.height = 600;
        size.caption = "Aucune capture\r\nCliquez sur l'image";

        Control& clock = addControl(ControlKind::Label, "Timheure");
        clock.left = 4500;
        clock.top = 2340;
        clock.width = 2400;
        clock.height = 255;
        clock.foreColor = rgb(0, 0, 160);

        Control& text = addControl(ControlKind::TextBox, "Txtpref");
        text.left = 120;
        text.top = 2700;
        text.width = 2000;
        text.height = 375;
        text.maxLength = 4;
        text.caption = "Capt";
        Control& box = addControl(ControlKind::CheckBox, "Check1", 0);
        box.left = 2300;
        box.top = 2700;
        box.width = 2400;
        box.height = 375;
        box.caption = "Inclure les fenêtres";
        Control& slider = addControl(ControlKind::Slider, "SlidQual");
        slider.left = 120;
        slider.top = 3200;
        slider.width = 3000;
        slider.height = 450;
        slider.min = 0;
        slider.max = 90;
        slider.value = 70;
        Control& button = addControl(ControlKind::Button, "CdeCapture");
        button.left = 4500;
        button.top = 2700;
        button.width = 2000;
        button.height = 450;
        button.caption = "&Capturer";
        button.onClick = [this] { grab(0); };
        Control& line = addControl(ControlKind::Line, "Line1");
        line.left = 120;
        line.top = 3800;
        line.x2 = 8000;
        line.y2 = 3800;

        addTimer("Timheure", 1000, true).onTick = [this] {
            const TimeOfDay t = p_.clock.timeOfDay();
            find("Timheure")->caption = twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
        };
        onQueryUnload = [this](bool&, UnloadMode) { p_.windows.exitProgram(0); };
    }

    void grab(int typcapt) {
        p_.clipboard.clear();
        hide();
        p_.windows.processEvents();
        p_.grabber.pressPrintScreen(typcapt);
        p_.windows.processEvents();
        show();
        Control* size = find("Labtaille");
        if (!p_.clipboard.hasBitmap()) {
            size->caption = "Pas de capture";
            return;
        }
        const Bitmap b = p_.clipboard.bitmap();
        find("ImgTtscreen")->picture = b;
        size->caption = "Capture" + numberText(b.width()) + " x" + numberText(b.height());
    }

private:
    static Bitmap gradient(int w, int h) {
        std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = rgb(x * 255 / w, y * 255 / h, 128);
        return Bitmap(w, h, std::move(px));
    }

    Platform& p_;
};

}  // namespace vis
