// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vis {

// The program's paths are UTF-8 text; this is the file-system path they name
// (wide characters on Windows, the same bytes elsewhere).
std::filesystem::path utf8Path(const std::string& utf8);

// Writes the whole content under a temporary name in the target's folder,
// flushes it to disk and renames it over the target. On any failure the
// temporary file is removed, an older file of that name is left untouched and
// the result is false. The folder's stale temporary files go first.
bool writeFileAtomically(const std::filesystem::path& target, std::span<const unsigned char> bytes);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text);

// The temporary files are named ".~vistrelle-<process>-<n>-<m>.tmp". Removes
// those of the folder whose process no longer runs (left by a program that was
// killed while saving); nothing else is touched.
void removeStaleTemporaries(const std::filesystem::path& folder);

// True when a new file can be created in the folder (tried for real).
bool canCreateFileIn(const std::filesystem::path& folder);

}  // namespace vis
