// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts about captures put aside and offered back at the next start.

#include <string>

namespace vis::txt {

inline std::string recuperationQuestion(int n) {
    if (n == 1)
        return "1 capture non enregistrée de la session précédente a été retrouvée ; la remettre dans la collection ?";
    return std::to_string(n) +
           " captures non enregistrées de la session précédente ont été retrouvées ; les remettre dans la collection ?";
}
inline constexpr char kRecuperationTitre[] = "Captures retrouvées";

// More came back than the collection has room for.
inline std::string recuperationResteDeCote(int n) {
    if (n == 1)
        return "La collection est pleine : 1 capture retrouvée reste de côté ; elle sera proposée au prochain "
               "démarrage.";
    return "La collection est pleine : " + std::to_string(n) +
           " captures retrouvées restent de côté ; elles seront proposées au prochain démarrage.";
}

// The program must end but its unsaved captures could not be put aside: it
// stays, so that they can be saved.
inline std::string pasMisesDeCote(const std::string& folder) {
    return "Les captures non enregistrées n'ont pas pu être mises de côté dans le dossier " + folder +
           " ; enregistrez-les avant de quitter.";
}

}  // namespace vis::txt
