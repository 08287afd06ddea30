#include "tariff/choix_option.hpp"

#include <algorithm>

#include "base/decimal.hpp"
#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/calendrier.hpp"
#include "tariff/chargeur.hpp"

namespace lumi {

namespace {

// Un compte aberrant (nb_total_options=2000000000) ne doit pas figer le choix.
constexpr int nb_max_options = 10000;

int nombre_options(const FichierIni& ini) {
    return std::clamp(nombre_options_tarifaires(ini), 0, nb_max_options);
}

}  // namespace

bool est_option_fl_ou_fla(std::string_view reference) {
    return reference == "FL" || reference == "FLA";
}

std::string ListeDeroulante::texte() const {
    if (position < 0 || position >= static_cast<int>(lignes.size())) return {};
    return lignes[static_cast<std::size_t>(position)];
}

int ListeDeroulante::indice(std::string_view texte) const {
    // Comme la recherche d'une liste de la fenêtre : sans casse, les noms de tarifs étant des noms
    // de section.
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        if (egal_sans_casse(lignes[i], texte)) return static_cast<int>(i);
    }
    return -1;
}

SelecteurTarifaire::SelecteurTarifaire(ChoixTarifaire& choix, MoteurTarifaire& moteur, Registre& registre,
                                       const Horloge& horloge, AffichageTarifaire& affichage)
    : choix_(choix), moteur_(moteur), registre_(registre), horloge_(horloge), affichage_(affichage) {}

void SelecteurTarifaire::selection_au_demarrage() {
    const FichierIni ini(moteur_.fichier_tarifs());
    std::vector<std::string> options{std::string(textes_choix::selection_automatique)};
    for (auto& ligne : lecture_liste_reduc_tarifaires(ini, true)) options.push_back(std::move(ligne));
    choix_.ComboBox3.lignes = std::move(options);
    choix_.ComboBox2.lignes = lire_liste_des_tarifications(ini);

    // Le dernier tarif s'il est dans la liste, sinon le premier.
    const auto dernier = lire(registre_, parametres::dernier_tarif);
    choix_.ComboBox2.position = choix_.ComboBox2.indice(dernier);
    if (choix_.ComboBox2.position >= 0) {
        choix_.tarif_en_cours = dernier;
    } else if (!choix_.ComboBox2.lignes.empty()) {
        choix_.ComboBox2.position = 0;
        choix_.tarif_en_cours = choix_.ComboBox2.lignes.front();
    } else {
        choix_.tarif_en_cours = dernier;
    }

    // Une position illisible ou hors de la liste vaut le mode automatique.
    const auto position = lire_entier(lire(registre_, parametres::derniere_reduc)).value_or(0);
    const int nb_lignes = static_cast<int>(choix_.ComboBox3.lignes.size());
    choix_.ComboBox3.position = (position < 0 || position >= nb_lignes) ? 0 : position;
    if (choix_.ComboBox3.position >= 2) {
        choix_.forfait_en_cours = lire_option_tarifaire(ini, choix_.ComboBox3.position - 1, "ref");
    } else if (choix_.ComboBox3.position == 1) {
        choix_.forfait_en_cours.clear();
    }
    action_tarification_reduction_changer(EmetteurChangement::autre);
}

