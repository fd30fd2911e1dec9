// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sysinfo.h"

namespace vis {

const std::vector<SystemInfoProgram>& systemInfoCandidates() {
    static const std::vector<SystemInfoProgram> list{
        {"kinfocenter", {}},                          // KDE
        {"gnome-control-center", {"info-overview"}},  // GNOME, its About panel
        {"xfce4-about", {}},                          // Xfce
        {"hardinfo", {}},                             // any desktop
    };
    return list;
}

std::optional<SystemInfoProgram> findSystemInfo(const SystemInfoSources& s) {
    if (s.registryString) {
        if (auto path = s.registryString("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"); path && !path->empty())
            return SystemInfoProgram{*path, {}};
        if (auto folder = s.registryString("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO")) {
            const std::string exe = *folder + "\\MSINFO32.EXE";
            if (s.fileExists && s.fileExists(exe)) return SystemInfoProgram{exe, {}};
        }
        return std::nullopt;
    }
    if (!s.findOnPath) return std::nullopt;
    for (const SystemInfoProgram& c : systemInfoCandidates())
        if (auto path = s.findOnPath(c.path)) return SystemInfoProgram{*path, c.arguments};
    return std::nullopt;
}

}  // namespace vis
