#pragma once
// Un compteur d'essai : dossier de données temporaire (tarifs et réglages d'essai, alarme.wav),
// magasin en mémoire (ou SQLite), et le banc simulé qui mène les minuteries.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../commun/soutien.hpp"
#include "base/dates.hpp"
#include "platform/simulation/banc_compteur.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi::essai {

inline NumeroJour jour(int annee, unsigned mois, unsigned j) {
    return numero_jour(std::chrono::year{annee} / std::chrono::month{mois} / std::chrono::day{j});
}

// 10/03/2000 est un vendredi.
inline Moment le_10_mars(int h, int m, int s) {
    return {jour(2000, 3, 10), seconde_du_jour(h, m, s)};
}

// Le dossier de données des essais du compteur.
class DossierCompteur {
public:
    explicit DossierCompteur(std::string_view tarifs = "compteur_tarifs.ini") {
        std::filesystem::copy_file(std::filesystem::path(LUMI_DONNEES_TESTS) / tarifs,
                                   dossier_ / "tarifs.ini");
        std::filesystem::copy_file(std::filesystem::path(LUMI_DONNEES_TESTS) / "compteur_reglages.ini",
                                   dossier_ / "lumicompteur.ini");
        ecrire_octets(dossier_ / "alarme.wav", "RIFF");
    }
    const std::filesystem::path& chemin() const { return dossier_.chemin(); }
    std::filesystem::path operator/(const std::string& nom) const { return dossier_ / nom; }

private:
    DossierTemporaire dossier_{"lumi-compteur"};
};

class EssaiCompteur {
public:
    // Le banc n'est créé qu'au démarrage : un essai règle d'abord le magasin et les fichiers.
    explicit EssaiCompteur(Moment depart, Registre* registre = nullptr,
                           std::string_view tarifs = "compteur_tarifs.ini")
        : dossier(tarifs), depart_(depart), registre_(registre ? registre : &memoire) {}

    Registre& registre() { return *registre_; }
    void ecrire(std::string_view section, std::string_view nom, std::string_view valeur) {
        registre().ecrire_valeur(cles::section(section), nom, valeur);
    }
    std::string lire(std::string_view section, std::string_view nom) {
        return registre().lire_valeur(cles::section(section), nom);
    }
    void accorder(std::string_view entree, std::initializer_list<std::string_view> options) {
        for (auto o : options) registre().ecrire_valeur(cles::cle_provider(entree), o, "oui");
    }

    BancCompteur& demarrer(ReglagesCompteur reglages = {}) {
        banc = std::make_unique<BancCompteur>(depart_, registre(), dossier.chemin(), std::move(reglages));
        banc->compteur.enregistrer_historique = [this] { ++historiques; };
        banc->compteur.enregistrer_parametres_de_sauvegarde = [this] {
            instantanes.push_back(banc->horloge.millisecondes());
        };
        banc->demarrer();
        return *banc;
    }

    // Une connexion de `entree` : numérotation 2,5 s avant l'authentification (à `debut_ms` du
    // compteur monotone), connectée une seconde après, disparue à `fin_ms`.
    void connexion(std::string_view entree, std::int64_t debut_ms, std::int64_t fin_ms) {
        banc->acces.ajouter_connexion(std::string(entree),
                                      {{debut_ms - 2500, etat_ras_connexion_peripherique, 0},
                                       {debut_ms, etat_ras_authentification, 0},
                                       {debut_ms + 1000, etat_ras_connecte, 0},
                                       {fin_ms, etat_aucune_connexion, 0}});
        banc->relayer_connexions();
    }
    // Une numérotation qui échoue avant l'authentification.
    void echec(std::string_view entree, std::int64_t debut_ms, std::int64_t fin_ms) {
        banc->acces.ajouter_connexion(std::string(entree), {{debut_ms, etat_ras_connexion_peripherique, 0},
                                                            {fin_ms, etat_aucune_connexion, 0}});
        banc->relayer_connexions();
    }

    Compteur& compteur() { return banc->compteur; }
    const EtatCompteur& etat() { return banc->compteur.etat(); }
    const ModeleTForm1& fenetre() { return banc->compteur.fenetre(); }
    const std::string& ligne(int i) { return fenetre().lignes_etat[static_cast<std::size_t>(i)]; }
    // Les textes des boîtes montrées, dans l'ordre.
    std::vector<std::string> boites() {
        std::vector<std::string> textes;
        for (const auto& b : banc->dialogue.boites()) textes.push_back(b.texte);
        return textes;
    }

    DossierCompteur dossier;
    RegistreMemoire memoire;
    std::unique_ptr<BancCompteur> banc;
    int historiques = 0;
    std::vector<std::int64_t> instantanes;

private:
    Moment depart_;
    Registre* registre_;
};

}  // namespace lumi::essai
