#include "plans/fenetre/dialogues_forfait.hpp"

#include <cstdlib>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "plans/forfait.hpp"
#include "plans/raz_forfaits.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/jauges.hpp"

namespace lumi {

// --- Trectiforfait ---

ModeleTrectiforfait::ModeleTrectiforfait(Registre& registre, const FichierIni& tarifs, int numero,
                                         std::string temps_liste)
    : registre_(registre), option_(std::abs(numero)), champ_(std::move(temps_liste)) {
    reference_ = lire_option_tarifaire(tarifs, option_, "ref");
    designation_ = lire_option_tarifaire(tarifs, option_, "designation");
    if (!reference_.empty()) duree_ = lire_entier_tarifs(tarifs, reference_, "duree", "0");
}

void ModeleTrectiforfait::saisir(std::string_view texte) {
    if (texte == champ_) return;
    champ_ = std::string(texte);
    modifie_ = true;
}

void ModeleTrectiforfait::reinitialiser() {
    saisir(format_hms(duree_));
}

std::optional<CorrectionForfait> ModeleTrectiforfait::valider() {
    std::int32_t v = 0;
    try {
        v = lire_hms(champ_);
    } catch (const ErreurConversion&) {
        refus_ = "Le temps restant « " + champ_ + " » n'est pas correct : il s'écrit 01h05m09s.";
        return std::nullopt;
    }
    // La liste montre le temps tel qu'il sera relu : 12h75m00s y devient 13h15m00s tout de suite,
    // et non à la prochaine ouverture.
    champ_ = format_hms(v);
    const std::string forfaits = cles::section(cles::temp_forfaits);
    if (v == duree_) {
        registre_.effacer_valeur(forfaits, parametres::nom_time(reference_));
        registre_.effacer_valeur(cles::section(cles::temp_forfaits_raz), reference_);
        return CorrectionForfait{champ_, option_};
    }
    registre_.ecrire_valeur(forfaits, parametres::nom_time(reference_), std::to_string(v));
    return CorrectionForfait{champ_, -option_};
}

// --- Traz_type_forfait_form ---

ModeleTraz_type_forfait_form::ModeleTraz_type_forfait_form(Registre& registre, const FichierIni& tarifs,
                                                           int numero, bool plein, NumeroJour aujourdhui)
    : registre_(registre), option_(std::abs(numero)), plein_(plein), aujourdhui_(aujourdhui) {
    reference_ = lire_option_tarifaire(tarifs, option_, "ref");
    designation_ = lire_option_tarifaire(tarifs, option_, "designation");
    const std::string cle = cles::section(cles::temp_raz_forfaits);
    const auto texte = [&](const std::string& nom, std::string_view defaut) {
        std::string v = registre_.lire_valeur(cle, nom);
        return v.empty() ? std::string(defaut) : v;
    };
    const int code = lire_entier(texte(parametres::nom_raz(option_), "4")).value_or(codes_raz::manuelle);
    jour_ = texte(parametres::nom_raz_le(option_), "01");
    jours_ = texte(parametres::nom_razj(option_), "30");
    switch (code) {
        case codes_raz::avec_facture: choix_ = Choix::avec_facture; break;
        case codes_raz::chaque_mois:
        case codes_raz::mois_pairs:
        case codes_raz::mois_impairs:
            choix_ = Choix::mensuel;
            mois_ = code - 1;
            break;
        case codes_raz::tous_les_n_jours: choix_ = Choix::tous_les_n_jours; break;
        default: choix_ = Choix::manuel;
    }
}

void ModeleTraz_type_forfait_form::choisir(Choix choix) {
    if (choix != choix_) modifie_ = true;
    choix_ = choix;
}

void ModeleTraz_type_forfait_form::saisir_jour(std::string_view texte) {
    if (texte == jour_) return;
    jour_ = std::string(texte.substr(0, 2));
    modifie_ = true;
}

void ModeleTraz_type_forfait_form::choisir_mois(int mois) {
    if (mois < 0 || mois > 2 || mois == mois_) return;
    mois_ = mois;
    modifie_ = true;
}

void ModeleTraz_type_forfait_form::saisir_jours(std::string_view texte) {
    if (texte == jours_) return;
    jours_ = std::string(texte);
    modifie_ = true;
}

std::optional<std::string> ModeleTraz_type_forfait_form::valider() {
    const int d = lire_entier(jour_).value_or(33);
    if (choix_ == Choix::mensuel && (d <= 0 || d > 31)) {
        refus_ = "Le jour de réinitialisation n'est pas correct !\n"
                 "Il doit obligatoirement être compris entre '01' et '31'.";
        return std::nullopt;
    }
    const int n = lire_entier(jours_).value_or(30);
    if (choix_ == Choix::tous_les_n_jours && n <= 0) {
        refus_ = "Le jour de jours entre deux réinitialisations n'est pas correct !\n"
                 "Il doit obligatoirement être supérieur à zéro.";
        return std::nullopt;
    }
    int code = codes_raz::manuelle;
    switch (choix_) {
        case Choix::avec_facture: code = codes_raz::avec_facture; break;
        case Choix::mensuel: code = codes_raz::chaque_mois + mois_; break;
        case Choix::manuel: code = codes_raz::manuelle; break;
        case Choix::tous_les_n_jours: code = codes_raz::tous_les_n_jours; break;
    }
    const std::string cle = cles::section(cles::temp_raz_forfaits);
    registre_.ecrire_valeur(cle, parametres::nom_raz(option_), std::to_string(code));
    const bool mensuel = choix_ == Choix::mensuel;
    if (mensuel) registre_.ecrire_valeur(cle, parametres::nom_raz_le(option_), jour_);
    else registre_.effacer_valeur(cle, parametres::nom_raz_le(option_));
    if (choix_ == Choix::tous_les_n_jours) registre_.ecrire_valeur(cle, parametres::nom_razj(option_), jours_);
    else registre_.effacer_valeur(cle, parametres::nom_razj(option_));
    const std::string dates = cles::section(cles::temp_forfaits_raz);
    registre_.effacer_valeur(dates, reference_);
    if (mensuel && !plein_) {
        registre_.ecrire_valeur(
            dates, reference_,
            formater_date(calcul_date_prochaine_reinitialisation_forfait(code, d, aujourdhui_)));
    }
    return texte_mode_raz(code, jour_, jours_);
}

}  // namespace lumi
