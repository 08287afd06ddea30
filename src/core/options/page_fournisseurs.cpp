#include "core/options/page_fournisseurs.hpp"

#include <algorithm>
#include <exception>

#include "actions/acces_distant.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"
#include "tariff/chargeur.hpp"

namespace lumi {

std::string textes_fournisseurs::conflit(std::string_view option, std::string_view option_deja_cochee) {
    return "Attention, pour un même fournisseur d'accès, vous ne pouvez pas\rêtre abonné(e) à ces deux "
           "réductions tarifaires en même temps :\r\r- " +
           std::string(option) + "\r- " + std::string(option_deja_cochee);
}

void PageFournisseurs::charger(Registre& registre, const AccesDistant& acces, const FichierIni& tarifs) {
    registre_ = &registre;
    tarifs_ini_ = &tarifs;
    modifiee_ = false;
    fournisseur_ = -1;
    tarif_ = -1;
    tarifs_.clear();
    options_.clear();
    fournisseurs_ = {std::string(cles::provider_selection_auto)};
    std::vector<std::string> annuaire;
    try {
        annuaire = acces.entrees_annuaire();
    } catch (const std::exception&) {
        // Un annuaire illisible : l'entrée fixe seule, comme sans entrée.
    }
    for (auto& e : annuaire) {
        if (!e.empty() && std::find(fournisseurs_.begin(), fournisseurs_.end(), e) == fournisseurs_.end()) {
            fournisseurs_.push_back(std::move(e));
        }
    }
    for (const auto& f : fournisseurs_) {
        registre.copier_arborescence(cles::cle_provider(f), cles::cle_provider(f, cles::temp_providers), false);
    }

    tarifs_.clear();
    for (auto& nom : lire_liste_des_tarifications(tarifs)) {
        if (tarifs.lire(nom, "options") != "hide") tarifs_.push_back(std::move(nom));
    }
    lire_options();
    choisir_fournisseur(0);

    // Les entrées qui ont quitté l'annuaire perdent leurs réglages à la validation.
    for (const auto& nom : registre.lister_sous_cles(cles::section(cles::temp_providers))) {
        const bool present = std::any_of(fournisseurs_.begin(), fournisseurs_.end(),
                                         [&](const std::string& f) { return f == nom; });
        if (!present) registre.effacer_arborescence(cles::cle_provider(nom, cles::temp_providers));
    }
    modifiee_ = false;
}

void PageFournisseurs::lire_options() {
    options_.clear();
    const int nombre = std::min(nombre_options_tarifaires(*tarifs_ini_), 500);
    for (int k = 1; k <= nombre; ++k) {
        const std::string ref = lire_option_tarifaire(*tarifs_ini_, k, "ref");
        // Sans référence, l'option n'a rien à ranger : pas d'interrupteur.
        if (ref.empty()) continue;
        options_.push_back({k, ref, tarifs_ini_->lire(ref, "designation"), tarifs_ini_->lire(ref, "priorite")});
    }
}

std::string PageFournisseurs::cle() const {
    return cles::cle_provider(fournisseurs_[static_cast<std::size_t>(fournisseur_)], cles::temp_providers);
}

void PageFournisseurs::choisir_fournisseur(int position) {
    if (position < 0 || position >= static_cast<int>(fournisseurs_.size())) return;
    fournisseur_ = position;
    const std::string tarification = registre_->lire_valeur(cle(), "tarification");
    const auto it = std::find(tarifs_.begin(), tarifs_.end(), tarification);
    tarif_ = tarifs_.empty() ? -1 : it == tarifs_.end() ? 0 : static_cast<int>(it - tarifs_.begin());
    for (auto& o : options_) o.coche = registre_->lire_valeur(cle(), o.reference) == "oui";
}

std::string PageFournisseurs::choisir_tarif(int position) {
    if (fournisseur_ < 0 || position < 0 || position >= static_cast<int>(tarifs_.size())) return {};
    tarif_ = position;
    const std::string& nom = tarifs_[static_cast<std::size_t>(position)];
    registre_->ecrire_valeur(cle(), "tarification", nom);
    modifiee_ = true;
    const std::string options = tarifs_ini_->lire(nom, "options", "hide");
    if (options == "hide") return {};
    const auto m = lire_entier_tarifs(*tarifs_ini_, nom, "options", "0");
    const FichierIni reglages(tarifs_ini_->chemin().parent_path() / fichier_reglages);
    std::string texte;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) texte += "\r";
        texte += message_utilisateur(reglages, m + i);
    }
    return texte;
}

std::string PageFournisseurs::cocher(std::size_t indice, bool coche) {
    if (fournisseur_ < 0 || indice >= options_.size()) return {};
    auto& o = options_[indice];
    modifiee_ = true;
    if (!coche) {
        o.coche = false;
        registre_->effacer_valeur(cle(), o.reference);
        return {};
    }
    // L'option déjà cochée l'emporte : la nouvelle est refusée.
    for (const auto& autre : options_) {
        if (&autre != &o && autre.coche && autre.priorite == o.priorite) {
            o.coche = false;
            registre_->effacer_valeur(cle(), o.reference);
            return textes_fournisseurs::conflit(o.designation, autre.designation);
        }
    }
    o.coche = true;
    registre_->ecrire_valeur(cle(), o.reference, "oui");
    return {};
}

std::string PageFournisseurs::anticipation() const {
    return fournisseur_ < 0 ? std::string() : registre_->lire_valeur(cle(), "anticipation");
}

void PageFournisseurs::definir_anticipation(const std::string& secondes) {
    if (fournisseur_ < 0) return;
    registre_->ecrire_valeur(cle(), "anticipation", secondes);
    modifiee_ = true;
}

// --- Tdelaiform ---

ModeleTdelaiform::ModeleTdelaiform(std::string fournisseur, const std::string& anticipation)
    : fournisseur_(std::move(fournisseur)), champ_(anticipation.empty() ? "0" : anticipation) {}

bool ModeleTdelaiform::touche_acceptee(char32_t c) {
    return (c >= U'0' && c <= U'9') || c == U'\b' || c == U'\r';
}

bool ModeleTdelaiform::saisir(std::string_view texte) {
    if (texte.size() > 3 || !std::all_of(texte.begin(), texte.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    if (texte != champ_) modifie_ = true;
    champ_ = std::string(texte);
    return true;
}

}  // namespace lumi
