// Fichier des tarifs : lecture de tout ce que le compteur en tire (liste des tarifs, options, TVA,
// réductions, listes de plages), puis le prix de quelques appels et la zone d'information, comme
// après un rechargement. Un fichier faux ne doit donner qu'une erreur française, jamais un plantage.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "base/dates.hpp"
#include "base/erreurs.hpp"
#include "fuzz/commun.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/affichage_tarif.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/moteur_tarifaire.hpp"
#include "tariff/rejeu_appel.hpp"

namespace {

using namespace lumi;
using namespace std::chrono;

constexpr std::size_t nb_max_tarifs = 3;
constexpr std::size_t nb_max_options = 3;

Moment moment(year_month_day date, int h, int m, int s) {
    return {numero_jour(date), seconde_du_jour(h, m, s)};
}

// Un appel qui passe minuit vers un jour férié, un qui passe 19 h un lundi, un de trois secondes.
struct Appel {
    Moment debut;
    Moment fin;
};
const Appel appels[] = {
    {moment(2000y / 12 / 24, 23, 50, 0), moment(2000y / 12 / 25, 0, 20, 0)},
    {moment(2000y / 12 / 4, 18, 59, 30), moment(2000y / 12 / 4, 19, 10, 0)},
    {moment(2001y / 1 / 6, 7, 0, 0), moment(2001y / 1 / 6, 7, 0, 3)},
};

template <typename Lecture>
void sans_plantage(Lecture lecture) {
    try {
        lecture();
    } catch (const ErreurConversion&) {
    } catch (const ErreurPlagesHoraires&) {
    } catch (const ErreurFichier&) {
    }
}

// Le tarif et l'option chargés comme au rechargement, les appels tarifés, la zone d'information.
void tarifer(MoteurTarifaire& moteur, const std::string& tarif, const std::string& option) {
    try {
        moteur.lecture_parametres_tarification_en_cours_2000(tarif, option);
    } catch (const ErreurConversion&) {
        return;
    } catch (const ErreurFichier&) {
        return;  // le fichier lui-même est inutilisable (binaire, UTF-16, vide...)
    }
    for (const auto& appel : appels) {
        sans_plantage([&] { rejouer_appel(moteur, appel.debut, appel.fin); });
    }
    const CouleursTaux couleurs{};
    const ReglagesMonnaie monnaie;
    ZoneInformationTarif zone;
    sans_plantage([&] {
        mise_a_jour_affichage_tarifications(zone, {moteur.tarification(), moteur.reduction(),
                                                   moteur.plages_courantes(), couleurs, monnaie, ""});
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    const auto chemin =
        fuzz::fichier_temporaire("tarifs.ini", {reinterpret_cast<const char*>(donnees), taille});
    const FichierIni ini(chemin);
    const RegistreMemoire registre;

    std::vector<std::string> tarifs;
    std::vector<std::string> options{""};
    sans_plantage([&] { tarifs = lire_liste_des_tarifications(ini); });
    sans_plantage([&] { lecture_liste_reduc_tarifaires(ini, true); });
    sans_plantage([&] {
        const int n = nombre_options_tarifaires(ini);
        for (int k = 1; k <= std::min(n, 100) && options.size() <= nb_max_options; ++k) {
            auto reference = lire_option_tarifaire(ini, k, "ref");
            if (!reference.empty()) options.push_back(std::move(reference));
        }
    });
    if (tarifs.size() > nb_max_tarifs) tarifs.resize(nb_max_tarifs);

    MoteurTarifaire moteur(chemin, registre);
    sans_plantage([&] { moteur.lecture_taux_tva_et_valeurs_taux(); });
    // Chaque tarif sans option, puis chaque option avec le premier tarif.
    for (const auto& tarif : tarifs) tarifer(moteur, tarif, "");
    if (!tarifs.empty()) {
        for (std::size_t i = 1; i < options.size(); ++i) tarifer(moteur, tarifs.front(), options[i]);
    }
    return 0;
}
