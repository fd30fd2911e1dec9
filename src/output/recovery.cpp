// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/recovery.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "output/atomic_file.h"
#include "output/bmp_codec.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vis {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kIndexHeader = "vistrelle-recovery 1";
constexpr char kIndexName[] = "index";
// Sizes beyond any screen are not a capture of ours.
constexpr double kMaxTwips = 1e8;

std::string u8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// The number a set's folder is named by; 0 for any other name.
long setNumber(const std::string& name) {
    if (name.empty() || name.size() > 9 || name[0] == '0') return 0;
    long n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

template <class T>
bool readNumber(std::string_view field, T& out) {
    const char* end = field.data() + field.size();
    const auto r = std::from_chars(field.data(), end, out);
    return r.ec == std::errc() && r.ptr == end;
}

std::string numberField(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

// Missing folders are made for the user alone, as the XDG rules ask; the
// recovery folder itself must be a real folder of the user's, never a link.
bool makePrivateFolder(const fs::path& folder) {
#ifdef _WIN32
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
#else
    fs::path p;
    for (const fs::path& part : folder) {
        p /= part;
        if (::mkdir(p.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
    return (st.st_mode & 07777) == 0700 || ::chmod(folder.c_str(), 0700) == 0;
#endif
}

std::optional<std::string> readSmallFile(const fs::path& p) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(p, ec)) || fs::file_size(p, ec) > (1u << 20) || ec) return std::nullopt;
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::string recoveryIndex(const std::vector<CaptureMiseDeCote>& captures) {
    std::string out = std::string(kIndexHeader) + "\n";
    for (std::size_t i = 0; i < captures.size(); ++i) {
        const CaptureMiseDeCote& c = captures[i];
        std::string texte = c.texteTaille;
        std::replace_if(
            texte.begin(), texte.end(), [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r'; }, ' ');
        out += std::to_string(i + 1) + ".bmp\t" + (c.pleinEcran ? "e" : "z") + "\t" + std::to_string(c.largeur) + "\t" +
               std::to_string(c.hauteur) + "\t" + numberField(c.largeurCapture) + "\t" + numberField(c.hauteurCapture) +
               "\t" + texte + "\n";
    }
    return out;
}

std::optional<std::vector<IndexEntry>> parseRecoveryIndex(std::string_view text) {
    if (text.substr(0, kIndexHeader.size() + 1) != std::string(kIndexHeader) + "\n") return std::nullopt;
    text.remove_prefix(kIndexHeader.size() + 1);
    std::vector<IndexEntry> out;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        if (nl == std::string_view::npos) return std::nullopt;  // cut short
        const std::vector<std::string_view> f = splitTabs(text.substr(0, nl));
        text.remove_prefix(nl + 1);
        if (f.size() != 7 || (f[1] != "e" && f[1] != "z")) return std::nullopt;
        IndexEntry e;
        e.file = std::string(f[0]);
        // Only a picture of the set's own: "<n>.bmp".
        if (e.file.size() < 5 || e.file.substr(e.file.size() - 4) != ".bmp" ||
            setNumber(e.file.substr(0, e.file.size() - 4)) == 0)
            return std::nullopt;
        CaptureMiseDeCote& c = e.capture;
        c.pleinEcran = f[1] == "e";
        if (!readNumber(f[2], c.largeur) || !readNumber(f[3], c.hauteur) || !readNumber(f[4], c.largeurCapture) ||
            !readNumber(f[5], c.hauteurCapture))
            return std::nullopt;
        for (double v :
             {static_cast<double>(c.largeur), static_cast<double>(c.hauteur), c.largeurCapture, c.hauteurCapture})
            if (!std::isfinite(v) || v < 0 || v > kMaxTwips) return std::nullopt;
        c.texteTaille = std::string(f[6]);
        out.push_back(std::move(e));
    }
    if (out.empty()) return std::nullopt;
    return out;
}

bool RecoveryFolder::store(const std::vector<CaptureMiseDeCote>& captures) const {
    if (captures.empty()) return true;
    if (folder_.empty() || !makePrivateFolder(folder_)) return false;
    removeStaleTemporaries(folder_);

    // Filled under a temporary name, then given its number in one step.
    fs::path temp;
    std::error_code ec;
    for (int attempt = 0; attempt < 10 && temp.empty(); ++attempt) {
        const fs::path candidate = temporaryName(folder_);
        if (fs::create_directory(candidate, ec)) temp = candidate;
    }
    if (temp.empty()) return false;
    fs::permissions(temp, fs::perms::owner_all, ec);
    const WriteOptions once{.replace = false, .flushFolder = false};
    bool ok = true;
    for (std::size_t i = 0; ok && i < captures.size(); ++i) {
        const std::vector<unsigned char> bytes = encodeBmp(captures[i].picture);
        ok = !bytes.empty() && writeFile(temp / (std::to_string(i + 1) + ".bmp"), bytes, once) == WriteResult::Written;
    }
    const std::string index = recoveryIndex(captures);
    ok = ok &&
         writeFile(temp / kIndexName, std::span(reinterpret_cast<const unsigned char*>(index.data()), index.size()),
                   once) == WriteResult::Written;
    ok = ok && flushFolder(temp);

    WriteResult placed = WriteResult::Failed;
    if (ok) {
        long next = 1;
        for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec))
            next = std::max(next, setNumber(u8(it->path().filename())) + 1);
        // A copy on another display may place a set at the same moment.
        for (int attempt = 0; attempt < 100; ++attempt) {
            placed = renameEntry(temp, folder_ / std::to_string(next + attempt), false);
            if (placed != WriteResult::Exists) break;
        }
    }
    if (placed != WriteResult::Written) {
        fs::remove_all(temp, ec);
        return false;
    }
    return flushFolder(folder_);
}

RecoveryFolder::Contents RecoveryFolder::load() const {
    Contents out;
    std::error_code ec;
    if (folder_.empty() || !fs::is_directory(fs::symlink_status(folder_, ec))) return out;
    removeStaleTemporaries(folder_);
    std::vector<std::pair<long, fs::path>> sets;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        const long n = setNumber(u8(it->path().filename()));
        if (n > 0 && it->is_directory(kind) && !it->is_symlink(kind)) sets.emplace_back(n, it->path());
    }
    std::sort(sets.begin(), sets.end());
    for (const auto& [n, set] : sets) {
        const std::optional<std::string> index = readSmallFile(set / kIndexName);
        std::optional<std::vector<IndexEntry>> entries;
        if (index) entries = parseRecoveryIndex(*index);
        if (!entries) continue;
        std::vector<CaptureMiseDeCote> captures;
        for (IndexEntry& e : *entries) {
            std::optional<Bitmap> picture = readBmp(u8(set / e.file));
            if (!picture) break;
            e.capture.picture = std::move(*picture);
            captures.push_back(std::move(e.capture));
        }
        if (captures.size() != entries->size()) continue;
        out.sets.push_back(set);
        std::move(captures.begin(), captures.end(), std::back_inserter(out.captures));
    }
    return out;
}

void RecoveryFolder::discard(const std::vector<fs::path>& sets) const {
    std::error_code ec;
    for (const fs::path& set : sets) fs::remove_all(set, ec);
    if (!sets.empty()) flushFolder(folder_);
}

}  // namespace vis
