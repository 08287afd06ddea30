#include "platform/simulation/telephonie_simulee.hpp"

#include <algorithm>
#include <iterator>

namespace lumi {

std::int32_t TelephonieSimulee::initialiser(RappelLigne rappel, PoigneeTapi& hLineApp,
                                            std::uint32_t& nb_lignes) {
    if (!configuration_.disponible) return tapi_erreur_indisponible;
    rappel_ = std::move(rappel);
    usage_ = prochaine_poignee_++;
    hLineApp = usage_;
    nb_lignes = configuration_.nb_lignes;
    return 0;
}

std::int32_t TelephonieSimulee::negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne,
                                                 std::uint32_t version_basse, std::uint32_t version_haute,
                                                 std::uint32_t& version) {
    if (hLineApp == 0 || hLineApp != usage_) return tapi_erreur_poignee;
    if (ligne >= configuration_.nb_lignes || configuration_.lignes_sans_version.contains(ligne)) {
        return tapi_erreur_version;
    }
    // La ligne simulée parle la version 2.0 si elle est dans l'intervalle demandé.
    constexpr std::uint32_t version_ligne = 0x00020000;
    if (version_ligne < version_basse || version_ligne > version_haute) return tapi_erreur_version;
    version = version_ligne;
    return 0;
}

std::int32_t TelephonieSimulee::ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                                             std::uint32_t /*version*/, std::uint32_t privileges,
                                             std::uint32_t modes_media) {
    if (hLineApp == 0 || hLineApp != usage_) return tapi_erreur_poignee;
    if (ligne >= configuration_.nb_lignes || configuration_.lignes_refusees.contains(ligne)) {
        return tapi_erreur_ouverture;
    }
    hLine = prochaine_poignee_++;
    lignes_[hLine] = ligne;
    privileges_ = privileges;
    modes_media_ = modes_media;
    return 0;
}

std::int32_t TelephonieSimulee::liberer_appel(PoigneeTapi hCall) {
    if (hCall == 0 || !appels_vus_.contains(hCall) || appels_rendus_.contains(hCall))
        return tapi_erreur_poignee;
    appels_rendus_.insert(hCall);
    liberes_.push_back(hCall);
    return 0;
}

std::int32_t TelephonieSimulee::fermer_ligne(PoigneeTapi hLine) {
    if (lignes_.erase(hLine) == 0) return tapi_erreur_poignee;
    ++fermetures_;
    return 0;
}

std::int32_t TelephonieSimulee::arreter(PoigneeTapi hLineApp) {
    if (hLineApp == 0 || hLineApp != usage_) return tapi_erreur_poignee;
    ++arrets_;
    usage_ = 0;
    lignes_.clear();
    rappel_ = nullptr;
    return 0;
}

bool TelephonieSimulee::signaler(PoigneeTapi appel, std::uint32_t etat, std::uint32_t ligne) {
    if (appel == 0 || !rappel_ || appels_rendus_.contains(appel)) return false;
    const bool ouverte =
        std::any_of(lignes_.begin(), lignes_.end(), [&](const auto& l) { return l.second == ligne; });
    if (!ouverte) return false;
    appels_vus_.insert(appel);
    // Copie : le rappel peut arrêter la téléphonie pendant qu'il s'exécute.
    const auto rappel = rappel_;
    rappel(appel, message_etat_appel, 0, etat, 0, 0);
    return true;
}

std::vector<std::uint32_t> TelephonieSimulee::lignes_ouvertes() const {
    std::vector<std::uint32_t> indices;
    for (const auto& [poignee, indice] : lignes_) indices.push_back(indice);
    std::sort(indices.begin(), indices.end());
    return indices;
}

std::set<PoigneeTapi> TelephonieSimulee::appels_non_liberes() const {
    std::set<PoigneeTapi> restants;
    std::set_difference(appels_vus_.begin(), appels_vus_.end(), appels_rendus_.begin(), appels_rendus_.end(),
                        std::inserter(restants, restants.end()));
    return restants;
}

}  // namespace lumi
