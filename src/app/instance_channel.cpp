// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/instance_channel.h"

#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vis::channel {

namespace {

bool addressOf(const std::string& path, sockaddr_un& a) {
    a = {};
    a.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof a.sun_path) return false;
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Made when missing; either way it must end up private.
bool makePrivate(const std::string& path, uid_t uid) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return isPrivateFolder(path, uid);
}

}  // namespace

bool isPrivateFolder(const std::string& path, uid_t uid) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 077) == 0;
}

std::optional<std::string> folderFor(const char* runtimeDir, const char* cacheHome, const char* home,
                                     const std::string& host, uid_t uid, std::string& reason) {
    reason.clear();
    if (runtimeDir && runtimeDir[0] == '/') {
        if (isPrivateFolder(runtimeDir, uid)) return std::string(runtimeDir);
        reason = "$XDG_RUNTIME_DIR (" + std::string(runtimeDir) + ") n'est pas un dossier privé de l'utilisateur";
    }
    std::string base;
    if (cacheHome && cacheHome[0] == '/')
        base = cacheHome;
    else if (home && home[0] == '/')
        base = std::string(home) + "/.cache";
    else {
        reason = "ni $XDG_RUNTIME_DIR ni dossier personnel utilisables";
        return std::nullopt;
    }
    // The cache folder may already exist, open to others: only ours is checked.
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = "impossible de créer " + base;
        return std::nullopt;
    }
    const std::string mine = base + "/vistrelle";
    const std::string leaf = mine + "/" + (host.empty() ? std::string("localhost") : host);
    if (!makePrivate(mine, uid) || !makePrivate(leaf, uid)) {
        reason = leaf + " n'est pas un dossier privé de l'utilisateur";
        return std::nullopt;
    }
    return leaf;
}

std::string socketName(const std::string& display) {
    std::string name = "vistrelle-";
    for (char c : display.empty() ? std::string("none") : display)
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ? c : '_';
    return name;
}

bool peerIs(int fd, uid_t uid) {
#if defined(__linux__)
    ucred c{};
    socklen_t n = sizeof c;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &c, &n) != 0 || n != sizeof c) return false;
    return c.uid == uid;
#else
    uid_t u = 0;
    gid_t g = 0;
    if (::getpeereid(fd, &u, &g) != 0) return false;
    return u == uid;
#endif
}

ServeLock::ServeLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    struct stat st {};
    // Only a lock file of our own counts (the folder is ours; a link is refused above).
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return;
    usable_ = true;
    held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

ServeLock::~ServeLock() {
    if (fd_ >= 0) ::close(fd_);
}

Sent send(const std::string& socketPath, const std::string& word, int timeoutMs) {
    sockaddr_un a{};
    if (!addressOf(socketPath, a)) return Sent::NoCopy;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Sent::NoCopy;
    Sent result = Sent::NoAnswer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        result = Sent::NoCopy;
    } else if (!peerIs(fd, ::geteuid())) {
        // Someone else's socket: told nothing.
        result = Sent::NotOurs;
    } else {
        const std::string line = word + "\n";
        if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
            pollfd p{fd, POLLIN, 0};
            char answer[8] = {};
            if (::poll(&p, 1, timeoutMs) == 1 && ::recv(fd, answer, sizeof answer - 1, 0) >= 3 &&
                std::strncmp(answer, "ok\n", 3) == 0)
                result = Sent::Done;
        }
    }
    ::close(fd);
    return result;
}

int listenAt(const std::string& socketPath) {
    sockaddr_un a{};
    if (!addressOf(socketPath, a)) return -1;
    struct stat st {};
    // Whatever is at our name in our folder is a leftover: a copy that was
    // killed, or a plant. Not a folder, though.
    if (::lstat(socketPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(socketPath.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || ::chmod(socketPath.c_str(), 0600) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace vis::channel

#endif
