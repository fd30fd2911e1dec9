// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/naming.h"

#include <filesystem>

#include "output/atomic_file.h"
#include "platform/format.h"

namespace vis {

namespace {
bool lastSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// What the original's number test accepted of two characters: digits, with
// perhaps a blank in front.
std::optional<int> deuxChiffres(const std::string& two) {
    if (two.size() != 2) return std::nullopt;
    const bool d0 = two[0] >= '0' && two[0] <= '9';
    const bool d1 = two[1] >= '0' && two[1] <= '9';
    if (!d1 || !(d0 || two[0] == ' ')) return std::nullopt;
    return (d0 ? (two[0] - '0') * 10 : 0) + (two[1] - '0');
}
}  // namespace

std::optional<std::string> propositionSuivante(const std::string& nomFichier, int& numFichier) {
    const std::size_t len = charCount(nomFichier);
    if (len <= 6) return std::nullopt;
    const std::size_t dot = nomFichier.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::size_t p = charCount(nomFichier.substr(0, dot)) + 1;  // 1-based place of the dot
    if (p < 3) return std::nullopt;
    const std::string right4 = midChars(nomFichier, len - 4);
    if (const auto n = deuxChiffres(midChars(nomFichier, p - 3, 2))) {
        numFichier = *n + 1;
        return leftChars(nomFichier, len - 6) + twoDigits(numFichier) + right4;
    }
    return leftChars(nomFichier, len - 4) + "01" + right4;
}

std::string horodatage(const TimeOfDay& t) { return std::to_string(t.hour * 10000 + t.minute * 100 + t.second); }

std::optional<std::string> dossierParDefaut(const std::string& ligneParam) {
    const std::size_t pair = ligneParam.find("  ");
    if (pair == std::string::npos) return std::nullopt;
    return ligneParam.substr(0, pair);
}

std::string nomAutomatique(const std::string& folder, const std::string& prefixe, const TimeOfDay& t, int numero,
                           const std::string& extension) {
    return folder + kPathSeparator + prefixe + "-" + horodatage(t) + std::to_string(numero) + extension;
}

namespace {
bool nomPris(const std::string& nom) {
    std::error_code ec;
    return std::filesystem::symlink_status(utf8Path(nom), ec).type() != std::filesystem::file_type::not_found;
}
}  // namespace

std::string nomLibre(const std::string& nom) {
    if (!nomPris(nom)) return nom;
    const std::size_t dot = nom.rfind('.');
    const std::size_t sep = dossierDe(nom).size();
    const bool hasExt = dot != std::string::npos && dot > sep;
    const std::string stem = hasExt ? nom.substr(0, dot) : nom;
    const std::string ext = hasExt ? nom.substr(dot) : std::string();
    for (int k = 2;; ++k) {
        std::string candidate = stem + "_" + std::to_string(k) + ext;
        if (!nomPris(candidate)) return candidate;
    }
}

std::optional<std::string> ecrireSousNomLibre(const std::string& nom,
                                              const std::function<bool(const std::string&)>& write) {
    // Bounded: a folder someone keeps filling must not hold the program forever.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = nomLibre(nom);
        if (write(candidate)) return candidate;
        if (!nomPris(candidate)) return std::nullopt;
    }
    return std::nullopt;
}

std::string dossierDe(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (lastSeparator(path[i - 1])) return path.substr(0, i - 1);
    return {};
}

}  // namespace vis
