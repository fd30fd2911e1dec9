// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Captures put aside: when the program must end with captures it cannot
// save and cannot ask about (a termination signal, a settings file it cannot
// write), they wait in the recovery folder until the next start offers them
// back. Each set of captures is a folder named by a number, holding one BMP
// file a capture (the program's own lossless codec) and an index; the set
// appears under its number only once complete.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bitmap.h"

namespace vis {

// What the collection needs to file a capture again as it was.
struct CaptureMiseDeCote {
    Bitmap picture;
    bool pleinEcran = false;                        // filed from the whole-screen image: labelled "NN Plein écran"
    int largeur = 0, hauteur = 0;                   // the control that held it, twips (largeurImage, hauteurImage)
    double largeurCapture = 0, hauteurCapture = 0;  // the sizes its label shows and its thumbnail follows
    std::string texteTaille;                        // the size label's text when it was filed
};

// The index of a set: a first line naming the format, then one line a
// capture, in the collection's order: file, kind ("e" whole screen, "z"
// other), the four sizes, the size text.
std::string recoveryIndex(const std::vector<CaptureMiseDeCote>& captures);
// The captures an index names (pictures left null) and their files; nothing
// for an index that does not read whole.
struct IndexEntry {
    std::string file;
    CaptureMiseDeCote capture;
};
std::optional<std::vector<IndexEntry>> parseRecoveryIndex(std::string_view text);

class RecoveryFolder {
public:
    explicit RecoveryFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Writes the captures as one more set, flushed to disk, completely or not
    // at all. The folder is made private to the user (mode 0700) where it is
    // missing. True when the set is there (or there was nothing to write).
    bool store(const std::vector<CaptureMiseDeCote>& captures) const;

    struct Contents {
        std::vector<std::filesystem::path> sets;  // the sets read, oldest first
        std::vector<CaptureMiseDeCote> captures;  // theirs, in order
    };
    // Every complete set that reads back whole; a set that does not is left
    // where it is. Sets a killed writer left half-made are cleared away.
    Contents load() const;

    void discard(const std::vector<std::filesystem::path>& sets) const;

private:
    std::filesystem::path folder_;
};

}  // namespace vis
