#include "tariff/jauges.hpp"

#include <algorithm>

#include "base/dates.hpp"

namespace lumi {

namespace {

// Réécrit la ligne seulement si le texte change ; rend vrai dans ce cas.
bool ecrire_ligne(LignesEtat& lignes, std::size_t indice, std::string texte) {
    auto& ligne = lignes[indice];
    if (ligne == texte) return false;
    ligne = std::move(texte);
    return true;
}

// Format d'un montant suivi de la devise, avec ou sans TVA selon le réglage.
std::string montant_affiche(double montant, const ReglagesMonnaie& monnaie) {
    return formater_montant(texte_montant(montant), monnaie.ttc, 0, monnaie) + texte_devise(monnaie);
}

}  // namespace

std::string calcul_temps_en_minutes_et_secondes(std::int32_t secondes) {
    const std::int32_t m = secondes / 60;
    const std::int32_t r = secondes % 60;
    if (m == 0) return std::to_string(secondes) + " secondes";
    if (r != 0) return std::to_string(m) + " min" + std::to_string(r) + " sec";
    return std::to_string(m) + (m == 1 ? " minute" : " minutes");
}

std::string format_hms(std::int32_t secondes) {
    const std::int64_t s = secondes;
    const std::int64_t a = s < 0 ? -s : s;
    return std::string(s < 0 ? "-" : "") + champ_2(a / 3600) + "h" + champ_2((a % 3600) / 60) + "m" +
           champ_2(a % 60) + "s";
}

void regler_jauge(Jauge& jauge, std::int32_t maximum, std::int32_t position) {
    jauge.maximum = std::max<std::int32_t>(maximum, 0);
    jauge.position = std::clamp<std::int32_t>(position, 0, jauge.maximum);
}

int pourcentage(const Jauge& jauge) {
    if (jauge.maximum <= 0) return 0;
    return static_cast<int>(static_cast<std::int64_t>(jauge.position) * 100 / jauge.maximum);
}

std::optional<AppelProgression> arguments_progressbar(const tparametre_de_la_tarification& tarif,
                                                      const tparametre_de_la_reduction& option,
                                                      std::int32_t ecoule) {
    if (option.type_forfait == type_forfait_f) {
        return AppelProgression{true, option.temps_restant_forfait, option.duree_forfait, type_forfait_f,
                                ecoule};
    }
    if (option.type_forfait != type_forfait_r) return std::nullopt;
    if (tarif.credit_temps > ecoule) {
        return AppelProgression{true, tarif.credit_temps - ecoule, tarif.credit_temps, type_forfait_r,
                                ecoule};
    }
    if (tarif.pas_tarif > 1) {
        const std::int32_t apres_credit = std::max<std::int32_t>(ecoule - tarif.credit_temps, 0);
        const std::int32_t reste = tarif.pas_tarif - apres_credit % tarif.pas_tarif;
        return AppelProgression{false, reste, tarif.pas_tarif, type_forfait_r, ecoule};
    }
    return AppelProgression{false, 10, 10, type_forfait_r, ecoule};
}

bool afficher_progressbar(const AppelProgression& appel, const tparametre_de_la_tarification& tarif,
                          std::int32_t unite_decompte, Jauge& Gauge1, ZoneForfait& forfait,
                          LignesEtat& lignes) {
    bool change = false;
    if (appel.credit) {
        if (appel.type_forfait == type_forfait_r) {
            Gauge1.visible = true;
            regler_jauge(Gauge1, appel.maximum, appel.restant);
            change |= ecrire_ligne(lignes, ligne_etat::etat, "Décompte crédit temps");
            change |= ecrire_ligne(lignes, ligne_etat::detail, "");
        } else if (appel.type_forfait == type_forfait_f) {
            // Une unité nulle ou négative compte comme la seconde : pas de division par zéro.
            if (unite_decompte <= 1) {
                Gauge1.visible = false;
            } else {
                const std::int32_t e = std::max<std::int32_t>(appel.ecoule, 0);
                Gauge1.visible = true;
                regler_jauge(Gauge1, unite_decompte, (e / unite_decompte + 1) * unite_decompte - e);
            }
            regler_jauge(forfait.Gauge2, appel.maximum, appel.restant);
            forfait.temps_restant = format_hms(forfait.Gauge2.position);
            change |= ecrire_ligne(lignes, ligne_etat::etat, "Décompte forfait");
            change |=
                ecrire_ligne(lignes, ligne_etat::detail,
                             std::to_string(pourcentage(forfait.Gauge2)) + "% - " + forfait.temps_restant);
        }
        return change;
    }
    if (tarif.pas_tarif > 1) {
        Gauge1.visible = true;
        regler_jauge(Gauge1, appel.maximum, appel.restant);
        // Avant la fin du crédit temps (appel hors du top), le premier pas n'a pas commencé.
        const std::int32_t apres_credit = std::max<std::int32_t>(appel.ecoule - tarif.credit_temps, 0);
        const std::int32_t reste_du_pas = tarif.pas_tarif - apres_credit % tarif.pas_tarif;
        const std::int32_t pas_commences = apres_credit / tarif.pas_tarif + 1;
        change |= ecrire_ligne(lignes, ligne_etat::etat,
                               "Décompte unités de " + calcul_temps_en_minutes_et_secondes(tarif.pas_tarif));
        change |= ecrire_ligne(lignes, ligne_etat::detail,
                               champ_2(reste_du_pas) + " - " + std::to_string(pas_commences) + " UT");
    } else {
        Gauge1.visible = false;
        change |= ecrire_ligne(lignes, ligne_etat::etat, "Tarification à la seconde");
        change |= ecrire_ligne(lignes, ligne_etat::detail, "");
    }
    return change;
}

bool affichage_message_reduc_normales(const tparametre_de_la_reduction& option, std::int32_t duree_connexion,
                                      float montant_reduction, const ReglagesMonnaie& monnaie,
                                      LignesEtat& lignes) {
    std::string pour_cent;
    if (option.t[1] == 0) {
        pour_cent = std::to_string(option.taux);
    } else {
        pour_cent = "00";
        for (int w = 1; w <= 3; ++w) {
            if (option.dt[static_cast<std::size_t>(w)] <= duree_connexion) {
                pour_cent = std::to_string(option.t[static_cast<std::size_t>(w)]);
            }
        }
    }
    bool change = ecrire_ligne(lignes, ligne_etat::titre_reduction, "Réduction en cours :");
    change |= ecrire_ligne(lignes, ligne_etat::reduction,
                           "- " + pour_cent + "% = - " + montant_affiche(montant_reduction, monnaie));
    return change;
}

}  // namespace lumi
