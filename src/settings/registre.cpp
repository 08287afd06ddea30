#include "settings/registre.hpp"

#include "base/texte.hpp"

namespace lumi {

namespace {

std::string enfant(std::string_view parent, std::string_view nom) {
    std::string chemin(parent);
    chemin += '\\';
    chemin += nom;
    return chemin;
}

// Un niveau : si la destination manque, elle reçoit toutes les valeurs ; ses propres valeurs, si
// elle existe, restent telles quelles. Dans les deux cas chaque sous-clé de la source suit la
// même règle un niveau plus bas.
void copier_niveau(Registre& registre, const std::string& source, const std::string& destination) {
    if (!registre.cle_existe(destination)) {
        if (!registre.creer_cle(destination)) return;
        for (const auto& nom : registre.lister_valeurs(source)) {
            registre.ecrire_valeur(destination, nom, registre.lire_valeur(source, nom));
        }
    }
    for (const auto& sous_cle : registre.lister_sous_cles(source)) {
        copier_niveau(registre, enfant(source, sous_cle), enfant(destination, sous_cle));
    }
}

}  // namespace

std::vector<std::string> decouper_chemin(std::string_view cle) {
    std::vector<std::string> segments;
    while (!cle.empty()) {
        const auto fin = cle.find('\\');
        const auto segment = cle.substr(0, fin);
        if (!segment.empty()) segments.emplace_back(segment);
        if (fin == std::string_view::npos) break;
        cle.remove_prefix(fin + 1);
    }
    return segments;
}

bool est_sous_cle_ou_egale(std::string_view cle, std::string_view ancetre) {
    const auto niveaux = decouper_chemin(cle);
    const auto niveaux_ancetre = decouper_chemin(ancetre);
    if (niveaux_ancetre.size() > niveaux.size()) return false;
    for (std::size_t i = 0; i < niveaux_ancetre.size(); ++i) {
        if (!egal_sans_casse(niveaux[i], niveaux_ancetre[i])) return false;
    }
    return true;
}

void Registre::effacer_arborescence(std::string_view cle) {
    if (!cle_existe(cle)) return;
    const std::string haut(cle);
    for (;;) {
        std::string courant = haut;
        for (auto sous_cles = lister_sous_cles(courant); !sous_cles.empty();
             sous_cles = lister_sous_cles(courant)) {
            courant = enfant(courant, sous_cles.front());
        }
        const bool est_le_haut = courant == haut;
        // Une feuille qui refuse de partir ferait tourner la boucle sans fin : on s'arrête.
        if (!effacer_cle_feuille(courant) || est_le_haut) return;
    }
}

bool Registre::ecrire_valeurs_et_vider(std::string_view cle, const ValeursAEcrire& valeurs) {
    std::vector<OperationRegistre> operations;
    operations.reserve(valeurs.size());
    for (const auto& [nom, texte] : valeurs) operations.push_back({std::string(cle), nom, texte});
    return appliquer_et_vider(operations);
}

bool Registre::appliquer_et_vider(const std::vector<OperationRegistre>& operations) {
    bool toutes = true;
    for (const auto& o : operations) {
        toutes = (o.texte ? ecrire_valeur_et_vider(o.cle, o.nom, *o.texte) : effacer_valeur(o.cle, o.nom)) &&
                 toutes;
    }
    return toutes;
}

void Registre::copier_arborescence(std::string_view source, std::string_view destination,
                                   bool effacer_source) {
    if (!cle_existe(source) || est_sous_cle_ou_egale(destination, source)) return;
    copier_niveau(*this, std::string(source), std::string(destination));
    if (effacer_source) effacer_arborescence(source);
}

}  // namespace lumi
