#include "platform/simulation/programmation_simulee.hpp"

namespace lumi {

std::vector<FenetreSysteme> FenetresSimulees::fenetres() const {
    std::vector<FenetreSysteme> liste;
    if (!disponible_) return liste;
    for (const auto& [numero, f] : fenetres_) liste.push_back({numero, f.titre});
    return liste;
}

std::uint64_t FenetresSimulees::chercher(std::string_view titre) const {
    if (!disponible_) return 0;
    for (const auto& [numero, f] : fenetres_) {
        if (f.titre == titre) return numero;
    }
    return 0;
}

bool FenetresSimulees::active(std::uint64_t numero) const {
    const auto it = fenetres_.find(numero);
    return disponible_ && it != fenetres_.end() && it->second.active;
}

std::uint64_t FenetresSimulees::ouvrir(std::string titre) {
    const std::uint64_t numero = prochain_++;
    fenetres_[numero] = {std::move(titre), true};
    return numero;
}

void FenetresSimulees::desactiver(std::uint64_t numero, bool inactive) {
    const auto it = fenetres_.find(numero);
    if (it != fenetres_.end()) it->second.active = !inactive;
}

void EcransSimules::ouvrir_decompte() {
    decompte_ = std::make_unique<ModeleTcofirmForm>(programmation_);
    journal.push_back("decompte=" + decompte_->texte);
    decompte_->FormActivate();
    journal.push_back("legende=" + decompte_->caption);
    ordonnanceur_.planifier_dans(ModeleTcofirmForm::intervalle_ms, [this] { tic(); });
}

void EcransSimules::tic() {
    if (!decompte_ || !decompte_->minuterie_active) return;
    const std::string avant = decompte_->caption;
    const bool fini = decompte_->Timer1Timer();
    if (decompte_->caption != avant) journal.push_back("legende=" + decompte_->caption);
    if (!fini) {
        ordonnanceur_.planifier_dans(ModeleTcofirmForm::intervalle_ms, [this] { tic(); });
        return;
    }
    // Comme le bouton : la fenêtre cachée avant le raccrochage.
    journal.emplace_back("decompte_cache");
    decompte_->SeDeconnecter();
}

void EcransSimules::annuler_decompte() {
    if (!decompte_) return;
    decompte_->Annuler();
    journal.emplace_back("decompte_annule");
}

void EcransSimules::montrer_deconnexion(std::string_view texte) {
    journal.push_back("fenetre=" + std::string(texte));
}

void EcransSimules::fermer_deconnexion() {
    journal.emplace_back("fenetre_fermee");
}

void EcransSimules::attendre(int ms) {
    journal.push_back("attente=" + std::to_string(ms));
    if (pendant_attente) pendant_attente();
}

}  // namespace lumi
