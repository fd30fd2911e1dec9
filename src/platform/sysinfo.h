// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the system-information program is: the lookup itself, without the
// machine. The desktop half hands it the registry, the file system and the
// search path, and starts what it finds.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vis {

struct SystemInfoProgram {
    std::string path;
    std::vector<std::string> arguments;
};

struct SystemInfoSources {
    // A string value under HKEY_LOCAL_MACHINE, or nothing; unset where the
    // system has no registry.
    std::function<std::optional<std::string>(const std::string& key, const std::string& value)> registryString;
    std::function<bool(const std::string& path)> fileExists;
    // The full path of a program found on the search path, or nothing.
    std::function<std::optional<std::string>(const std::string& program)> findOnPath;
};

// The programs tried in turn where there is no registry: each desktop's own
// "about this system" window, then a desktop-neutral one.
const std::vector<SystemInfoProgram>& systemInfoCandidates();

std::optional<SystemInfoProgram> findSystemInfo(const SystemInfoSources& sources);

}  // namespace vis
