// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Included after Xlib's headers, by the X11 files only.

namespace vis::x11 {

// Windows vanish between two requests; a BadWindow must not end the program
// (Xlib's default handler exits). Collected here while a query runs.
inline int g_errors = 0;
inline int countError(Display*, XErrorEvent*) {
    ++g_errors;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : d_(d) {
        XSync(d_, False);
        g_errors = 0;
        previous_ = XSetErrorHandler(countError);
    }
    ~ErrorTrap() {
        XSync(d_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    bool failed() {
        XSync(d_, False);
        return g_errors != 0;
    }

private:
    Display* d_;
    XErrorHandler previous_ = nullptr;
};

}  // namespace vis::x11
