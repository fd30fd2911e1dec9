// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace vis {

// How a capture was filed: from a picture box (a region, or the active
// window cropped like one) or from the whole-screen image.
enum class CaptureKind { Region, FullScreen };

// One capture of the collection, with what showing it again needs.
struct CaptureSlot {
    Bitmap picture;  // the only copy of its pixels
    CaptureKind kind = CaptureKind::Region;
    // The sizes the thumbnail's proportions follow, twips.
    double largeurCapture = 0, hauteurCapture = 0;
    // The label after its two-digit number: "/  9600 x 7200" or " Plein écran".
    std::string dimensions;
    // The control that held it and the main window that shows it, twips.
    int largeurImage = 0, hauteurImage = 0;
    int largeurFenetre = 0, hauteurFenetre = 0;
    std::string texteTaille;  // the size label's text when it was filed
    bool saved = false;
};

// The numbered captures, 1..nbCaptures(), in the order they were filed.
// Capture i lives in slot i-1 of 30. Slots are never cleared: a deletion
// shifts the later ones down and leaves the last used one as it was, and
// the repeat capture reads such stale sizes on purpose. Only the pictures
// of slots no longer in use are let go.
class Collection {
public:
    static constexpr int kSlots = 30;
    static constexpr int kMaxCaptures = 29;

    int nbCaptures() const { return count_; }
    bool empty() const { return count_ == 0; }
    // 0 = none. It may name a capture that is gone (after a delete-all):
    // whoever acts on it checks hasCurrent() first.
    int captureCourante() const { return current_; }
    void setCaptureCourante(int c) { current_ = c; }
    bool hasCurrent() const { return current_ >= 1 && current_ <= count_; }
    bool exists(int i) const { return i >= 1 && i <= count_; }

    // Capture i, 1..nbCaptures().
    const CaptureSlot& capture(int i) const { return slot(i - 1); }
    CaptureSlot& capture(int i) { return slots_.at(static_cast<std::size_t>(i) - 1); }
    // Slot s, 0..29, in use or stale.
    const CaptureSlot& slot(int s) const { return slots_.at(static_cast<std::size_t>(s)); }
    int largeurImage(int s) const { return slot(s).largeurImage; }
    int hauteurImage(int s) const { return slot(s).hauteurImage; }
    int largeurFenetre(int s) const { return slot(s).largeurFenetre; }
    int hauteurFenetre(int s) const { return slot(s).hauteurFenetre; }
    const std::string& texteTaille(int s) const { return slot(s).texteTaille; }

    // Files c as the newest capture, unsaved, and makes it current. A full
    // collection stores nothing and makes its last capture current: false.
    bool add(CaptureSlot c);
    // Deletes capture i when it exists, the later ones moving down with
    // their saved state. Afterwards none is current, whatever i was.
    void remove(int i);
    // Empties the collection; slots keep their sizes, the current number
    // stays as it was.
    void clear();

    void setSaved(int i, bool saved = true);
    // Marks the capture holding this picture, looked for at `numero` first:
    // the save may have begun before the numbers moved. False when gone.
    bool markSaved(int numero, const Bitmap& picture);
    // Numbers of the captures not saved yet, in order.
    std::vector<int> unsaved() const;

    // The collection window is shown (not minimised, not emptied).
    bool shown = false;

private:
    std::array<CaptureSlot, kSlots> slots_{};
    int count_ = 0;
    int current_ = 0;
};

}  // namespace vis
