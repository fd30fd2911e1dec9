// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The channel between two copies of the program that one user runs on one
// display (Unix): a local socket in a folder nobody else can enter, each end
// checking that the other runs as the same user. Another user can neither
// answer in our place nor keep us from starting.

// Windows has a channel of its own (QLocalServer, in single_instance.cpp).
#ifndef _WIN32

#include <optional>
#include <string>
#include <sys/types.h>

namespace vis::channel {

// A real folder (no link), the user's, closed to group and others.
bool isPrivateFolder(const std::string& path, uid_t uid);

// Where the channel lives: $XDG_RUNTIME_DIR when it is such a folder; else
// one made, and checked, for it in the user's home ("<cache>/vistrelle/<host>",
// the host's name because a home may be shared by several machines).
// Nothing when neither will do, with the reason in French.
std::optional<std::string> folderFor(const char* runtimeDir, const char* cacheHome, const char* home,
                                     const std::string& host, uid_t uid, std::string& reason);

// The socket's name in that folder for a display (":0" -> "vistrelle-_0").
std::string socketName(const std::string& display);

// True when the peer of a connected local socket runs as this user.
bool peerIs(int fd, uid_t uid);

// Taken by the copy that serves the channel and held as long as it runs: the
// first copy to get it serves, and whatever socket it finds is stale.
class ServeLock {
public:
    explicit ServeLock(const std::string& path);
    ~ServeLock();
    ServeLock(const ServeLock&) = delete;
    ServeLock& operator=(const ServeLock&) = delete;
    bool held() const { return held_; }
    // The lock file could be opened: otherwise there is no channel at all.
    bool usable() const { return usable_; }

private:
    int fd_ = -1;
    bool usable_ = false;
    bool held_ = false;
};

enum class Sent { Done, NoCopy, NotOurs, NoAnswer };
// Connects, checks the peer, sends the word and waits for the answer.
Sent send(const std::string& socketPath, const std::string& word, int timeoutMs);

// A listening socket at the path, whatever was there removed first; -1 on
// failure.
int listenAt(const std::string& socketPath);

}  // namespace vis::channel

#endif  // _WIN32
