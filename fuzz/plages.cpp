// Listes de plages horaires (p1, p2, p3) : analyse de n'importe quel texte, puis ce que le calendrier
// et le dessin des barres en font. Une liste mal formée n'échoue qu'à l'usage, par une erreur française.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/erreurs.hpp"
#include "fuzz/commun.hpp"
#include "tariff/affichage_tarif.hpp"
#include "tariff/calendrier.hpp"
#include "tariff/plages.hpp"

namespace {

using namespace lumi;
using fuzz::echec;

// Une ligne "p1=..." d'un fichier des tarifs donne sa valeur : les fichiers de données servent de graines.
std::string_view valeur_de_ligne(std::string_view ligne) {
    if (ligne.size() >= 3 && ligne[0] == 'p' && ligne[1] >= '1' && ligne[1] <= '3' && ligne[2] == '=') {
        ligne.remove_prefix(3);
    }
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
    return ligne;
}

template <typename Lecture>
void sans_plantage(Lecture lecture) {
    try {
        lecture();
    } catch (const ErreurConversion&) {
    } catch (const ErreurPlagesHoraires&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    std::string_view reste(reinterpret_cast<const char*>(donnees), taille);

    // Les trois premières lignes font les trois listes.
    TroisListes listes;
    for (std::size_t i = 0; i < listes.size() && !reste.empty(); ++i) {
        const auto nl = reste.find('\n');
        const std::string_view valeur = valeur_de_ligne(reste.substr(0, nl));
        reste.remove_prefix(nl == std::string_view::npos ? reste.size() : nl + 1);

        listes[i] = ListePlages(valeur, {"tarifs.ini", "Essai", "p" + std::to_string(i + 1)});
        if (get_plages_horaires_in_stringliste(valeur) != listes[i].chaines()) {
            echec("une liste chargée a les chaînes de son analyse");
        }
        sans_plantage([&] {
            const int code = listes[i].code_jour();
            if (code < 0 || code > 9) echec("un code jour va de 0 à 9");
        });
        sans_plantage([&] {
            for (const auto& groupe : listes[i].groupes()) {
                if (groupe.indice_taux < 0 || groupe.indice_taux > 20)
                    echec("un indice de taux va de 0 à 20");
            }
        });
    }

    for (int jour = 1; jour <= 8; ++jour) {
        sans_plantage([&] {
            const int k = get_nb_plage_horaire_par_rapport_au_jour_passe(jour, listes);
            if (k < 0 || k > 3) echec("la liste d'un jour va de 0 à 3");
            for (const std::int32_t seconde : {0, 1, 28799, 28800, 43200, 68399, 68400, 86399}) {
                const int bande = bande_courante(listes, k, seconde);
                if (bande < 0 || bande > 20) echec("une bande est un indice de taux");
            }
        });
    }

    CouleursTaux couleurs{};
    for (std::size_t i = 0; i < couleurs.size(); ++i) couleurs[i] = static_cast<std::uint32_t>(i * 0x010203);
    const auto dessin = change_dessin_plages_horaires(listes, couleurs);
    for (const auto& barre : dessin.barres) {
        for (const auto& r : barre.rectangles) {
            if (r.indice_taux < 0 || r.indice_taux > 20) echec("un rectangle a un indice de taux");
        }
    }
    return 0;
}
