#include "actions/telechargements.hpp"

#include <algorithm>
#include <array>

#include "base/decimal.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

constexpr std::array<std::array<std::string_view, 3>, 6> rangees_progression{{
    {"%", "sur", "téléchargés"},
    {"Ko", "sur", "copiés"},
    {"Mo", "sur", "copiés"},
    {"%", "of", "Completed"},
    {"KB", "of", "Copied"},
    {"MB", "of", "Copied"},
}};

constexpr std::array<std::string_view, 3> titres_fixes{"Téléchargement de fichier", "Saving location",
                                                       "Enregistrement de l'adresse"};
constexpr std::array<std::string_view, 2> titres_termines{"Téléchargement terminé", "Download complete"};

// 255 caractères au plus, sans couper un caractère UTF-8.
std::string_view tronquer_titre(std::string_view titre) {
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < titre.size(); ++i) {
        if ((static_cast<unsigned char>(titre[i]) & 0xC0) == 0x80) continue;
        if (caracteres == longueur_max_titre) return titre.substr(0, i);
        ++caracteres;
    }
    return titre;
}

}  // namespace

bool titre_de_progression(std::string_view titre) {
    return std::any_of(rangees_progression.begin(), rangees_progression.end(), [&](const auto& rangee) {
        return std::all_of(rangee.begin(), rangee.end(), [&](std::string_view texte) {
            return titre.find(texte) != std::string_view::npos;
        });
    });
}

const FenetresSysteme& FenetresALaDemande::reelles() const {
    if (reelles_ == nullptr) reelles_ = fabrique_();
    return *reelles_;
}

SurveillanceTelechargements::SurveillanceTelechargements(const Horloge& horloge, const FichierIni& reglages,
                                                         const FenetresSysteme* fenetres,
                                                         const TraficReseau* trafic)
    : horloge_(horloge), fenetres_(fenetres), trafic_(trafic) {
    for (const auto titre : titres_fixes) {
        titres_.emplace_back(titre);
        etats_.emplace_back("0");
    }
    const int nombre = lire_entier(lire(reglages, parametres::nb_de_fiches)).value_or(0);
    for (int n = 1; n <= nombre; ++n) {
        std::string titre =
            reglages.lire(parametres::section_deconnexion_fin_telechargement, "fiche " + std::to_string(n));
        if (titre.empty()) continue;
        titres_.push_back(std::move(titre));
        etats_.emplace_back("0");
    }
    // Un débit illisible ou négatif garde le défaut plutôt que de couper la surveillance en silence.
    const auto debit = lire_entier(lire(reglages, parametres::debit_minimum));
    if (debit && *debit >= 0) debit_minimum_ = static_cast<std::uint64_t>(*debit);
}

void SurveillanceTelechargements::decouvrir() {
    if (fenetres_ == nullptr) return;
    for (const auto& fenetre : fenetres_->fenetres()) decouvrir(fenetre);
}

void SurveillanceTelechargements::decouvrir(const FenetreSysteme& fenetre) {
    if (fenetre.titre.empty()) return;
    const std::string_view titre = tronquer_titre(fenetre.titre);
    if (!titre_de_progression(titre)) return;
    const std::string numero = std::to_string(fenetre.numero);
    if (std::find(etats_.begin(), etats_.end(), numero) != etats_.end()) return;
    etats_.push_back(numero);
    titres_.emplace_back(titre);
}

bool SurveillanceTelechargements::telechargement_en_cours() {
    // Les deux sont toujours interrogés : le trafic a besoin de tous ses échantillons.
    const bool fenetre = fenetres_en_cours();
    const bool trafic = trafic_en_cours();
    return fenetre || trafic;
}

bool SurveillanceTelechargements::fenetres_en_cours() {
    if (fenetres_ == nullptr || !fenetres_->disponible()) return false;
    bool resultat = false;
    for (std::size_t i = 0; i < titres_.size(); ++i) {
        const std::uint64_t trouvee = fenetres_->chercher(titres_[i]);
        if (trouvee != 0 && etats_[i] == "0") etats_[i] = std::to_string(trouvee);
        if (etats_[i] == "0") continue;
        const std::uint64_t suivie = std::stoull(etats_[i]);
        if (fenetres_->active(suivie)) {
            std::uint64_t terminees = 0;
            for (const auto titre : titres_termines) terminees |= fenetres_->chercher(titre);
            if (suivie != terminees) {
                resultat = true;
                continue;
            }
        }
        const std::uint64_t remplacante = fenetres_->chercher(titres_[i]);
        if (remplacante != 0 && remplacante != suivie) {
            etats_[i] = std::to_string(remplacante);
            resultat = true;
            continue;
        }
        etats_[i] = "0";
    }
    return resultat;
}

bool SurveillanceTelechargements::trafic_en_cours() {
    if (trafic_ == nullptr || debit_minimum_ == 0) return false;
    const std::int64_t maintenant = horloge_.millisecondes();
    const auto octets = trafic_->octets_recus();
    // Interface disparue ou compteurs remis à zéro (nouvelle connexion) : on repart de rien.
    if (!octets || (!echantillons_.empty() && *octets < echantillons_.back().octets)) echantillons_.clear();
    if (!octets) return false;
    echantillons_.push_back({maintenant, *octets});
    // On garde un échantillon à la limite des dix secondes pour mesurer sur toute la fenêtre.
    while (echantillons_.size() > 2 && echantillons_[1].ms <= maintenant - fenetre_trafic_ms) {
        echantillons_.pop_front();
    }
    const auto debit = debit_moyen();
    return debit && *debit > debit_minimum_;
}

std::optional<std::uint64_t> SurveillanceTelechargements::debit_moyen() const {
    if (echantillons_.size() < 2) return std::nullopt;
    const auto& premier = echantillons_.front();
    const auto& dernier = echantillons_.back();
    // Moins d'une seconde d'écart : la mesure ne dit rien encore.
    if (dernier.ms - premier.ms < 1000) return std::nullopt;
    return (dernier.octets - premier.octets) * 1000 / static_cast<std::uint64_t>(dernier.ms - premier.ms);
}

std::string SurveillanceTelechargements::texte_surveillance() const {
    std::string texte;
    if (fenetres_ != nullptr && fenetres_->disponible()) {
        texte = "Surveillés : les fenêtres de progression";
    } else {
        texte = "Fenêtres des autres programmes invisibles ici ; surveillé :";
    }
    if (trafic_ != nullptr && debit_minimum_ > 0) {
        texte += (fenetres_ != nullptr && fenetres_->disponible()) ? " et le trafic de " : " le trafic de ";
        texte += trafic_->interface() + " (plus de " + std::to_string(debit_minimum_) + " octets/s).";
    } else if (fenetres_ != nullptr && fenetres_->disponible()) {
        texte += ".";
    } else {
        texte += " rien.";
    }
    return texte;
}

}  // namespace lumi
