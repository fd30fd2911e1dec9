// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vis {

// The program's paths are UTF-8 text; this is the file-system path they name
// (wide characters on Windows, the same bytes elsewhere).
std::filesystem::path utf8Path(const std::string& utf8);

enum class WriteResult {
    Written,
    Exists,  // replace was off and something (a file, a link, a folder) has the name
    Failed,
};

struct WriteOptions {
    // Off: the name must still be free at the last step; nothing that came
    // there meanwhile is replaced.
    bool replace = true;
    // Flushes the folder after the rename, so that the new name survives a
    // power cut. A caller writing several files there may do it once, last.
    bool flushFolder = true;
};

// A file's content in memory, kept however its encoder made it.
struct FileContent {
    std::shared_ptr<const unsigned char> data;
    std::size_t size = 0;
    std::span<const unsigned char> bytes() const { return {data.get(), size}; }
};

// The first half of writeFile: the whole content under a new temporary name
// in the folder, flushed to disk. Its path, or nothing (and nothing left
// behind). The caller renames it (renameEntry) or removes it. A file at
// keepRightsOf lends it its access rights.
std::optional<std::filesystem::path> writeTemporary(const std::filesystem::path& folder,
                                                    std::span<const unsigned char> bytes,
                                                    const std::filesystem::path& keepRightsOf = {});

// Writes the whole content under a temporary name in the target's folder
// (created exclusively, never through a link), flushes it to disk and renames
// it to the target. On any failure the temporary file is removed, an older
// file of that name is left untouched and the result is not Written. The
// folder's stale temporary files go first.
WriteResult writeFile(const std::filesystem::path& target, std::span<const unsigned char> bytes,
                      WriteOptions options = {});

// writeFile with the default options: true when Written.
bool writeFileAtomically(const std::filesystem::path& target, std::span<const unsigned char> bytes);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text);

// Renames a file or a folder within its file system. Without replace,
// whatever has the new name (a file, a link, a folder) stays and the result
// is Exists.
WriteResult renameEntry(const std::filesystem::path& from, const std::filesystem::path& to, bool replace);

// Makes the folder's entries durable (a no-op on Windows, where the rename
// writes through). False when the system reports an I/O error.
bool flushFolder(const std::filesystem::path& folder);

// The temporary files are named ".~vistrelle-<process>-<n>-<m>.tmp". Removes
// the user's own in the folder whose process no longer runs (left by a
// program that was killed while saving); nothing else is touched.
void removeStaleTemporaries(const std::filesystem::path& folder);

// True when a new file can be created in the folder (tried for real, under
// a temporary name of the kind above).
bool canCreateFileIn(const std::filesystem::path& folder);

// A name for a temporary file or folder of this process in the folder.
std::filesystem::path temporaryName(const std::filesystem::path& folder);

}  // namespace vis
