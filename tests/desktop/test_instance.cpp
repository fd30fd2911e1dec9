// SPDX-License-Identifier: GPL-3.0-or-later
// The command line, and the channel between two copies of the program: where
// it lives, and that another user can neither answer nor be answered.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <vector>

#include "app/command_line.h"
#include "app/instance_channel.h"

namespace vis {
namespace {

namespace fs = std::filesystem;

CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vistrelle");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLineTest, ActionsHelpVersionErrorsAndQtsOwnOptions) {
    using O = CommandLine::Outcome;
    const struct {
        std::vector<const char*> args;
        O outcome;
        StartAction action;
        const char* error;
    } cases[] = {
        {{}, O::Run, StartAction::None, ""},
        {{"--region"}, O::Run, StartAction::Region, ""},
        {{"-platform", "xcb", "--screen", "-style=fusion", "--reverse"}, O::Run, StartAction::Screen, ""},
        {{"--window", "--display", ":1", "--window"}, O::Run, StartAction::Window, ""},
        {{"-qwindowgeometry", "100x100", "--repeat"}, O::Run, StartAction::Repeat, ""},
        {{"--screen", "-h"}, O::Help, StartAction::Screen, ""},
        {{"--version"}, O::Version, StartAction::None, ""},
        {{"--screen", "--window"},
         O::Error,
         StartAction::Screen,
         "vistrelle : une seule capture à la fois (--region, --screen, --window ou --repeat) (vistrelle --help pour "
         "l'aide)"},
        {{"--capture"}, O::Error, StartAction::None, "vistrelle : option inconnue « --capture » (vistrelle --help pour l'aide)"},
        {{"image.png"}, O::Error, StartAction::None,
         "vistrelle : argument inattendu « image.png » (vistrelle --help pour l'aide)"},
        {{"-platform"}, O::Error, StartAction::None,
         "vistrelle : l'option « -platform » attend une valeur (vistrelle --help pour l'aide)"},
    };
    for (const auto& c : cases) {
        const CommandLine r = parse(c.args);
        const std::string name = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(r.outcome, c.outcome) << name;
        EXPECT_EQ(r.error, c.error) << name;
        if (c.outcome == O::Run) {
            EXPECT_EQ(r.action, c.action) << name;
        }
    }
    EXPECT_NE(usageText().find("--screen"), std::string::npos);
    for (StartAction a : {StartAction::None, StartAction::Region, StartAction::Screen, StartAction::Window,
                          StartAction::Repeat})
        EXPECT_EQ(actionOfWord(actionWord(a)), a);
    EXPECT_EQ(actionOfWord("quit"), std::nullopt);
    EXPECT_EQ((std::vector<int>{actionButton(StartAction::None), actionButton(StartAction::Region),
                                actionButton(StartAction::Screen), actionButton(StartAction::Window),
                                actionButton(StartAction::Repeat)}),
              (std::vector<int>{-1, 0, 1, 2, 10}));
}

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("vis-channel-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        fs::permissions(root, fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path dir(const char* name, fs::perms perms) {
        const fs::path p = root / name;
        fs::create_directory(p);
        fs::permissions(p, perms, fs::perm_options::replace);
        return p;
    }
    fs::path root;
};

