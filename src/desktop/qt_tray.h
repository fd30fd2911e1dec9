// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The notification-area icon: QSystemTrayIcon, its clicks handed to the
// program as the messages Windows would send.

#include <memory>

#include "platform/services.h"

class QSystemTrayIcon;

namespace vis {

class QtTray final : public INotifyIcon {
public:
    // Handlers of the icon's messages run through this, as the renderer
    // runs those of the windows.
    using Runner = std::function<void(const std::function<void()>&)>;
    explicit QtTray(Runner run = {});
    ~QtTray() override;
    void add(const Bitmap& icon, const std::string& tip, std::function<void(int message)> onMessage) override;
    void remove() override;
    bool available() const override;

    // What was built, for tests; null before add() and after remove().
    QSystemTrayIcon* icon() const;

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    Runner run_;
    std::function<void(int)> onMessage_;
    bool statusNotifier_ = false;  // a StatusNotifierItem host, not an XEmbed tray
};

}  // namespace vis
