// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
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
}  // namespace

WriteResult renameEntry(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(from.c_str(), to.c_str(), flags)) return WriteResult::Written;
    const DWORD e = GetLastError();
    return !replace && (e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS) ? WriteResult::Exists
                                                                             : WriteResult::Failed;
}

namespace {
bool ownedByUser(const std::filesystem::path&) { return true; }
#else
int currentProcessId() { return static_cast<int>(::getpid()); }
bool processRuns(int pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }
int openExclusive(const std::filesystem::path& p) {
    int fd;
    do {
        fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
// Replacing a file keeps the access rights the user gave it (a link's
// target is none of the program's business).
void copyPermissions(int fd, const std::filesystem::path& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) (void)::fchmod(fd, st.st_mode & 07777);
}
}  // namespace

// One step: at every moment the target is either the old file or the new one.
// Without replace, the kernel refuses a name taken since it was chosen; where
// the file system cannot say so, a hard link does (it never replaces), and
// where there are no hard links either, the name is looked at just before.
WriteResult renameEntry(const std::filesystem::path& from, const std::filesystem::path& to, bool replace) {
    if (replace) return ::rename(from.c_str(), to.c_str()) == 0 ? WriteResult::Written : WriteResult::Failed;
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return WriteResult::Written;
    if (errno == EEXIST) return WriteResult::Exists;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return WriteResult::Failed;
#endif
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return WriteResult::Written;
    }
    if (errno == EEXIST) return WriteResult::Exists;
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS && errno != EMLINK) return WriteResult::Failed;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return WriteResult::Exists;
    if (::rename(from.c_str(), to.c_str()) == 0) return WriteResult::Written;
    return errno == EEXIST || errno == ENOTEMPTY ? WriteResult::Exists : WriteResult::Failed;
}

namespace {
// Another user's leftovers in a shared folder are not the program's to remove.
bool ownedByUser(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}
#endif

constexpr std::string_view kTempStart = ".~vistrelle-";
constexpr std::string_view kTempEnd = ".tmp";

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

// A short name (a long target name plus a suffix could exceed the system's
// limit) that no other writer picks: process id, a counter and the clock.
// Nobody can guess it ahead, so it cannot be prepared as a trap either.
std::filesystem::path temporaryName(const std::filesystem::path& folder) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937_64 noise(std::random_device{}());
    const auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::string name = std::string(kTempStart) + std::to_string(currentProcessId()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string((ticks ^ noise()) % 1000000000u) +
                             std::string(kTempEnd);
    return folder / name;
}

std::optional<std::filesystem::path> writeTemporary(const std::filesystem::path& folder,
                                                    std::span<const unsigned char> bytes,
                                                    const std::filesystem::path& keepRightsOf) {
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(folder);
        fd = openExclusive(temp);
        if (fd < 0 && errno != EEXIST) return std::nullopt;  // no such folder, no right to write there...
    }
    if (fd < 0) return std::nullopt;

    if (!keepRightsOf.empty()) copyPermissions(fd, keepRightsOf);
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && flushToDisk(fd);
    ok = closeFile(fd) && ok;
    if (ok) return temp;
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return std::nullopt;
}

WriteResult writeFile(const std::filesystem::path& target, std::span<const unsigned char> bytes, WriteOptions options) {
    if (!target.has_filename()) return WriteResult::Failed;

    const std::filesystem::path folder = folderOf(target);
    removeStaleTemporaries(folder);

    const auto temp = writeTemporary(folder, bytes, options.replace ? target : std::filesystem::path());
    if (!temp) return WriteResult::Failed;
    WriteResult r = renameEntry(*temp, target, options.replace);
    if (r != WriteResult::Written) {
        std::error_code ec;
        std::filesystem::remove(*temp, ec);
    } else if (options.flushFolder && !flushFolder(folder)) {
        // In place, but not known to be on the disk: not called saved.
        r = WriteResult::Failed;
    }
    return r;
}

bool writeFileAtomically(const std::filesystem::path& target, std::span<const unsigned char> bytes) {
    return writeFile(target, bytes) == WriteResult::Written;
}

bool flushFolder(const std::filesystem::path& folder) {
#ifdef _WIN32
    (void)folder;
    return true;
#else
    int fd;
    do {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno != EIO;
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    // Some file systems cannot flush a folder at all (EINVAL): nothing to wait for there.
    const bool ok = r == 0 || errno == EINVAL || errno == EROFS;
    ::close(fd);
    return ok;
#endif
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
        const fs::file_status st = it->symlink_status(kind);
        if ((fs::is_regular_file(st) || fs::is_directory(st)) && ownedByUser(it->path())) stale.push_back(it->path());
    }
    // A folder of that kind is a set of files being written together.
    for (const fs::path& p : stale) fs::remove_all(p, ec);
}

bool canCreateFileIn(const std::filesystem::path& folder) {
    const std::filesystem::path probe = temporaryName(folder);
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
