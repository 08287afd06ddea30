#include "core/accueil/modele_accueil.hpp"

#include <system_error>

namespace fs = std::filesystem;

namespace lumi {

ModeleAccueil::ModeleAccueil(Coutures coutures) : c_(std::move(coutures)) {}

std::string ModeleAccueil::message(int numero) const {
    return message_utilisateur(c_.reglages, numero);
}

std::string ModeleAccueil::messages(int premier, int dernier) const {
    std::string texte;
    for (int n = premier; n <= dernier; ++n) {
        if (!texte.empty()) texte += ' ';
        texte += message(n);
    }
    return texte;
}

ContenuPage ModeleAccueil::contenu() const {
    switch (page_) {
        case PageAccueil::bienvenue:
            return {message(102), messages(103, 107), std::string(avertissement_accueil)};
        case PageAccueil::recherche:
            return {{}, message(99) + " " + message(100), message(93)};
        case PageAccueil::manuelle:
            return {{}, messages(90, 92), {}};
        case PageAccueil::liste:
            return {{}, message(96), message(97) + "\n" + message(98)};
        case PageAccueil::copies: {
            // Ce qui n'a pas pu être copié est dit ici : le fichier déjà là est resté intact.
            std::string note;
            for (const auto& [nom, raison] : copie_.echecs) {
                note += (note.empty() ? "Fichiers non copiés :\n" : "") + nom + " : " + raison + "\n";
            }
            if (!note.empty()) note.pop_back();
            return {{}, message(101), note};
        }
        case PageAccueil::fin_import:
            return {{}, messages(108, 112), {}};
        case PageAccueil::derniere:
            return {{}, messages(113, 117), std::string(bonne_utilisation)};
    }
    return {};
}

BoutonsAccueil ModeleAccueil::boutons() const {
    BoutonsAccueil b;
    switch (page_) {
        case PageAccueil::recherche:
            b.annuler = true;
            break;
        case PageAccueil::manuelle: {
            b.annuler = true;
            std::error_code ec;
            b.suivant_actif = !chemin_manuel_.empty() && fs::is_directory(chemin_manuel_, ec);
            break;
        }
        case PageAccueil::derniere:
            b.suivant = false;
            b.suivant_actif = false;
            b.terminer_actif = true;
            break;
        default:
            break;
    }
    return b;
}

void ModeleAccueil::choisir_dossier(const fs::path& dossier) {
    chemin_manuel_ = dossier.string();
}

void ModeleAccueil::montrer_manuelle() {
    trouves_ = {};
    page_ = PageAccueil::manuelle;
}

void ModeleAccueil::suivant() {
    switch (page_) {
        case PageAccueil::bienvenue:
            page_ = PageAccueil::recherche;
            break;
        case PageAccueil::recherche:
            trouves_ = recherche_automatique(c_.environnement, c_.registre);
            if (trouves_.source) {
                page_ = PageAccueil::liste;
            } else {
                montrer_manuelle();
            }
            break;
        case PageAccueil::manuelle: {
            if (!boutons().suivant_actif) break;
            auto trouves = recherche_dans_dossier(chemin_manuel_);
            if (!trouves.source) {
                c_.dialogue.avertissement(message(94) + "\n" + message(95));
                chemin_manuel_.clear();
                break;
            }
            trouves_ = std::move(trouves);
            page_ = PageAccueil::liste;
            break;
        }
        case PageAccueil::liste:
            copie_ = copie_des_fichiers(*trouves_.source, trouves_.fichiers, c_.historique,
                                        [this](const std::string& texte) { return c_.dialogue.question(texte, true); });
            page_ = PageAccueil::copies;
            break;
        case PageAccueil::copies:
            page_ = PageAccueil::fin_import;
            break;
        case PageAccueil::fin_import:
            page_ = PageAccueil::derniere;
            break;
        case PageAccueil::derniere:
            break;
    }
}

void ModeleAccueil::annuler() {
    if (page_ == PageAccueil::recherche || page_ == PageAccueil::manuelle) page_ = PageAccueil::fin_import;
}

}  // namespace lumi