void SelecteurTarifaire::selection_tarif_et_reduction_en_cours_par_rapport_au_provider(
    std::string_view provider) {
    // Le mode automatique reste affiché tel quel : fournisseur absent, ou liste des options sur
    // son entrée 0 (sinon une connexion ferait quitter le mode automatique à la liste).
    const bool automatique = provider == textes_choix::selection_automatique ||
                             choix_.forfait_en_cours == textes_choix::option_automatique ||
                             choix_.mode_automatique();
    const FichierIni ini(moteur_.fichier_tarifs());
    const auto cle_provider = cles::cle_provider(provider);
    const auto cle_forfaits = cles::section(cles::forfaits);
    const Moment maintenant = horloge_.maintenant();
    const int jour = moteur_.get_day_of_week_jours_feries(maintenant.jour);

    int meilleure = 0;  // une priorité strictement plus haute est nécessaire
    int choisie = 0;    // numéro de l'option choisie, 0 = aucune
    std::string tarif;
    std::string texte;
    const int nb = nombre_options(ini);
    for (int i = 1; i <= nb; ++i) {
        const auto reference = lire_option_tarifaire(ini, i, "ref");
        if (reference.empty()) continue;  // aucune valeur ne peut accorder une option sans nom
        const int priorite = lire_entier_tarifs(ini, reference, "priorite", "");
        if (priorite <= meilleure) continue;
        if (registre_.lire_valeur(cle_provider, reference) != "oui") continue;

        const auto listes = lire_3_listes_plages_horaires(ini, reference);
        const int liste = lumi::get_nb_plage_horaire_par_rapport_au_jour_passe(jour, listes);
        const int bande = lumi::bande_courante(listes, liste, maintenant.seconde);
        if (bande == 0) continue;  // l'option ne s'applique pas à cette heure

        // Le tarif et le texte sont ceux de l'option qui l'emporte, jamais ceux d'une option
        // moins prioritaire vue avant elle.
        auto type = ini.lire(reference, "type", "R");
        if (type.empty()) type = "R";
        if (type == "F") {
            if (registre_.lire_valeur(cle_forfaits, parametres::nom_time(reference)) != "0") {
                meilleure = priorite;
                choisie = i;
                tarif.clear();
                texte.clear();
            } else if (auto relais = ini.lire(reference, "tariff"); !relais.empty()) {
                // Forfait épuisé : son tarif de relais s'applique sans option.
                meilleure = priorite;
                choisie = 0;
                tarif = std::move(relais);
                texte = ini.lire(reference, "texteff");
            }
        } else if (type == "Fi") {
            meilleure = priorite;
            choisie = i;
            tarif = ini.lire(reference, "tariff");
            texte = bande == 1 ? ini.lire(reference, "texteff") : std::string();
        } else {
            meilleure = priorite;
            choisie = i;
            tarif.clear();
            texte.clear();
        }
    }

    if (tarif.empty() && choisie > 0) tarif = lire_option_tarifaire(ini, choisie, "tarif");
    if (tarif.empty()) tarif = registre_.lire_valeur(cle_provider, "tarification");
    if (tarif.empty()) tarif = std::string(textes_choix::tarif_par_defaut);

    if (choix_.ComboBox2.lignes.empty()) choix_.ComboBox2.lignes = lire_liste_des_tarifications(ini);
    int position_tarif = choix_.ComboBox2.indice(tarif);
    if (position_tarif < 0 && !choix_.ComboBox2.lignes.empty()) {
        position_tarif = 0;
        tarif = choix_.ComboBox2.lignes.front();
    }
    const auto option = choisie > 0 ? lire_option_tarifaire(ini, choisie, "ref") : std::string();

    // Rechargement d'abord : en cas d'erreur, rien n'a changé.
    moteur_.lecture_parametres_tarification_en_cours_2000(tarif, option);
    choix_.tarif_en_cours = tarif;
    choix_.forfait_en_cours = option;
    choix_.ComboBox2.position = position_tarif;

    if (choisie > 0 && automatique) {
        const auto entree = static_cast<std::size_t>(choisie) + 1;
        choix_.libelle_option = entree < choix_.ComboBox3.lignes.size()
                                    ? choix_.ComboBox3.lignes[entree]
                                    : lire_option_tarifaire(ini, choisie, "designation");
    } else if (choisie > 0) {
        choix_.ComboBox3.position = choisie + 1;
        choix_.libelle_option = lire_option_tarifaire(ini, choisie, "designation") + "   ";
    } else {
        choix_.libelle_option = std::string(textes_choix::aucune_option);
    }
    if (!texte.empty()) choix_.libelle_option = texte;
    choix_.libelle_tarif = libelle_tarif_en_vigueur(tarif);
    affichage_.mise_a_jour_affichage_tarifications();
}

