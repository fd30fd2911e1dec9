// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/param_file.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "output/atomic_file.h"
#include "platform/format.h"
#include "platform/user_folders.h"

#ifdef _WIN32
#include "desktop/win32_text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vis {

namespace fs = std::filesystem;

namespace {

// More than any sane first line; a larger file is read no further.
constexpr std::size_t kMaxReadBytes = 1 << 20;

// The first bytes of a regular file. A FIFO, a device or a folder under the
// name is refused before anything waits on it: opening a FIFO would block
// until someone writes to it.
ParamLoadError readRegularFile(const fs::path& p, std::string& bytes) {
#ifdef _WIN32
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return ParamLoadError::ReadError;
    std::FILE* f = _wfopen(p.c_str(), L"rb");
    if (!f) return ParamLoadError::ReadError;
    bytes.assign(kMaxReadBytes, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? ParamLoadError::ReadError : ParamLoadError::None;
#else
    int fd;
    do {
        fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno == ENOENT ? ParamLoadError::Missing : ParamLoadError::ReadError;
    struct stat st {};
    ParamLoadError r = ParamLoadError::None;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) r = ParamLoadError::ReadError;
    bytes.assign(kMaxReadBytes, '\0');
    std::size_t got = 0;
    while (r == ParamLoadError::None && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) r = ParamLoadError::ReadError;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    ::close(fd);
    return r;
#endif
}

// Length of the valid UTF-8 sequence at bytes[i], 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t utf8SequenceLength(std::string_view b, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > b.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

#ifndef _WIN32
// Windows-1252 in 0x80-0x9F; its five holes map to the C1 controls, as
// Windows itself does. 0xA0-0xFF are Latin-1.
constexpr char32_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
#endif

bool isValidUtf8(std::string_view b) {
    for (std::size_t i = 0; i < b.size();) {
        const std::size_t n = utf8SequenceLength(b, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Through the atomic writer: the target is either the old file or the
// complete new one, and nothing is written through a link.
bool replaceFile(const fs::path& target, std::string_view bytes) {
    std::error_code ec;
    if (target.has_parent_path() && !fs::exists(target.parent_path(), ec))
        fs::create_directories(target.parent_path(), ec);
    return writeFileAtomically(target, bytes);
}

bool folderWritable(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && canCreateFileIn(folder);
}

}  // namespace

fs::path pathFromUtf8(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string userHomeFolder() {
    const std::u8string home = homeFolder().u8string();
    return std::string(home.begin(), home.end());
}

fs::path userConfigFolder() {
    const fs::path base = configHome();
#ifdef _WIN32
    return base.empty() ? base : base / "Vistrelle";
#else
    return base.empty() ? base : base / "vistrelle";
#endif
}

fs::path chooseParamFile(const fs::path& programFolder, const fs::path& configFolder) {
    const fs::path inProgram = programFolder / kParamFileName;
    const fs::path inConfig = configFolder / kParamFileName;
    std::error_code ec;
    const bool programWritable = folderWritable(programFolder);
    if (programWritable && fs::exists(inProgram, ec)) return inProgram;
    if (fs::exists(inConfig, ec)) return inConfig;
    return programWritable ? inProgram : inConfig;
}

std::string textFromFileBytes(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
#ifdef _WIN32
    // Not UTF-8: the system's ANSI code page, as written by the program.
    return win32::utf8FromAnsi(bytes);
#else
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8SequenceLength(bytes, i);
        if (n > 0) {
            out.append(bytes.substr(i, n));
            i += n;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i++]);
        appendUtf8(out, c < 0xA0 ? kCp1252High[c - 0x80] : char32_t{c});
    }
    return out;
#endif
}

std::string fileBytesFromText(const std::string& utf8) {
#ifdef _WIN32
    // A directory the code page cannot spell is kept whole in UTF-8, which
    // the reader recognises.
    return win32::ansiFromUtf8(utf8).value_or(utf8);
#else
    return utf8;
#endif
}

std::string paramFileContent(const std::string& ligneParam, bool quoted) {
    const std::string record = padRight(ligneParam, kRecordLength);
    return fileBytesFromText((quoted ? "\"" + record + "\"" : record) + "\r\n");
}

ParamLoadResult loadParamFile(const fs::path& file) {
    ParamLoadResult r;
    std::error_code ec;
    if (fs::status(file, ec).type() == fs::file_type::not_found) {
        r.error = ParamLoadError::Missing;
        return r;
    }
    std::string bytes;
    r.error = readRegularFile(file, bytes);
    if (r.error != ParamLoadError::None) return r;
    if (bytes.empty()) {
        r.error = ParamLoadError::Empty;
    } else {
        r.settings = decodeRecord(recordFromText(textFromFileBytes(bytes)));
        if (!r.settings) r.error = ParamLoadError::BadContent;
    }
    return r;
}

bool saveParamFile(const fs::path& file, const std::string& ligneParam) {
    return replaceFile(file, paramFileContent(ligneParam, recordNeedsQuotes(ligneParam)));
}

bool regenerateParamFile(const fs::path& file, const std::string& defaultDirectory) {
    // A regular file is replaced by the rename, so a failed write leaves it
    // be; anything else in the way (an empty folder) must go first.
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(file, ec);
    if (fs::exists(st) && !fs::is_regular_file(st) && !fs::is_symlink(st)) fs::remove(file, ec);
    return replaceFile(file, paramFileContent(defaultRecord(defaultDirectory), true));
}

}  // namespace vis
