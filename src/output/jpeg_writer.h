// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "output/atomic_file.h"
#include "output/dib_section.h"

namespace vis {

// Writes the buffer as a colour JPEG file (4:2:0) at the given quality, which
// reaches the encoder unchanged (libjpeg-turbo takes 0 to 100 and treats 0 as
// 1; anything outside that range fails). path is UTF-8. The file is written
// completely or not at all: an older file of that name survives a failure.
// True exactly when the whole file was written.
bool EcrireJpg(const aDIBSection& dib, const std::string& path, int quality, WriteOptions options = {});

}  // namespace vis