void SelecteurTarifaire::action_tarification_reduction_changer(EmetteurChangement emetteur) {
    const FichierIni ini(moteur_.fichier_tarifs());
    std::string option = choix_.forfait_en_cours;
    std::string tarif = choix_.tarif_en_cours;
    int position_options = choix_.ComboBox3.position;
    int position_tarifs = choix_.ComboBox2.position;
    bool bouton_tarifs = choix_.SpeedButton15_visible;

    if (emetteur == EmetteurChangement::liste_options) {
        const int k = position_options;
        if (k <= 0) {
            traitement_mode_auto();
            return;
        }
        option = k >= 2 ? lire_option_tarifaire(ini, k - 1, "ref") : std::string();
        bouton_tarifs = true;
        if (auto tarif_option = lire_option_tarifaire(ini, k - 1, "tarif"); !tarif_option.empty()) {
            tarif = std::move(tarif_option);
            position_tarifs = choix_.ComboBox2.indice(tarif);
        }
    } else if (position_options == 0) {
        traitement_mode_auto();
        return;
    }

    if (emetteur == EmetteurChangement::liste_tarifs) {
        tarif = choix_.ComboBox2.texte();
        // Un tarif qui n'admet pas l'option en cours la retire (sauf "FL" et "FLA").
        const auto compatible = GetTarification(ini, tarif).reduc_compatible;
        const bool forfait_f = !option.empty() && ini.lire(option, "type") == "F";
        if ((compatible == "none" || (compatible == "noforfait" && forfait_f)) &&
            !est_option_fl_ou_fla(option)) {
            option.clear();
            position_options = 1;
        }
    }

    moteur_.lecture_parametres_tarification_en_cours_2000(tarif, option);
    choix_.tarif_en_cours = tarif;
    choix_.forfait_en_cours = option;
    choix_.ComboBox3.position = position_options;
    choix_.ComboBox2.position = position_tarifs;
    choix_.SpeedButton15_visible = bouton_tarifs;

    ecrire(registre_, parametres::derniere_reduc, std::to_string(position_options));
    ecrire(registre_, parametres::dernier_tarif, tarif);
    affichage_.mise_a_jour_affichage_tarifications();

    choix_.libelle_option = choix_.ComboBox3.texte() + "  ";
    choix_.libelle_tarif = libelle_tarif_en_vigueur(tarif);
}

void SelecteurTarifaire::traitement_mode_auto() {
    choix_.ComboBox3.position = 0;
    selection_tarif_et_reduction_en_cours_par_rapport_au_provider(textes_choix::selection_automatique);
    choix_.SpeedButton15_visible = false;
    ecrire(registre_, parametres::derniere_reduc, "0");
}

void SelecteurTarifaire::recharger() {
    moteur_.lecture_parametres_tarification_en_cours_2000(choix_.tarif_en_cours, choix_.forfait_en_cours);
    affichage_.mise_a_jour_affichage_tarifications();
}

void SelecteurTarifaire::recharger(std::string_view tarif, std::string_view option) {
    moteur_.lecture_parametres_tarification_en_cours_2000(tarif, option);
    choix_.tarif_en_cours = std::string(tarif);
    choix_.forfait_en_cours = std::string(option);
    affichage_.mise_a_jour_affichage_tarifications();
}

std::string SelecteurTarifaire::libelle_tarif_en_vigueur(std::string_view tarif) const {
    const auto& option = moteur_.reduction();
    if (!option.nom.empty()) {
        if (option.type_forfait == type_forfait_f && !est_option_fl_ou_fla(option.nom)) {
            return std::string(textes_choix::points_forfait);
        }
        if (option.type_forfait == type_forfait_fi) {
            const Moment maintenant = horloge_.maintenant();
            if (moteur_.plage_en_vigueur(maintenant.jour, maintenant.seconde) != 1) {
                return std::string(textes_choix::points_forfait_fi);
            }
        }
    }
    return std::string(tarif) + "  ";
}

}  // namespace lumi
