// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vis {

std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {

#ifdef _WIN32
int currentProcessId() { return _getpid(); }
bool processRuns(int pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool runs = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return runs;
}
int openExclusive(const std::filesystem::path& p) {
    return _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
bool writeAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        const int n = _write(fd, data, chunk);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
bool flushToDisk(int fd) { return _commit(fd) == 0; }
bool closeFile(int fd) { return _close(fd) == 0; }
void copyPermissions(int, const std::filesystem::path&) {}
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
int currentProcessId() { return static_cast<int>(::getpid()); }
bool processRuns(int pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }
int openExclusive(const std::filesystem::path& p) {
    int fd;
    do {
        fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
bool writeAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
bool flushToDisk(int fd) {
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}
bool closeFile(int fd) { return ::close(fd) == 0 || errno == EINTR; }
// Replacing a file keeps the access rights the user gave it.
void copyPermissions(int fd, const std::filesystem::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) (void)::fchmod(fd, st.st_mode & 07777);
}
// One step: at every moment the target is either the old file or the new one.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}
#endif

constexpr std::string_view kTempStart = ".~vistrelle-";
constexpr std::string_view kTempEnd = ".tmp";

// A short name (a long target name plus a suffix could exceed the system's
// limit) that no other writer picks: process id, a counter and the clock.
std::filesystem::path temporaryName(const std::filesystem::path& folder, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string name =
        std::string(kTempStart) + std::to_string(currentProcessId()) + "-" + std::to_string(counter++) + "-" +
        std::to_string((ticks ^ static_cast<unsigned long long>(attempt) * 7919u) % 1000000u) + std::string(kTempEnd);
    return folder / name;
}

// The process id of one of our temporary names; 0 for any other name.
int temporaryOwner(std::string_view name) {
    if (name.substr(0, kTempStart.size()) != kTempStart || name.size() < kTempStart.size() + kTempEnd.size() ||
        name.substr(name.size() - kTempEnd.size()) != kTempEnd)
        return 0;
    name = name.substr(kTempStart.size(), name.size() - kTempStart.size() - kTempEnd.size());
    long long pid = 0;
    int part = 0;
    std::size_t digits = 0;
    for (char c : name) {
        if (c == '-') {
            if (digits == 0 || ++part > 2) return 0;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 10) {
            if (part == 0) pid = pid * 10 + (c - '0');
            ++digits;
        } else {
            return 0;
        }
    }
    if (part != 2 || digits == 0 || pid <= 0 || pid > 0x7FFFFFFF) return 0;
    return static_cast<int>(pid);
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::span<const unsigned char> bytes) {
    if (!target.has_filename()) return false;

    const std::filesystem::path folder = folderOf(target);
    removeStaleTemporaries(folder);

    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(folder, attempt);
        fd = openExclusive(temp);
        if (fd < 0 && errno != EEXIST) return false;  // no such folder, no right to write there...
    }
    if (fd < 0) return false;

    copyPermissions(fd, target);
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && flushToDisk(fd);
    ok = closeFile(fd) && ok;

    ok = ok && replaceFile(temp, target);
    if (!ok) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
    return ok;
}

void removeStaleTemporaries(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Any name may be in the folder: read it without a conversion that could fail.
        const std::u8string name = it->path().filename().u8string();
        const int owner = temporaryOwner(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
        // This process's own may be in the middle of a write.
        if (owner == 0 || owner == currentProcessId() || processRuns(owner)) continue;
        std::error_code kind;
        if (it->is_regular_file(kind) && !it->is_symlink(kind)) stale.push_back(it->path());
    }
    for (const fs::path& p : stale) fs::remove(p, ec);
}

bool canCreateFileIn(const std::filesystem::path& folder) {
    const std::filesystem::path probe = temporaryName(folder, 0);
    const int fd = openExclusive(probe);
    if (fd < 0) return false;
    closeFile(fd);
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return true;
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view text) {
    return writeFileAtomically(
        target, std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
}

}  // namespace vis
