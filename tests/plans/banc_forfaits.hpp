#pragma once
// Banc d'essai des forfaits : le choix, le décompte et les remises à zéro sur un registre en mémoire,
// une horloge réglée à la main et des espions pour le son, la jauge et l'avis de fin de forfait.
#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "plans/forfait.hpp"
#include "plans/raz_forfaits.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/chargeur.hpp"

namespace lumi::essais {

inline const std::string fichier_tarifs_forfaits = LUMI_DONNEES_TESTS "/plans_tarifs.ini";
inline const std::string fichier_reglages_forfaits = LUMI_DONNEES_TESTS "/plans_reglages.ini";
inline const std::filesystem::path fichier_alarme = "/donnees/alarme.wav";

class AffichageEspion final : public AffichageTarifaire {
public:
    void mise_a_jour_affichage_tarifications() override { ++rafraichissements; }
    int rafraichissements = 0;
};

class SonEspion final : public Son {
public:
    void jouer(const std::filesystem::path& wav) override { joues.push_back(wav); }
    std::vector<std::filesystem::path> joues;
};

class EffetsEspion final : public EffetsForfait {
public:
    void afficher_jauge_forfait(std::int32_t restant, std::int32_t duree) override {
        jauges.emplace_back(restant, duree);
    }
    bool sauvegardes_crash_actives() const override { return anti_crash; }
    void montrer_fin_forfait(const ModeleFinForfait& modele) override { avis.push_back(modele); }

    bool anti_crash = true;
    std::vector<std::pair<std::int32_t, std::int32_t>> jauges;
    std::vector<ModeleFinForfait> avis;
};

struct BancForfaits {
    explicit BancForfaits(Moment maintenant = {numero_jour(std::chrono::year{2000} / 3 / 20), 43200},
                          std::filesystem::path reglages = fichier_reglages_forfaits)
        : horloge(maintenant),
          moteur(fichier_tarifs_forfaits, registre),
          raz(registre, selecteur, horloge, reglages) {
        const FichierIni ini(fichier_tarifs_forfaits);
        choix.ComboBox2.lignes = lire_liste_des_tarifications(ini);
        choix.ComboBox3.lignes = {"Sélection automatique et mode manuel"};
        for (auto& l : lecture_liste_reduc_tarifaires(ini, true)) choix.ComboBox3.lignes.push_back(l);
        choix.ComboBox3.position = 0;
        choix.tarif_en_cours = "Local";  // un programme démarré a toujours un tarif
    }

    void accorder(std::initializer_list<std::string_view> options) {
        for (auto o : options) registre.ecrire_valeur(cles::cle_provider(provider), o, "oui");
    }
    void ranger_temps(std::string_view reference, std::string_view texte) {
        registre.ecrire_valeur(cles::section(cles::forfaits), parametres::nom_time(reference), texte);
    }
    // "" quand la valeur manque.
    std::string temps_range(std::string_view reference) const {
        return registre.lire_valeur(cles::section(cles::forfaits), parametres::nom_time(reference));
    }
    std::string date_rangee(std::string_view reference) const {
        return registre.lire_valeur(cles::section(cles::forfaits_raz), reference);
    }
    // Début d'une connexion : compteurs remis à zéro puis choix pour le fournisseur.
    void connecter() {
        etat.debut_de_connexion();
        selecteur.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(provider);
    }
    const tparametre_de_la_reduction& forfait() const { return moteur.reduction(); }

    std::string provider = "MonFAI";
    RegistreMemoire registre;
    HorlogeFactice horloge;
    MoteurTarifaire moteur;
    ChoixTarifaire choix;
    AffichageEspion affichage;
    SelecteurTarifaire selecteur{choix, moteur, registre, horloge, affichage};
    EtatForfait etat;
    SonEspion son;
    EffetsEspion effets;
    DecompteForfait decompte{etat, selecteur, registre, horloge, son, effets, fichier_alarme};
    ReinitialisationForfaits raz;
};

}  // namespace lumi::essais
