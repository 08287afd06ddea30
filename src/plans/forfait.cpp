#include "plans/forfait.hpp"

#include <algorithm>
#include <cctype>
#include <limits>

#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

std::int32_t borne_32(std::int64_t valeur) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        valeur, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Secondes décomptées après `e` secondes : chaque unité commencée part en entier. Une unité de 0
// ou négative se compte à la seconde, comme une unité de 1 (une division par zéro arrêterait le
// décompte et laisserait la connexion hors forfait).
std::int64_t secondes_decomptees(std::int32_t unite, std::int32_t e) {
    if (unite <= 1) return e;
    return (static_cast<std::int64_t>(e) / unite + 1) * unite;
}

}  // namespace

std::int32_t temps_restant_apres(std::int32_t temps_forfait_debut, std::int32_t unite_decompte,
                                 std::int32_t e) {
    return borne_32(static_cast<std::int64_t>(temps_forfait_debut) - secondes_decomptees(unite_decompte, e));
}

std::int32_t retourne_seconde_ecoule_avec_unite(std::uint8_t type_forfait, std::int32_t unite_decompte,
                                                std::int32_t e) {
    if (type_forfait != type_forfait_f) return e;
    return borne_32(secondes_decomptees(unite_decompte, e));
}

std::int32_t lire_hms(std::string_view texte) {
    const auto erreur = [&]() {
        return ErreurConversion(
            "Le temps « " + std::string(texte) +
            " » n'est pas de la forme heures, minutes, secondes (par exemple 01h05m09s).");
    };
    auto reste = rogner(texte);
    bool negatif = false;
    if (!reste.empty() && reste.front() == '-') {
        negatif = true;
        reste.remove_prefix(1);
    }
    // Un champ : des chiffres (blancs du masque tolérés autour), puis la lettre attendue.
    const auto champ = [&](char lettre) -> std::int64_t {
        const auto fin = reste.find(lettre);
        if (fin == std::string_view::npos) throw erreur();
        const auto chiffres = rogner(reste.substr(0, fin));
        reste.remove_prefix(fin + 1);
        if (chiffres.empty() || chiffres.size() > 9) throw erreur();
        std::int64_t valeur = 0;
        for (const char c : chiffres) {
            if (!std::isdigit(static_cast<unsigned char>(c))) throw erreur();
            valeur = valeur * 10 + (c - '0');
        }
        return valeur;
    };
    const auto heures = champ('h');
    const auto minutes = champ('m');
    const auto secondes = champ('s');
    if (!rogner(reste).empty()) throw erreur();
    const auto total = heures * 3600 + minutes * 60 + secondes;
    if (total > std::numeric_limits<std::int32_t>::max()) throw erreur();
    return static_cast<std::int32_t>(negatif ? -total : total);
}

DecompteForfait::DecompteForfait(EtatForfait& etat, SelecteurTarifaire& selecteur, Registre& registre,
                                 const Horloge& horloge, Son& son, EffetsForfait& effets,
                                 std::filesystem::path fichier_alarme)
    : etat_(etat),
      selecteur_(selecteur),
      registre_(registre),
      horloge_(horloge),
      son_(son),
      effets_(effets),
      fichier_alarme_(std::move(fichier_alarme)) {}

void DecompteForfait::deduire_temps_forfait(std::int32_t e, std::string_view provider) {
    auto& forfait = selecteur_.moteur().reduction();
    if (forfait.nom.empty() || forfait.type_forfait != type_forfait_f) return;
    // Un forfait choisi après l'épuisement d'un autre ne paie que le temps écoulé depuis la bascule :
    // le temps d'avant était déjà couvert par le premier.
    const std::int32_t ecoule = etat_.debut_segment > 0 ? std::max(0, e - etat_.debut_segment) : e;
    forfait.temps_restant_forfait =
        temps_restant_apres(forfait.temps_forfait_debut, forfait.unite_decompte, ecoule);
    effets_.afficher_jauge_forfait(forfait.temps_restant_forfait, forfait.duree_forfait);
    if (forfait.temps_restant_forfait <= 0) sequence_epuisement(e, provider);
}

void DecompteForfait::sequence_epuisement(std::int32_t e, std::string_view provider) {
    // Copies : le rechargement remplace l'enregistrement du forfait.
    const auto& forfait = selecteur_.moteur().reduction();
    const std::string reference = forfait.nom;
    const std::string relais = forfait.tarif_apres_forfait;
    const std::string texteff = forfait.texte_tarif_apres_forfait;
    const Moment maintenant = horloge_.maintenant();
    const auto sauvegarde = [&]() {
        if (effets_.sauvegardes_crash_actives()) {
            registre_.ecrire_valeur_et_vider(cles::section(parametres::sauv_forfait.section),
                                             parametres::sauv_forfait.nom, "0&" + reference);
        }
    };

    // Le nouveau tarif est chargé avant de noter l'épuisement : si le chargement échoue, rien n'est
    // noté et le top suivant refait la bascule.
    if (!relais.empty()) {
        selecteur_.recharger(relais, "");
        auto& choix = selecteur_.choix();
        choix.libelle_tarif = relais + "  ";
        choix.libelle_option = texteff;
        sauvegarde();
    } else {
        sauvegarde();
        registre_.ecrire_valeur_et_vider(cles::section(cles::forfaits), parametres::nom_time(reference), "0");
        // Le forfait a maintenant "0" rangé : le choix automatique le passe.
        selecteur_.selection_tarif_et_reduction_en_cours_par_rapport_au_provider(provider);
    }
    etat_.forfait_epuise = reference;
    etat_.debut_segment = e;
    etat_.date_debut_segment = maintenant.jour;
    etat_.seconde_debut_segment = maintenant.seconde;

    if (etat_.alarme_fin_forfait_armee) {
        etat_.alarme_fin_forfait_armee = false;
        son_.jouer(fichier_alarme_);
        effets_.montrer_fin_forfait(modele_fin_forfait(texteff));
    }
}

void DecompteForfait::enregistrer_temps_restant_forfait() {
    auto& forfait = selecteur_.moteur().reduction();
    const auto cle = cles::section(cles::forfaits);
    // Le forfait en cours range son temps, y compris celui choisi après l'épuisement d'un autre
    // pendant la connexion (sinon le temps qu'il a couvert serait perdu).
    const bool forfait_en_cours = !forfait.nom.empty() && forfait.type_forfait == type_forfait_f;
    if (forfait_en_cours &&
        (etat_.debut_segment <= 0 || !egal_sans_casse(forfait.nom, etat_.forfait_epuise))) {
        forfait.temps_restant_forfait = std::max(forfait.temps_restant_forfait, 0);
        forfait.temps_forfait_debut = forfait.temps_restant_forfait;
        if (forfait.temps_restant_forfait == forfait.duree_forfait) {
            registre_.effacer_valeur(cle, parametres::nom_time(forfait.nom));
        } else {
            registre_.ecrire_valeur_et_vider(cle, parametres::nom_time(forfait.nom),
                                             std::to_string(forfait.temps_restant_forfait));
        }
    }
    if (etat_.debut_segment > 0)
        registre_.ecrire_valeur_et_vider(cle, parametres::nom_time(etat_.forfait_epuise), "0");
}

}  // namespace lumi
