#include "history/retarification.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <numeric>
#include <string>

#include "settings/registre_memoire.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/rejeu_appel.hpp"

namespace lumi {

namespace {

std::optional<int> deux_chiffres(std::string_view texte) {
    if (texte.size() != 2 || !std::isdigit(static_cast<unsigned char>(texte[0])) ||
        !std::isdigit(static_cast<unsigned char>(texte[1]))) {
        return std::nullopt;
    }
    return (texte[0] - '0') * 10 + (texte[1] - '0');
}

Moment plus(Moment m, std::int64_t secondes) {
    const std::int64_t absolu = std::int64_t{m.seconde} + secondes;
    return {static_cast<NumeroJour>(m.jour + absolu / secondes_par_jour),
            static_cast<std::int32_t>(absolu % secondes_par_jour)};
}

double montant(const ResultatAppel& r) {
    return static_cast<double>(r.prix_communication) - r.montant_reduction;
}

}  // namespace

std::optional<Moment> debut_enregistrement(const EnregistrementHistorique& e) {
    if (!e.jour || e.heure.size() != 5 || (e.heure[2] != 'h' && e.heure[2] != 'H' && e.heure[2] != ':')) {
        return std::nullopt;
    }
    const auto h = deux_chiffres(std::string_view(e.heure).substr(0, 2));
    const auto m = deux_chiffres(std::string_view(e.heure).substr(3, 2));
    if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
    return Moment{*e.jour, seconde_du_jour(*h, *m, 0)};
}

Retarification retarifer(std::span<const EnregistrementHistorique> enregistrements,
                         const std::filesystem::path& fichier_tarifs, std::string_view tarif,
                         std::string_view option, bool alsace) {
    // Un magasin à part : le temps restant des vrais forfaits n'est ni lu ni touché.
    RegistreMemoire registre;
    MoteurTarifaire moteur(fichier_tarifs, registre);
    moteur.definir_alsace(alsace);
    moteur.lecture_taux_tva_et_valeurs_taux();
    moteur.lecture_parametres_tarification_en_cours_2000(tarif, option);

    const auto& forfait = moteur.reduction();
    const bool est_forfait = !forfait.nom.empty() && forfait.type_forfait == type_forfait_f;
    std::int64_t restant = est_forfait ? forfait.duree_forfait : 0;
    const std::int64_t unite = std::max<std::int32_t>(forfait.unite_decompte, 1);
    // Le tarif qui prend le relais d'un forfait épuisé, sans option ; à défaut le tarif choisi.
    std::optional<MoteurTarifaire> relais;
    if (est_forfait) {
        relais.emplace(fichier_tarifs, registre);
        relais->definir_alsace(alsace);
        relais->lecture_taux_tva_et_valeurs_taux();
        relais->lecture_parametres_tarification_en_cours_2000(
            forfait.tarif_apres_forfait.empty() ? tarif : std::string_view(forfait.tarif_apres_forfait), "");
    }

    Retarification r;
    r.montants_ht.resize(enregistrements.size());
    std::vector<std::pair<Moment, std::size_t>> ordre;
    for (std::size_t i = 0; i < enregistrements.size(); ++i) {
        if (const auto debut = debut_enregistrement(enregistrements[i])) {
            ordre.emplace_back(*debut, i);
        } else {
            ++r.ignores;
        }
    }
    // Le forfait s'use dans l'ordre des connexions, quel que soit l'ordre de la liste.
    std::stable_sort(ordre.begin(), ordre.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    for (const auto& [debut, i] : ordre) {
        const std::int64_t duree = std::max<std::int32_t>(enregistrements[i].secondes, 0);
        const Moment fin = plus(debut, duree);
        double ht;
        if (!est_forfait) {
            ht = montant(rejouer_appel(moteur, debut, fin));
        } else {
            // Chaque unité commencée est décomptée entière, comme pendant la connexion.
            const std::int64_t decompte = (duree + unite - 1) / unite * unite;
            if (decompte <= restant) {
                restant -= decompte;
                ht = 0;
            } else {
                const std::int64_t couvert = restant;
                restant = 0;
                ht = montant(rejouer_appel(*relais, plus(debut, couvert), fin));
            }
        }
        r.montants_ht[i] = ht;
        r.total_ht += ht;
    }
    return r;
}

}  // namespace lumi
