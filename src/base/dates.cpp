#include "base/dates.hpp"

#include <array>
#include <charconv>
#include <cstdio>

#include "base/texte.hpp"

namespace lumi {

namespace {

using namespace std::chrono;

constexpr sys_days jour_zero = sys_days{year{1899} / December / 30};

constexpr std::array<std::string_view, 12> noms_mois = {
    "janvier", "février", "mars",      "avril",   "mai",      "juin",
    "juillet", "août",    "septembre", "octobre", "novembre", "décembre",
};

constexpr std::array<std::string_view, 7> noms_jours = {
    "dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi",
};

// Un champ de chiffres seuls, de `min` à `max` chiffres ; -1 sinon.
int lire_champ(std::string_view texte, std::size_t min, std::size_t max) {
    if (texte.size() < min || texte.size() > max) return -1;
    int valeur = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    if (erreur != std::errc{} || fin != texte.data() + texte.size() || texte.front() == '-') return -1;
    return valeur;
}

// Coupe `texte` en `n` champs séparés par `separateur` ; faux s'il n'y en a pas exactement `n`.
template <std::size_t n>
bool couper(std::string_view texte, char separateur, std::array<std::string_view, n>& champs) {
    for (std::size_t i = 0; i < n; ++i) {
        const auto pos = texte.find(separateur);
        if (i + 1 == n) {
            if (pos != std::string_view::npos) return false;
            champs[i] = texte;
        } else {
            if (pos == std::string_view::npos) return false;
            champs[i] = texte.substr(0, pos);
            texte.remove_prefix(pos + 1);
        }
    }
    return true;
}

}  // namespace

NumeroJour numero_jour(year_month_day date) {
    return static_cast<NumeroJour>((sys_days{date} - jour_zero).count());
}

year_month_day date_du_jour(NumeroJour jour) {
    return year_month_day{jour_zero + days{jour}};
}

int jour_de_semaine(NumeroJour jour) {
    return static_cast<int>(weekday{jour_zero + days{jour}}.c_encoding()) + 1;
}

std::optional<NumeroJour> lire_date(std::string_view texte) {
    std::array<std::string_view, 3> champs;
    if (!couper(rogner(texte), '/', champs)) return std::nullopt;
    const int j = lire_champ(champs[0], 1, 2);
    const int m = lire_champ(champs[1], 1, 2);
    int a = -1;
    if (champs[2].size() == 2) {
        a = lire_champ(champs[2], 2, 2);
        if (a >= 0) a += a < 88 ? 2000 : 1900;
    } else {
        a = lire_champ(champs[2], 4, 4);
    }
    if (j < 1 || m < 1 || a < 1) return std::nullopt;
    const year_month_day date{year{a}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(j)}};
    if (!date.ok()) return std::nullopt;
    return numero_jour(date);
}

std::string formater_date(NumeroJour jour) {
    const year_month_day d = date_du_jour(jour);
    char texte[32];
    std::snprintf(texte, sizeof texte, "%02u/%02u/%04d", static_cast<unsigned>(d.day()),
                  static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
    return texte;
}

std::optional<std::int32_t> lire_heure(std::string_view texte) {
    texte = rogner(texte);
    std::array<std::string_view, 3> hms;
    std::array<std::string_view, 2> hm;
    int h, m, s = 0;
    if (couper(texte, ':', hms)) {
        h = lire_champ(hms[0], 1, 2);
        m = lire_champ(hms[1], 2, 2);
        s = lire_champ(hms[2], 2, 2);
    } else if (couper(texte, ':', hm)) {
        h = lire_champ(hm[0], 1, 2);
        m = lire_champ(hm[1], 2, 2);
    } else {
        return std::nullopt;
    }
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
    return seconde_du_jour(h, m, s);
}

std::string formater_heure(std::int32_t seconde) {
    // Une seconde hors du jour est ramenée dans le jour plutôt que d'afficher "25:00:00".
    const std::int32_t s = ((seconde % secondes_par_jour) + secondes_par_jour) % secondes_par_jour;
    char texte[16];
    std::snprintf(texte, sizeof texte, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return texte;
}

std::string_view nom_du_mois(unsigned mois) {
    if (mois < 1 || mois > 12) return {};
    return noms_mois[mois - 1];
}

std::string_view nom_du_jour(int jour_de_semaine) {
    if (jour_de_semaine < 1 || jour_de_semaine > 7) return {};
    return noms_jours[static_cast<std::size_t>(jour_de_semaine - 1)];
}

std::string date_longue(NumeroJour jour) {
    const year_month_day d = date_du_jour(jour);
    return champ_2(static_cast<unsigned>(d.day())) + " " +
           std::string(nom_du_mois(static_cast<unsigned>(d.month()))) + " " +
           std::to_string(static_cast<int>(d.year()));
}

std::string date_longue_avec_jour(NumeroJour jour) {
    const year_month_day d = date_du_jour(jour);
    const unsigned quantieme = static_cast<unsigned>(d.day());
    return std::string(nom_du_jour(jour_de_semaine(jour))) + " " +
           (quantieme == 1 ? std::string("1er") : std::to_string(quantieme)) + " " +
           std::string(nom_du_mois(static_cast<unsigned>(d.month()))) + " " +
           std::to_string(static_cast<int>(d.year()));
}

std::string champ_2(std::int64_t valeur) {
    // Magnitude en non signé : -2^63 n'a pas d'opposé signé.
    const bool negatif = valeur < 0;
    const std::uint64_t magnitude =
        negatif ? std::uint64_t{0} - static_cast<std::uint64_t>(valeur) : static_cast<std::uint64_t>(valeur);
    std::string chiffres = std::to_string(magnitude);
    if (chiffres.size() < 2) chiffres.insert(0, 1, '0');
    return negatif ? "-" + chiffres : chiffres;
}

std::string formater_duree(std::int64_t secondes) {
    // Une durée négative garde son signe devant, pas dans chaque champ.
    const bool negatif = secondes < 0;
    const std::uint64_t s = negatif ? std::uint64_t{0} - static_cast<std::uint64_t>(secondes)
                                    : static_cast<std::uint64_t>(secondes);
    const std::string texte = champ_2(static_cast<std::int64_t>(s / 3600)) + ":" +
                              champ_2(static_cast<std::int64_t>(s / 60 % 60)) + ":" +
                              champ_2(static_cast<std::int64_t>(s % 60));
    return negatif ? "-" + texte : texte;
}

}  // namespace lumi
