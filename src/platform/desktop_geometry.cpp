// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_geometry.h"

#include <algorithm>
#include <cmath>

namespace vis {

namespace {

int twipsOf(double layoutPixels, int tpp) { return static_cast<int>(std::lround(layoutPixels * tpp)); }

long long overlap(const TwipRect& a, const TwipRect& b) {
    const long long w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

DesktopGeometry::DesktopGeometry(std::vector<Monitor> monitors, int twipsPerPixel)
    : monitors_(std::move(monitors)), tpp_(std::max(1, twipsPerPixel)) {
    if (monitors_.empty()) monitors_.push_back(Monitor{{}, {}, 1.0, true});
    for (Monitor& m : monitors_) {
        // A scale the toolkit could not tell is no scale.
        if (!(m.scale > 0)) m.scale = 1.0;
        if (m.work.empty()) m.work = m.device;
    }
}

const Monitor& DesktopGeometry::primary() const {
    for (const Monitor& m : monitors_)
        if (m.primary) return m;
    return monitors_.front();
}

PixelRect DesktopGeometry::desktop() const {
    bool any = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const Monitor& m : monitors_) {
        if (m.device.empty()) continue;
        x0 = any ? std::min(x0, m.device.x) : m.device.x;
        y0 = any ? std::min(y0, m.device.y) : m.device.y;
        x1 = any ? std::max(x1, m.device.right()) : m.device.right();
        y1 = any ? std::max(y1, m.device.bottom()) : m.device.bottom();
        any = true;
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

double DesktopGeometry::frozenScale() const { return primary().scale; }

TwipRect DesktopGeometry::frozenScreen() const {
    // Placed from the primary, at its scale: the frozen screen's window is
    // the primary's, and so is the density it is drawn at.
    const PixelRect d = desktop();
    const double s = frozenScale();
    return {twipsOf((d.x - originX()) / s, tpp_), twipsOf((d.y - originY()) / s, tpp_), twipsOf(d.width / s, tpp_),
            twipsOf(d.height / s, tpp_)};
}

double DesktopGeometry::pixelsOfTwips(double twips) const { return twips / tpp_ * frozenScale(); }

double DesktopGeometry::twipsOfPixels(double pixels) const { return pixels / frozenScale() * tpp_; }

TwipRect DesktopGeometry::layoutOf(const Monitor& m) const {
    return {(m.device.x - originX()) * tpp_, (m.device.y - originY()) * tpp_, twipsOf(m.device.width / m.scale, tpp_),
            twipsOf(m.device.height / m.scale, tpp_)};
}

TwipRect DesktopGeometry::workAreaOf(const Monitor& m) const {
    // Inside its monitor, a work area is scaled from the monitor's place.
    const double s = m.scale;
    return {twipsOf(m.device.x - originX() + (m.work.x - m.device.x) / s, tpp_),
            twipsOf(m.device.y - originY() + (m.work.y - m.device.y) / s, tpp_), twipsOf(m.work.width / s, tpp_),
            twipsOf(m.work.height / s, tpp_)};
}

const Monitor& DesktopGeometry::monitorOf(const TwipRect& window) const {
    const Monitor* best = &primary();
    long long most = 0;
    for (const Monitor& m : monitors_) {
        const long long a = overlap(window, layoutOf(m));
        if (a > most) {
            most = a;
            best = &m;
        }
    }
    return *best;
}

TwipRect DesktopGeometry::keptInside(const TwipRect& window) const {
    const TwipRect work = workAreaOf(monitorOf(window));
    TwipRect r = window;
    r.width = std::min(r.width, work.width);
    r.height = std::min(r.height, work.height);
    r.left = std::clamp(r.left, work.left, std::max(work.left, work.right() - r.width));
    r.top = std::clamp(r.top, work.top, std::max(work.top, work.bottom() - r.height));
    return r;
}

}  // namespace vis
