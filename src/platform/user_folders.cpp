// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <cstdlib>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace vis {

namespace fs = std::filesystem;

#ifdef _WIN32
namespace {
fs::path absoluteFromEnvironment(const wchar_t* name) {
    const wchar_t* v = _wgetenv(name);
    if (!v || !*v) return {};
    fs::path p(v);
    return p.is_absolute() ? p : fs::path();
}
}  // namespace

fs::path homeFolder() { return absoluteFromEnvironment(L"USERPROFILE"); }

fs::path xdgFolder(const char*, const char*) { return {}; }

fs::path configHome() { return absoluteFromEnvironment(L"APPDATA"); }

fs::path stateHome() { return absoluteFromEnvironment(L"LOCALAPPDATA"); }

fs::path defaultRecoveryFolder() {
    const fs::path base = stateHome();
    return base.empty() ? base : base / "Vistrelle" / "recovery";
}
#else
namespace {
fs::path absoluteFromEnvironment(const char* name) {
    const char* v = std::getenv(name);
    if (!v || *v != '/') return {};
    return fs::path(v);
}
}  // namespace

fs::path homeFolder() {
    fs::path home = absoluteFromEnvironment("HOME");
    if (!home.empty()) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        home = found->pw_dir;
    return home;
}

fs::path xdgFolder(const char* variable, const char* underHome) {
    fs::path p = absoluteFromEnvironment(variable);
    if (!p.empty()) return p;
    const fs::path home = homeFolder();
    return home.empty() ? home : home / underHome;
}

fs::path configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

fs::path stateHome() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

fs::path defaultRecoveryFolder() {
    const fs::path base = stateHome();
    return base.empty() ? base : base / "vistrelle" / "recovery";
}
#endif

}  // namespace vis
