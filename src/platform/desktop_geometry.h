// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The desktop's monitors, their places and their densities, and how they meet
// the program's layout. The layout counts twips from the primary monitor's top
// left; a layout pixel is `scale` device pixels of the monitor it lies on. As
// the toolkits have it, a monitor keeps its place on the desktop in the layout
// and only its size is divided by its scale.
//
// The frozen screen is the whole desktop's picture, one picture pixel per
// device pixel, each part under the monitor it came from; the layout sees it
// at the primary monitor's scale.

#include <vector>

namespace vis {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }  // one past the last column
    int bottom() const { return y + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelRect&) const = default;
};

// Twips of the layout, from the primary monitor's top left.
struct TwipRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const TwipRect&) const = default;
};

struct Monitor {
    PixelRect device;    // place on the desktop and size, device pixels
    PixelRect work;      // what the desktop's panels leave of it, device pixels; empty: all of it
    double scale = 1.0;  // device pixels per layout pixel
    bool primary = false;
};

class DesktopGeometry {
public:
    // No monitor at all (a display without any) counts as one empty primary.
    DesktopGeometry(std::vector<Monitor> monitors, int twipsPerPixel);

    const std::vector<Monitor>& monitors() const { return monitors_; }
    // The one marked primary, else the first.
    const Monitor& primary() const;
    // Where the layout's origin lies on the desktop.
    int originX() const { return primary().device.x; }
    int originY() const { return primary().device.y; }

    // Every monitor, in device pixels: what the whole-screen grab takes.
    PixelRect desktop() const;

    // The frozen screen in the layout: a window there covers the desktop.
    TwipRect frozenScreen() const;
    // Device pixels per layout pixel on the frozen screen.
    double frozenScale() const;
    // Picture pixels (from the desktop's top left) for twips of the frozen
    // screen, and back. A capture shown one picture pixel per device pixel
    // takes as many twips as on the frozen screen.
    double pixelsOfTwips(double twips) const;
    double twipsOfPixels(double pixels) const;

    // A monitor and its work area in layout twips.
    TwipRect layoutOf(const Monitor& m) const;
    TwipRect workAreaOf(const Monitor& m) const;
    // The monitor a window is on: the one it overlaps most, else the primary.
    const Monitor& monitorOf(const TwipRect& window) const;
    // The window moved and shrunk as little as needed to lie inside the work
    // area of its monitor.
    TwipRect keptInside(const TwipRect& window) const;

private:
    std::vector<Monitor> monitors_;
    int tpp_;
};

}  // namespace vis