TEST_F(ChannelTest, RuntimeFolderWhenPrivateElseOneOfOurOwnInTheHome) {
    const uid_t me = ::geteuid();
    const std::string priv = dir("run", fs::perms::owner_all).string();
    const std::string open = dir("open", fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read).string();
    fs::create_directory_symlink(priv, root / "link");
    const std::string home = dir("home", fs::perms::owner_all).string();
    const std::string fallback = home + "/.cache/vistrelle/host";
    std::string why;
    EXPECT_EQ(channel::folderFor(priv.c_str(), nullptr, home.c_str(), "host", me, why), priv);
    EXPECT_EQ(why, "");
    for (const std::string& refused : {open, (root / "link").string(), (root / "missing").string()}) {
        EXPECT_EQ(channel::folderFor(refused.c_str(), "relative", home.c_str(), "host", me, why), fallback) << refused;
        EXPECT_EQ(why, "$XDG_RUNTIME_DIR (" + refused + ") n'est pas un dossier privé de l'utilisateur");
        EXPECT_EQ(fs::status(fallback).permissions(), fs::perms::owner_all);
    }
    const std::string cache = dir("cache", fs::perms::owner_all).string();
    EXPECT_EQ(channel::folderFor(nullptr, cache.c_str(), home.c_str(), "", me, why), cache + "/vistrelle/localhost");
    // Opened to others since: refused, not used.
    fs::permissions(fallback, fs::perms::others_all, fs::perm_options::add);
    EXPECT_EQ(channel::folderFor(nullptr, nullptr, home.c_str(), "host", me, why), std::nullopt);
    EXPECT_EQ(why, fallback + " n'est pas un dossier privé de l'utilisateur");
    EXPECT_EQ(channel::folderFor(nullptr, nullptr, nullptr, "host", me, why), std::nullopt);
    if (me == 0) {
        // Another user's folder, however private.
        ASSERT_EQ(::chown(priv.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(channel::isPrivateFolder(priv, me));
        EXPECT_TRUE(channel::isPrivateFolder(priv, 65534));
    }
    EXPECT_EQ(channel::socketName(":0"), "vistrelle-_0");
    EXPECT_EQ(channel::socketName("wayland-1"), "vistrelle-wayland-1");
    EXPECT_EQ(channel::socketName(""), "vistrelle-none");
}

// A copy of the program serving the channel, as another process: it answers
// "ok" to one request when its peer is `expected`, then ends.
pid_t serveOnce(const std::string& path, uid_t runAs, uid_t expected) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (runAs != ::geteuid() && ::setuid(runAs) != 0) ::_exit(3);
    const int fd = channel::listenAt(path);
    if (fd < 0) ::_exit(4);
    ::chmod(path.c_str(), 0777);  // reachable by the test, whoever it runs as
    ::fcntl(fd, F_SETFL, 0);
    const int c = ::accept(fd, nullptr, nullptr);
    if (c < 0) ::_exit(5);
    const bool ours = channel::peerIs(c, expected);
    char buf[16];
    if (ours && ::recv(c, buf, sizeof buf, 0) > 0) ::send(c, "ok\n", 3, MSG_NOSIGNAL);
    ::_exit(ours ? 0 : 6);
}

// Its exit status; a child still waiting after 10 s is stopped (-1).
int exitOf(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 1000; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// Asks until the serving child has started listening (a loaded machine may
// take a while to get it there).
channel::Sent sendWhenServed(const std::string& path) {
    channel::Sent sent = channel::Sent::NoCopy;
    for (int i = 0; i < 500 && (sent = channel::send(path, "screen", 1000)) == channel::Sent::NoCopy; ++i)
        ::usleep(10000);
    return sent;
}

TEST_F(ChannelTest, LockStaleSocketsAndPeersOfTheSameUserOnly) {
    const std::string base = (root / channel::socketName(":9")).string();
    {
        channel::ServeLock first(base + ".lock");
        channel::ServeLock second(base + ".lock");
        EXPECT_TRUE(first.held());
        EXPECT_TRUE(second.usable());
        EXPECT_FALSE(second.held());
    }
    EXPECT_TRUE(channel::ServeLock(base + ".lock").held()) << "let go with its holder";

    EXPECT_EQ(channel::send(base, "show", 500), channel::Sent::NoCopy);
    // A socket left by a copy that was killed: nobody answers, and it is replaced.
    const int stale = channel::listenAt(base);
    ASSERT_GE(stale, 0);
    ::close(stale);
    EXPECT_EQ(channel::send(base, "show", 500), channel::Sent::NoCopy);
    EXPECT_EQ(fs::status(base).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const pid_t same = serveOnce(base, ::geteuid(), ::geteuid());
    EXPECT_EQ(sendWhenServed(base), channel::Sent::Done);
    EXPECT_EQ(exitOf(same), 0);

    if (::geteuid() != 0) GTEST_SKIP() << "another user's peer needs root to play";
    fs::permissions(root, fs::perms::all, fs::perm_options::replace);
    // Another user listening: told nothing.
    fs::remove(base);
    const pid_t other = serveOnce(base, 65534, 65534);
    EXPECT_EQ(sendWhenServed(base), channel::Sent::NotOurs);
    EXPECT_EQ(exitOf(other), 6) << "it saw a peer that is not its user's";
    // Another user asking: the server sees who it is.
    fs::remove(base);
    const pid_t server = serveOnce(base, ::geteuid(), ::geteuid());
    const pid_t asker = ::fork();
    if (asker == 0) {
        if (::setuid(65534) != 0) ::_exit(3);
        ::_exit(sendWhenServed(base) == channel::Sent::NotOurs ? 0 : 7);
    }
    EXPECT_EQ(exitOf(asker), 0);
    EXPECT_EQ(exitOf(server), 6);
}

}  // namespace
}  // namespace vis
