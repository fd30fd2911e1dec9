// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// param.txt: one line holding the settings record, ended by CR LF.
// Written in UTF-8 (the ANSI code page on Windows); read as UTF-8 with any
// byte that is not valid UTF-8 taken as Windows-1252 (the ANSI code page on
// Windows), so files written by older copies still load.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/param_record.h"

namespace vis {

inline constexpr char kParamFileName[] = "param.txt";

// Where param.txt lives, given the program's folder and the user's
// configuration folder:
//   1. the program's folder when it holds param.txt and can be written;
//   2. else the configuration folder when it holds param.txt;
//   3. else the program's folder when it can be written;
//   4. else the configuration folder (created on the first save).
// "Can be written" is tried for real, with a short-lived probe file.
std::filesystem::path chooseParamFile(const std::filesystem::path& programFolder,
                                      const std::filesystem::path& configFolder);

// The user's configuration folder for this program: $XDG_CONFIG_HOME/vistrelle
// or ~/.config/vistrelle; %APPDATA%\Vistrelle on Windows.
std::filesystem::path userConfigFolder();
// The home folder (homeFolder()) in UTF-8.
std::string userHomeFolder();
// A path from UTF-8 text, whatever the system's narrow encoding.
std::filesystem::path pathFromUtf8(const std::string& utf8);

// File bytes to UTF-8 text, and back.
std::string textFromFileBytes(std::string_view bytes);
std::string fileBytesFromText(const std::string& utf8);

// The whole file for a record: quoted or not, then CR LF.
std::string paramFileContent(const std::string& ligneParam, bool quoted);

enum class ParamLoadError {
    None,
    Missing,     // no such file
    Empty,       // a file without a single byte
    BadContent,  // the record does not decode
    ReadError,   // it exists but cannot be read (a folder, no permission, an I/O error)
};

struct ParamLoadResult {
    std::optional<ParamSettings> settings;  // set exactly when error is None
    ParamLoadError error = ParamLoadError::None;

    explicit operator bool() const { return settings.has_value(); }
};

// Load (chargtparam's reading and decoding).
ParamLoadResult loadParamFile(const std::filesystem::path& file);

// Ordinary save (SavOptions): the record unquoted, or in quotes when it would
// not read back otherwise. The old file is replaced only by a complete new
// one; false when the new one could not be written (the old one is intact).
bool saveParamFile(const std::filesystem::path& file, const std::string& ligneParam);

// Regeneration after a damaged file: the default record in quotes takes the
// place of whatever stands at `file` (a folder in the way is removed first).
// False when the new file could not be written; an old file is then intact.
bool regenerateParamFile(const std::filesystem::path& file, const std::string& defaultDirectory);

}  // namespace vis
