// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include <QSocketNotifier>
#include <chrono>
#include <thread>
#include <vector>

#include "app/command_line.h"

#ifdef _WIN32
#include <QLocalServer>
#include <QLocalSocket>
#else
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "app/instance_channel.h"
#endif

namespace vis {

namespace {
// A copy just started holds the channel before it listens: asked again meanwhile.
constexpr auto kStartingCopy = std::chrono::seconds(5);
constexpr int kAnswerMs = 2000;
// A request is one short line.
constexpr std::size_t kLongestRequest = 64;
constexpr std::size_t kMostClients = 16;
}  // namespace

struct SingleInstance::Impl {
    std::string problem;
    std::function<void(const std::string&)> handler;
    std::vector<std::string> pending;  // taken before the handler was set

    void deliver(const std::string& word) {
        if (handler)
            handler(word);
        else
            pending.push_back(word);
    }

#ifdef _WIN32
    QString name = QStringLiteral("vistrelle-") + qEnvironmentVariable("USERNAME");
    QLocalServer* server = nullptr;
#else
    std::string socketPath;
    std::unique_ptr<channel::ServeLock> lock;
    int listenFd = -1;
    std::size_t clients = 0;
#endif
};

SingleInstance::SingleInstance() : d_(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
#ifndef _WIN32
    if (d_->listenFd >= 0) {
        ::close(d_->listenFd);
        // Ours while the lock is held: nobody else's to remove.
        if (d_->lock && d_->lock->held()) ::unlink(d_->socketPath.c_str());
    }
#endif
}

const std::string& SingleInstance::problem() const { return d_->problem; }

void SingleInstance::setHandler(std::function<void(const std::string& word)> onRequest) {
    d_->handler = std::move(onRequest);
    for (const std::string& w : std::exchange(d_->pending, {})) d_->handler(w);
}

#ifdef _WIN32

SingleInstance::Outcome SingleInstance::handOver(const std::string& word) {
    QLocalSocket socket;
    socket.connectToServer(d_->name);
    if (!socket.waitForConnected(1000)) return Outcome::Serve;
    socket.write(QByteArray::fromStdString(word + "\n"));
    socket.waitForBytesWritten(kAnswerMs);
    if (socket.waitForReadyRead(kAnswerMs) && socket.readAll().startsWith("ok\n")) return Outcome::HandedOver;
    return Outcome::Silent;
}

void SingleInstance::serve() {
    d_->server = new QLocalServer(this);
    d_->server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(d_->name);
    if (!d_->server->listen(d_->name)) return;
    connect(d_->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = d_->server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (!s->canReadLine()) return;
                const std::string word = s->readLine().trimmed().toStdString();
                s->write(actionOfWord(word) ? "ok\n" : "?\n");
                s->disconnectFromServer();
                if (actionOfWord(word)) d_->deliver(word);
            });
        }
    });
}

#else

SingleInstance::Outcome SingleInstance::handOver(const std::string& word) {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::string display;
    if (const char* x = std::getenv("DISPLAY"); x && *x)
        display = x;
    else if (const char* w = std::getenv("WAYLAND_DISPLAY"); w && *w)
        display = w;
    const auto folder = channel::folderFor(std::getenv("XDG_RUNTIME_DIR"), std::getenv("XDG_CACHE_HOME"),
                                           std::getenv("HOME"), host, ::geteuid(), d_->problem);
    if (!folder) return Outcome::Serve;  // no channel: the copy runs on its own
    d_->problem.clear();                  // the folder in the home serves as well
    const std::string base = *folder + "/" + channel::socketName(display);
    d_->socketPath = base;
    d_->lock = std::make_unique<channel::ServeLock>(base + ".lock");
    if (d_->lock->held()) return Outcome::Serve;
    if (!d_->lock->usable()) {
        d_->problem = "impossible d'ouvrir " + base + ".lock";
        return Outcome::Serve;
    }
    const auto until = std::chrono::steady_clock::now() + kStartingCopy;
    do {
        if (channel::send(base, word, kAnswerMs) == channel::Sent::Done) return Outcome::HandedOver;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < until);
    return Outcome::Silent;
}

void SingleInstance::serve() {
    if (!d_->lock || !d_->lock->held()) return;
    d_->listenFd = channel::listenAt(d_->socketPath);
    if (d_->listenFd < 0) {
        d_->problem = "impossible d'écouter sur " + d_->socketPath;
        return;
    }
    auto* listener = new QSocketNotifier(d_->listenFd, QSocketNotifier::Read, this);
    connect(listener, &QSocketNotifier::activated, this, [this] {
        for (;;) {
            const int fd = ::accept4(d_->listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) return;
            // Another user's request is not even read.
            if (!channel::peerIs(fd, ::geteuid()) || d_->clients >= kMostClients) {
                ::close(fd);
                continue;
            }
            ++d_->clients;
            auto* reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            auto buffer = std::make_shared<std::string>();
            connect(reader, &QSocketNotifier::activated, this, [this, reader, fd, buffer] {
                char chunk[kLongestRequest];
                const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
                if (n > 0) buffer->append(chunk, static_cast<std::size_t>(n));
                const auto end = buffer->find('\n');
                if (n > 0 && end == std::string::npos && buffer->size() < kLongestRequest) return;
                const std::string word = end == std::string::npos ? std::string() : buffer->substr(0, end);
                const bool known = actionOfWord(word).has_value();
                if (n > 0) ::send(fd, known ? "ok\n" : "?\n", 3, MSG_NOSIGNAL);
                reader->setEnabled(false);
                reader->deleteLater();
                ::close(fd);
                --d_->clients;
                if (known) d_->deliver(word);
            });
        }
    });
}

#endif

}  // namespace vis
