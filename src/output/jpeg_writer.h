// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "output/atomic_file.h"
#include "output/dib_section.h"

namespace vis {

// The buffer as a colour JPEG file (4:2:0) in memory, at the given quality,
// which reaches the encoder unchanged (libjpeg-turbo takes 0 to 100 and treats
// 0 as 1; anything outside that range fails). Nothing on failure.
std::optional<FileContent> encodeJpeg(const aDIBSection& dib, int quality);

// Writes the buffer as encodeJpeg makes it. path is UTF-8. The file is
// written completely or not at all: an older file of that name survives a
// failure. True exactly when the whole file was written.
bool EcrireJpg(const aDIBSection& dib, const std::string& path, int quality, WriteOptions options = {});

}  // namespace vis
