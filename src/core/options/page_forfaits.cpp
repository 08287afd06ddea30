#include "core/options/page_forfaits.hpp"

#include <algorithm>
#include <cstdlib>

#include "base/decimal.hpp"
#include "plans/raz_forfaits.hpp"
#include "settings/cles.hpp"
#include "settings/parametres.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/jauges.hpp"

namespace lumi {

void PageForfaits::charger(Registre& registre, const FichierIni& tarifs) {
    lignes_.clear();
    modifiee_ = false;
    registre.copier_arborescence(cles::section(cles::forfaits), cles::section(cles::temp_forfaits), false);
    const std::string temp = cles::section(cles::temp_forfaits);
    const std::string temp_raz = cles::section(cles::temp_raz_forfaits);
    const int nombre = std::min(nombre_options_tarifaires(tarifs), 500);
    for (int k = 1; k <= nombre; ++k) {
        const std::string ref = lire_option_tarifaire(tarifs, k, "ref");
        if (ref.empty() || tarifs.lire(ref, "type") != "F") continue;
        LigneForfait l;
        l.forfait = tarifs.lire(ref, "designation");
        const std::string restant = registre.lire_valeur(temp, parametres::nom_time(ref));
        if (restant.empty()) {
            l.temps_restant = format_hms(lire_entier_tarifs(tarifs, ref, "duree", "0"));
            l.numero = k;
        } else {
            // Une valeur illisible se montre telle quelle : la correction la remplacera.
            const auto v = lire_entier(restant);
            l.temps_restant = v ? format_hms(*v) : restant;
            l.numero = -k;
        }
        const std::string raz = tarifs.lire(ref, "raz");
        const std::string raz_le = tarifs.lire(ref, "raz_le");
        const std::string raz_tous_les = tarifs.lire(ref, "raz_tous_les");
        l.date_reinitialisation =
            texte_mode_raz(lire_entier(raz).value_or(4), raz_le, raz_tous_les.empty() ? "30" : raz_tous_les);
        registre.ecrire_valeur(temp_raz, parametres::nom_raz(k), raz);
        registre.ecrire_valeur(temp_raz, parametres::nom_raz_le(k), raz_le);
        registre.ecrire_valeur(temp_raz, parametres::nom_razj(k), raz_tous_les);
        lignes_.push_back(std::move(l));
    }
    modifiee_ = false;
}

void PageForfaits::corriger(std::size_t ligne, const CorrectionForfait& correction) {
    if (ligne >= lignes_.size()) return;
    lignes_[ligne].temps_restant = correction.temps_restant;
    lignes_[ligne].numero = correction.numero;
    modifiee_ = true;
}

void PageForfaits::changer_mode(std::size_t ligne, const std::string& texte) {
    if (ligne >= lignes_.size()) return;
    lignes_[ligne].date_reinitialisation = texte;
    modifiee_ = true;
}

void PageForfaits::ranger(const Registre& registre, FichierIni& tarifs) const {
    const std::string temp_raz = cles::section(cles::temp_raz_forfaits);
    for (const auto& l : lignes_) {
        const int k = std::abs(l.numero);
        const std::string ref = lire_option_tarifaire(tarifs, k, "ref");
        if (ref.empty()) continue;
        const std::string raz = registre.lire_valeur(temp_raz, parametres::nom_raz(k));
        if (!raz.empty()) tarifs.ecrire(ref, "raz", raz);
        const std::string raz_le = registre.lire_valeur(temp_raz, parametres::nom_raz_le(k));
        if (raz_le.empty()) tarifs.effacer_cle(ref, "raz_le");
        else tarifs.ecrire(ref, "raz_le", raz_le);
        const std::string razj = registre.lire_valeur(temp_raz, parametres::nom_razj(k));
        if (razj.empty()) tarifs.effacer_cle(ref, "raz_tous_les");
        else tarifs.ecrire(ref, "raz_tous_les", razj);
    }
}

}  // namespace lumi
