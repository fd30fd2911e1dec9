// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Printer, mail program and system information on the real machine.

#include <functional>
#include <memory>

#include "desktop/qt_services.h"

class QPainter;
class QPrinter;

namespace vis {

// Qt's printer dialog (in French with the program's translator), then one
// page painted at the printer's own resolution.
class QtPrinter final : public IPrinter {
public:
    // Lets the user choose and set up the printer; false when cancelled.
    using Chooser = std::function<bool(QPrinter&)>;
    // Without a chooser, Qt's printer dialog does it.
    explicit QtPrinter(BeforeBlocking before = {}, Chooser choose = {});
    ~QtPrinter() override;

    bool choosePrinter() override;
    void setCurrentPosition(int xTwips, int yTwips) override;
    bool printLine(const std::string& text) override;
    bool paintPicture(const Bitmap& picture, int left, int top, int width, int height) override;
    bool endDoc() override;
    void killDoc() override;

private:
    // The painter on the chosen printer, begun on first use; null when the
    // printer cannot be opened.
    QPainter* painter();
    double devX(int twips) const;
    double devY(int twips) const;

    BeforeBlocking before_;
    Chooser choose_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    int x_ = 0, y_ = 0;
};

// QDesktopServices: xdg-open on Linux, the default mail program on Windows.
class QtMail final : public IMailClient {
public:
    bool openMailto(const std::string& url) override;
};

// On Windows the registry's MSINFO32; elsewhere the first "about this
// system" program of the list found on the PATH. Started detached.
class QtSystemInfo final : public ISystemInfo {
public:
    bool start() override;
};

}  // namespace vis
