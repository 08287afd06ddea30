#include "tariff/moteur_tarifaire.hpp"

#include <limits>

#include "base/erreurs.hpp"
#include "settings/fichier_ini.hpp"
#include "tariff/calendrier.hpp"
#include "tariff/chargeur.hpp"

namespace lumi {

namespace {

bool est_absent(const std::filesystem::path& chemin) {
    std::error_code ec;
    return std::filesystem::status(chemin, ec).type() == std::filesystem::file_type::not_found;
}

// Le tarif ou l'option nommé doit avoir sa section : sinon, tout à zéro et sans plages, le prix
// serait nul ou impossible.
void exiger_section(const FichierIni& ini, std::string_view quoi, std::string_view nom) {
    if (ini.section_existe(nom)) return;
    const std::string fichier = "le fichier des tarifs « " + ini.chemin().string() + " »";
    if (nom.empty()) throw ErreurConversion("Aucun tarif n'est choisi dans " + fichier + ".");
    throw ErreurConversion(std::string(quoi) + " « " + std::string(nom) + " » n'a pas de section [" +
                           std::string(nom) + "] dans " + fichier + ".");
}

}  // namespace

MoteurTarifaire::MoteurTarifaire(std::filesystem::path fichier_tarifs, const Registre& registre)
    : fichier_tarifs_(std::move(fichier_tarifs)), registre_(registre) {}

void MoteurTarifaire::lecture_taux_tva_et_valeurs_taux() {
    try {
        // Absent, le fichier donne les valeurs par défaut ; le chargement du tarif le dira.
        if (const auto defaut = defaut_fichier_tarifs(fichier_tarifs_);
            defaut && !est_absent(fichier_tarifs_)) {
            throw ErreurFichier(*defaut);
        }
        const FichierIni ini(fichier_tarifs_);
        const float tva = lire_taux_tva(ini);
        const auto valeurs = lire_valeurs_taux(ini);
        taux_tva_ = tva;
        valeur_taux_ = valeurs;
        echec_taux_.reset();
    } catch (const std::exception& e) {
        echec_taux_ = e.what();
        throw;
    }
}

std::vector<std::string> MoteurTarifaire::liste_des_tarifications() const {
    return lire_liste_des_tarifications(FichierIni(fichier_tarifs_));
}

void MoteurTarifaire::lecture_parametres_tarification_en_cours_2000(std::string_view tarif,
                                                                    std::string_view option) {
    try {
        const auto defaut = defaut_fichier_tarifs(fichier_tarifs_);
        const bool absent = defaut && est_absent(fichier_tarifs_);
        if (defaut && !absent) throw ErreurFichier(*defaut);
        const FichierIni ini(fichier_tarifs_);
        if (!absent) {
            exiger_section(ini, "Le tarif", tarif);
            if (!option.empty()) exiger_section(ini, "L'option", option);
        }
        auto nouveau_tarif = lumi::GetTarification(ini, tarif);
        auto nouvelle_reduction = lire_parametres_reduction(ini, registre_, option);
        auto listes_tarif = lire_3_listes_plages_horaires(ini, tarif);
        auto listes_courantes = option.empty() ? listes_tarif : lire_3_listes_plages_horaires(ini, option);
        if (!absent) {
            // Hors des plages d'une option, elle ne s'applique pas : ses listes peuvent avoir des trous.
            verifier_listes(listes_tarif, true);
            if (!option.empty()) verifier_listes(listes_courantes, false);
        }

        tarification_ = std::move(nouveau_tarif);
        reduction_ = std::move(nouvelle_reduction);
        plages_du_tarif_ = std::move(listes_tarif);
        plages_courantes_ = std::move(listes_courantes);
        // Sans fichier, les défauts (prix nuls, aucune plage) ne donnent aucun prix.
        tarif_charge_ = !absent;
        echec_tarif_ = absent ? defaut : std::nullopt;
    } catch (const std::exception& e) {
        echec_tarif_ = e.what();
        throw;
    }
}

void MoteurTarifaire::lecture_parametres_tarification_en_cours_2000() {
    // Copies : les noms sont des champs des enregistrements remplacés.
    const std::string tarif = tarification_.nom;
    const std::string option = reduction_.nom;
    lecture_parametres_tarification_en_cours_2000(tarif, option);
}

int MoteurTarifaire::get_day_of_week_jours_feries(NumeroJour date) const {
    return lumi::get_day_of_week_jours_feries(date, alsace_);
}

int MoteurTarifaire::get_nb_plage_horaire_par_rapport_au_jour_passe(int jour) const {
    return lumi::get_nb_plage_horaire_par_rapport_au_jour_passe(jour, plages_courantes_);
}

int MoteurTarifaire::bande_courante(int k, std::int32_t seconde) const {
    return lumi::bande_courante(plages_courantes_, k, seconde);
}

int MoteurTarifaire::plage_en_vigueur(NumeroJour date, std::int32_t seconde) const {
    return bande_courante(get_nb_plage_horaire_par_rapport_au_jour_passe(get_day_of_week_jours_feries(date)),
                          seconde);
}

double MoteurTarifaire::calcul_prix_communication_sans_reduction(const tparametre_de_la_tarification& tarif,
                                                                 std::int32_t debut_seconde,
                                                                 NumeroJour debut_date, NumeroJour fin_date,
                                                                 std::int32_t fin_seconde,
                                                                 bool avec_credit) const {
    double prix;
    if (tarif.nom == tarification_.nom) {
        prix = lumi::calcul_prix_communication_sans_reduction(tarif, plages_du_tarif_, valeur_taux_, alsace_,
                                                              debut_seconde, debut_date, fin_date,
                                                              fin_seconde, avec_credit);
    } else {
        const auto listes = lire_3_listes_plages_horaires(FichierIni(fichier_tarifs_), tarif.nom);
        verifier_listes(listes, true);
        prix = lumi::calcul_prix_communication_sans_reduction(tarif, listes, valeur_taux_, alsace_,
                                                              debut_seconde, debut_date, fin_date,
                                                              fin_seconde, avec_credit);
    }
    // Chaque prix du fichier tient en simple précision, leur somme peut la dépasser : le montant
    // deviendrait infini.
    if (!(prix <= std::numeric_limits<float>::max())) {
        throw ErreurConversion("Le prix de la connexion dépasse le plus grand montant (3,4e38) : section [" +
                               tarif.nom + "] du fichier des tarifs « " + fichier_tarifs_.string() + " ».");
    }
    return prix;
}

double MoteurTarifaire::calcul_prix_avec_reduction(std::uint8_t type_forfait, double prix,
                                                   std::int32_t duree_connexion, int plage_en_cours) {
    return lumi::calcul_prix_avec_reduction(type_forfait, prix, reduction_, tarification_, compteurs_,
                                            duree_connexion, plage_en_cours);
}

tparametre_de_la_tarification MoteurTarifaire::GetTarification(std::string_view nom) const {
    return lumi::GetTarification(FichierIni(fichier_tarifs_), nom);
}

std::vector<std::string> MoteurTarifaire::lecture_liste_reduc_tarifaires(bool liste_principale) const {
    return lumi::lecture_liste_reduc_tarifaires(FichierIni(fichier_tarifs_), liste_principale);
}

std::string MoteurTarifaire::lire_option_tarifaire(int numero, std::string_view cle) const {
    return lumi::lire_option_tarifaire(FichierIni(fichier_tarifs_), numero, cle);
}

}  // namespace lumi
