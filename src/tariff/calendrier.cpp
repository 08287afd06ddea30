#include "tariff/calendrier.hpp"

#include <array>

namespace lumi {

NumeroJour paques(int annee, int decalage) {
    const int y = annee;
    const int c = y / 100;
    const int g = y % 19;
    const int k = (c - 17) / 25;
    int i = (c - c / 4 - (c - k) / 3 + 19 * g + 15) % 30;
    i = i - (i / 28) * (1 - (i / 28) * (29 / (i + 1)) * ((21 - g) / 11));
    const int j = (y + y / 4 + i + 2 - c + c / 4) % 7;
    const int l = i - j;
    const int m = 3 + (l + 40) / 44;
    const int d = l + 28 - 31 * (m / 4);
    const std::chrono::year_month_day date{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                                           std::chrono::day{static_cast<unsigned>(d)}};
    return numero_jour(date) + decalage;
}

int get_day_of_week_jours_feries(NumeroJour date, bool alsace) {
    const auto ymd = date_du_jour(date);
    const unsigned mois = static_cast<unsigned>(ymd.month());
    const unsigned jour = static_cast<unsigned>(ymd.day());
    struct JourFixe {
        unsigned mois, jour;
    };
    static constexpr std::array<JourFixe, 8> fixes{
        {{1, 1}, {5, 1}, {5, 8}, {7, 14}, {8, 15}, {11, 1}, {11, 11}, {12, 25}}};
    for (const auto& f : fixes) {
        if (f.mois == mois && f.jour == jour) return jour_ferie;
    }
    if (alsace && mois == 12 && jour == 26) return jour_ferie;

    // Pâques, lundi de Pâques, Ascension, Pentecôte, lundi de Pentecôte ; Vendredi saint en Alsace.
    const int depuis_paques = date - paques(static_cast<int>(ymd.year()), 0);
    switch (depuis_paques) {
        case 0:
        case 1:
        case 39:
        case 49:
        case 50:
            return jour_ferie;
        case -2:
            if (alsace) return jour_ferie;
            break;
        default:
            break;
    }
    return jour_de_semaine(date);
}

int get_nb_plage_horaire_par_rapport_au_jour_passe(int jour, const ListePlages& L1, const ListePlages& L2,
                                                   const ListePlages& L3) {
    const std::array<int, 3> codes{L1.code_jour(), L2.code_jour(), L3.code_jour()};
    // La dernière liste qui convient l'emporte.
    const auto choisir = [&codes](auto convient) {
        int choix = 0;
        for (int i = 0; i < 3; ++i) {
            if (convient(codes[i])) choix = i + 1;
        }
        return choix;
    };
    if (jour >= 1 && jour <= 7) {
        if (const int exact = choisir([jour](int c) { return c == jour; })) return exact;
        if (jour == 1) return choisir([](int c) { return c == 0 || c == 8; });
        if (jour == 7) return choisir([](int c) { return c == 0; });
        return choisir([](int c) { return c == 9; });
    }
    if (jour == jour_ferie) {
        if (const int ferie = choisir([](int c) { return c == 8; })) return ferie;
        return choisir([](int c) { return c == 0; });
    }
    if (jour == 0) return choisir([](int c) { return c == 0; });
    return 0;
}

int get_nb_plage_horaire_par_rapport_au_jour_passe(int jour, const TroisListes& listes) {
    return get_nb_plage_horaire_par_rapport_au_jour_passe(jour, listes[0], listes[1], listes[2]);
}

std::string_view get_jour_plage_horaire(int code) {
    static constexpr std::array<std::string_view, 10> textes{
        "Week-end et\rjours fériés", "Dimanche", "Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi",
        "Dimanche et\rjours fériés", "Semaine"};
    if (code < 0 || code > 9) return {};
    return textes[static_cast<std::size_t>(code)];
}

int bande_dans_liste(const ListePlages& liste, std::int32_t seconde) {
    int bande = 0;
    for (const auto& groupe : liste.groupes()) {
        for (const auto& iv : groupe.intervalles) {
            if (iv.debut <= seconde && seconde <= iv.fin) bande = groupe.indice_taux;
        }
    }
    return bande;
}

int bande_courante(const TroisListes& listes, int k, std::int32_t seconde) {
    if (k < 1 || k > 3) return 0;
    return bande_dans_liste(listes[static_cast<std::size_t>(k - 1)], seconde);
}

}  // namespace lumi
