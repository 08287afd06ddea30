#include "history/ligne_historique.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "plans/forfait.hpp"
#include "tariff/choix_option.hpp"

namespace lumi {

namespace {

// Les noms des fichiers : "aout" sans accent, comme les fichiers des éditions précédentes.
constexpr std::array<std::string_view, 12> mois_historique = {
    "janvier", "février", "mars",      "avril",   "mai",      "juin",
    "juillet", "aout",    "septembre", "octobre", "novembre", "décembre",
};

std::string heure_minute(std::int32_t seconde_du_jour) {
    return champ_2(seconde_du_jour / 3600) + "H" + champ_2((seconde_du_jour % 3600) / 60);
}

[[noreturn]] void champ_non_numerique(int numero, std::string_view texte) {
    throw ErreurConversion("Le champ " + std::to_string(numero) + " de la ligne d'historique (« " +
                           std::string(texte) + " ») n'est pas un nombre.");
}

// Le cas courant d'un champ numérique, "-12,345" ou "7.5" (au plus 15 chiffres), lu sans détour :
// le quotient de deux entiers exacts n'est arrondi qu'une fois, c'est le double que rend la lecture
// complète. Rien pour tout autre texte, qui passe par celle-ci.
std::optional<double> decimal_simple(std::string_view t) {
    static constexpr double puissances[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    const bool negatif = !t.empty() && t[0] == '-';
    if (negatif) ++i;
    std::uint64_t mantisse = 0;
    int avant = 0, apres = 0;
    bool separateur = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            mantisse = mantisse * 10 + static_cast<unsigned>(c - '0');
            ++(separateur ? apres : avant);
        } else if ((c == ',' || c == '.') && !separateur) {
            separateur = true;
        } else {
            return std::nullopt;
        }
    }
    if (avant == 0 || (separateur && apres == 0) || avant + apres > 15) return std::nullopt;
    const double v = static_cast<double>(mantisse) / puissances[apres];
    return negatif ? -v : v;
}

// Champ numérique d'un enregistrement : vide vaut 0 (champ manquant), sinon un nombre.
double nombre(std::string_view texte, int numero) {
    if (const auto v = decimal_simple(texte)) return *v;
    if (rogner(texte).empty()) return 0;
    const auto v = lire_decimal(texte);
    if (!v || !std::isfinite(*v)) champ_non_numerique(numero, texte);
    return *v;
}

bool chiffres(std::string_view t) {
    if (t.empty()) return false;
    for (const char c : t) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// "HH:MM:SS" (heures sur deux chiffres ou plus) -> secondes ; vide vaut 0.
std::int32_t lire_duree_champ(std::string_view texte) {
    // "HH:MM:SS", la forme que le programme écrit, lue sans détour.
    if (texte.size() == 8 && texte[2] == ':' && texte[5] == ':') {
        int v[6];
        bool ok = true;
        for (int i = 0, k = 0; i < 8; ++i) {
            if (i == 2 || i == 5) continue;
            v[k++] = texte[i] - '0';
            ok = ok && texte[i] >= '0' && texte[i] <= '9';
        }
        if (ok) return (v[0] * 10 + v[1]) * 3600 + (v[2] * 10 + v[3]) * 60 + v[4] * 10 + v[5];
    }
    const std::string_view t = rogner(texte);
    if (t.empty()) return 0;
    const auto p1 = t.find(':');
    const auto p2 = p1 == std::string_view::npos ? p1 : t.find(':', p1 + 1);
    if (p2 == std::string_view::npos) champ_non_numerique(5, texte);
    const auto h = t.substr(0, p1);
    const auto m = t.substr(p1 + 1, p2 - p1 - 1);
    const auto s = t.substr(p2 + 1);
    if (!chiffres(h) || !chiffres(m) || !chiffres(s) || h.size() > 5 || m.size() > 2 || s.size() > 2) {
        champ_non_numerique(5, texte);
    }
    const auto entier = [](std::string_view c) {
        int v = 0;
        std::from_chars(c.data(), c.data() + c.size(), v);
        return v;
    };
    return entier(h) * 3600 + entier(m) * 60 + entier(s);
}

// Les octets de `mot` égaux à `octet`, marqués 0x80 à leur place (sans retenue d'un octet sur l'autre,
// donc sans fausse alerte). L'ordre des octets est celui de la mémoire sur une machine petit-boutiste.
static_assert(std::endian::native == std::endian::little, "octets_egaux lit les mots en petit-boutiste");
std::uint64_t octets_egaux(std::uint64_t mot, char octet) {
    constexpr std::uint64_t bas = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = mot ^ (0x0101010101010101ULL * static_cast<unsigned char>(octet));
    return ~(((x & bas) + bas) | x | bas);
}

// Les octets de `mot` sous 0x20 (caractères de contrôle, tabulation comprise), marqués 0x80 à leur
// place. Exact octet par octet : (o & 0x7F) + 0x60 ne déborde jamais.
std::uint64_t octets_sous_0x20(std::uint64_t mot) {
    constexpr std::uint64_t haut = 0x8080808080808080ULL;
    return ~(((mot & 0x7F7F7F7F7F7F7F7FULL) + 0x6060606060606060ULL) | mot) & haut;
}

bool est_controle(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

// Une ligne illisible : le message la cite, courte et sans ses octets de contrôle (une ligne de
// dix mégaoctets ou un morceau de fichier binaire ne passent pas tels quels dans un message).
[[noreturn]] void ligne_illisible(std::string_view ligne, const std::string& raison) {
    constexpr std::size_t longueur_citee = 40;
    std::string extrait;
    std::size_t i = 0;
    for (; i < ligne.size() && extrait.size() < longueur_citee; ++i)
        extrait += est_controle(ligne[i]) ? '?' : ligne[i];
    const bool coupe = i < ligne.size();
    if (coupe) {
        // Pas de caractère UTF-8 coupé en deux à la fin de l'extrait.
        std::size_t k = extrait.size();
        while (k > 0 && (static_cast<unsigned char>(extrait[k - 1]) & 0xC0) == 0x80) --k;
        if (k > 0 && static_cast<unsigned char>(extrait[k - 1]) >= 0xC0) extrait.resize(k - 1);
    }
    if (!est_utf8_valide(extrait)) extrait = cp1252_vers_utf8(extrait);
    if (coupe) extrait += "…";
    throw ErreurConversion("La ligne d'historique « " + extrait + " » " + raison + ".");
}

// La date d'un enregistrement, "dd/mm/yyyy" lu sans détour (presque toutes les lignes), une année
// sur deux chiffres prise dans les années 1900, tout autre texte comme lire_date le lit.
std::optional<NumeroJour> jour_enregistrement(std::string_view d) {
    // Les connexions d'un même jour se suivent : la date de la ligne d'avant resservira souvent.
    thread_local char date_precedente[10] = {};
    thread_local std::optional<NumeroJour> jour_precedent;
    const auto chiffre = [&](std::size_t i) { return d[i] >= '0' && d[i] <= '9'; };
    if (d.size() == 10 && std::memcmp(d.data(), date_precedente, 10) == 0) return jour_precedent;
    if (d.size() == 10 && d[2] == '/' && d[5] == '/' && chiffre(0) && chiffre(1) && chiffre(3) &&
        chiffre(4) && chiffre(6) && chiffre(7) && chiffre(8) && chiffre(9)) {
        const auto valeur = [&](std::size_t i, std::size_t n) {
            int v = 0;
            for (std::size_t k = i; k < i + n; ++k) v = v * 10 + (d[k] - '0');
            return v;
        };
        const int j = valeur(0, 2), m = valeur(3, 2), a = valeur(6, 4);
        if (j < 1 || m < 1 || a < 1) return std::nullopt;
        const std::chrono::year_month_day date{std::chrono::year{a},
                                               std::chrono::month{static_cast<unsigned>(m)},
                                               std::chrono::day{static_cast<unsigned>(j)}};
        if (!date.ok()) return std::nullopt;
        std::memcpy(date_precedente, d.data(), 10);
        jour_precedent = numero_jour(date);
        return jour_precedent;
    }
    if (d.size() == 8) return lire_date(date_enregistrement(d));
    return lire_date(d);
}

// Un texte venu d'ailleurs (nom d'utilisateur, de tarif, d'option, d'entrée d'annuaire) ne doit
// ni ajouter un champ ni couper la ligne : un ";" deviendrait un champ de plus et décalerait le
// montant que la facture relit, une fin de ligne ou un octet nul la feraient prendre pour coupée.
// Les deux marques d'état, "|" et "¤", n'y restent pas non plus : l'effacement cherche la dernière
// marque de la ligne, et celle d'un nom d'entrée d'annuaire (le dernier champ) passerait avant la
// vraie ; l'effacement dirait avoir réussi sans rien changer.
std::string champ_texte(std::string_view texte) {
    std::string champ;
    champ.reserve(texte.size());
    for (std::size_t i = 0; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c == ';') {
            champ += ',';
        } else if (est_controle(c)) {
            // Une fin de ligne, un octet nul ou tout autre caractère de contrôle : le lecteur
            // prendrait la ligne pour coupée ou binaire.
            champ += ' ';
        } else if (c == '|') {
            champ += '/';
        } else if (texte.substr(i).starts_with(marque_efface)) {
            champ += '*';
            i += marque_efface.size() - 1;
        } else {
            champ += c;
        }
    }
    return champ;
}

}  // namespace

std::int32_t secondes_facturees(const DonneesConnexion& d) {
    return retourne_seconde_ecoule_avec_unite(d.type_forfait, d.unite_decompte, d.duree_connexion);
}

std::string texte_periode(int plage_debut, int plage_fin) {
    if (plage_debut == plage_fin) {
        if (plage_fin == 1) return "Rouge";
        if (plage_fin == 2) return "Bleu";
        return "";
    }
    if (plage_fin == 1) return "Bl/Rg";
    if (plage_fin == 2) return "Rg/Bl";
    return "";
}

std::string formater_montant_historique(double montant, char separateur_decimal) {
    // Les montants sont des flottants simple précision : sept chiffres significatifs, pas plus.
    double arrondi = montant;
    if (std::isfinite(montant)) {
        char tampon[64];
        const auto [fin, erreur] =
            std::to_chars(tampon, tampon + sizeof tampon, montant, std::chars_format::scientific, 6);
        if (erreur == std::errc{}) std::from_chars(tampon, fin, arrondi);
    }
    return formater_decimal(arrondi, 3, separateur_decimal);
}

std::string get_donnees_a_enregistrer(const DonneesConnexion& d) {
    std::string tarification = d.tarif_en_cours;
    if (!d.forfait_en_cours.empty() && d.type_forfait == type_forfait_f &&
        !est_option_fl_ou_fla(d.forfait_en_cours)) {
        tarification = d.designation_forfait;
    }
    const double montant =
        static_cast<double>(d.prix_communication) - static_cast<double>(d.montant_reduction);
    const std::array<std::string, nb_champs_ligne> champs = {
        d.utilisateur.empty() ? std::string(nom_utilisateur_non_identifie) : champ_texte(d.utilisateur),
        champ_texte(tarification),
        formater_date(d.date_debut),
        heure_minute(d.seconde_debut),
        formater_duree(secondes_facturees(d)),
        texte_periode(d.plage_au_debut, d.plage_a_la_fin),
        d.mode_manuel ? "M" : "A",
        formater_montant_historique(montant, d.separateur_decimal),
        std::string(code_disposition_actuelle),
        d.forfait_en_cours.empty() ? "0" : champ_texte(d.forfait_en_cours),
        formater_montant_historique(d.montant_reduction, d.separateur_decimal),
        std::string(marque_vivant),
        d.mode_manuel ? std::string() : champ_texte(d.nom_connexion),
    };
    std::string ligne;
    for (const auto& champ : champs) ligne += champ + ";";
    return ligne;
}

std::vector<std::string> champs_ligne(std::string_view ligne, std::size_t nombre) {
    std::vector<std::string> champs;
    std::size_t debut = 0;
    while (champs.size() < nombre && debut < ligne.size()) {
        const auto fin = ligne.find(';', debut);
        if (fin == std::string_view::npos) {
            champs.emplace_back(ligne.substr(debut));
            break;
        }
        champs.emplace_back(ligne.substr(debut, fin - debut));
        debut = fin + 1;
    }
    champs.resize(nombre);
    return champs;
}

std::string date_enregistrement(std::string_view date_ecrite) {
    std::string date(date_ecrite);
    // Les anciennes éditions écrivaient l'année sur deux chiffres : ce sont des années 1900.
    if (date.size() == 8) date.insert(6, "19");
    return date;
}

bool decoder_vue_ligne_historique(std::string_view ligne, VueEnregistrementHistorique& e) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
    // Une ligne blanche n'est rien : ni un enregistrement, ni une ligne perdue.
    if (rogner(ligne).empty()) return false;
    // Tout le reste est un enregistrement, ou une ligne illisible que le lecteur compte : une ligne
    // coupée par un arrêt brutal, des octets nuls, un fichier binaire ne passent jamais pour une
    // connexion. La fin d'abord : une ligne de plusieurs mégaoctets sans ";" s'arrête là.
    if (ligne.back() != ';') ligne_illisible(ligne, "ne finit pas par « ; » (ligne coupée)");
    // Les champs vus en place, sans copie : le lecteur passe ici pour chaque enregistrement. Des
    // champs de quelques caractères : un simple parcours vaut mieux qu'un memchr par champ. Rien
    // n'est mis à zéro d'avance (un million de lignes, c'est le temps d'une lecture).
    struct Borne {
        std::size_t debut, longueur;
    };
    Borne b[nb_champs_ligne];
    // Les ";" et les caractères de contrôle cherchés huit octets à la fois, puis un par un dans la
    // fin de la ligne. La ligne finit par ";" : chaque champ est entre deux ";".
    std::size_t n = 0, debut = 0, i = 0;
    std::uint64_t controles = 0;
    for (; i + 8 <= ligne.size(); i += 8) {
        std::uint64_t mot;
        std::memcpy(&mot, ligne.data() + i, 8);
        controles |= octets_sous_0x20(mot);
        for (std::uint64_t m = octets_egaux(mot, ';'); m != 0 && n < nb_champs_ligne; m &= m - 1) {
            const std::size_t fin = i + static_cast<std::size_t>(std::countr_zero(m) / 8);
            b[n++] = {debut, fin - debut};
            debut = fin + 1;
        }
    }
    for (; i < ligne.size(); ++i) {
        if (static_cast<unsigned char>(ligne[i]) < 0x20) controles = 1;
        if (ligne[i] != ';' || n == nb_champs_ligne) continue;
        b[n++] = {debut, i - debut};
        debut = i + 1;
    }
    // Une tabulation (dans un nom) est permise : la ligne qui a un octet sous 0x20 est revue de près,
    // ce qui n'arrive presque jamais.
    if (controles != 0 && std::any_of(ligne.begin(), ligne.end(), est_controle))
        ligne_illisible(ligne, "porte des caractères de contrôle");
    if (n < nb_champs_minimum)
        ligne_illisible(
            ligne, "n'a pas ses " + std::to_string(nb_champs_minimum) + " premiers champs (ligne coupée)");
    for (; n < nb_champs_ligne; ++n) b[n] = {ligne.size(), 0};
    const auto c = [&](std::size_t i) { return ligne.substr(b[i].debut, b[i].longueur); };

    e.utilisateur = c(0);
    e.tarification = c(1);
    e.date = c(2);
    e.jour = jour_enregistrement(c(2));
    // Sans date, rien ne dit à quel mois la connexion appartient : elle ne compterait que par le
    // nom du fichier qui la porte.
    if (!e.jour) ligne_illisible(ligne, "a une date illisible");
    e.heure = c(3);
    e.duree = c(4);
    e.secondes = lire_duree_champ(c(4));
    e.periode = c(5);
    // Les anciens mots du mode de départ.
    const std::string_view mode = c(6);
    e.mode = mode == "accidentelle" || mode == "auto" ? std::string_view("A")
             : mode == "manuelle"                     ? std::string_view("M")
                                                      : mode;
    e.cout = nombre(c(7), 8);
    e.code_option = {};
    e.reduction = 0;

    const double champ9 = nombre(c(8), 9);
    const double disposition = std::trunc(champ9);
    bool disposition_connue = true;
    if (disposition == -4) {
        e.code_option = c(9);
        e.reduction = nombre(c(10), 11);
    } else if (disposition == -3) {
        e.code_option = "FLA";
        e.reduction = nombre(c(10), 11);
    } else if (disposition == -2) {
        e.code_option = "Itoo";
        e.reduction = nombre(c(10), 11);
    } else if (disposition == -1) {
        e.code_option = "FL";
        e.reduction = nombre(c(10), 11);
    } else {
        disposition_connue = false;
    }
    // Les premières éditions rangeaient le montant de l'avantage dans le champ de son genre.
    if (!disposition_connue && e.code_option.empty()) {
        std::string_view code;
        if (champ9 != 0) {
            code = "T";
            e.reduction = champ9;
        }
        if (const double v = nombre(c(9), 10); v != 0) {
            code = "P";
            e.reduction = v;
        }
        if (const double v = nombre(c(10), 11); v != 0) {
            code = "Pi";
            e.reduction = v;
        }
        e.code_option = code;
    }
    if (e.code_option.empty() || e.code_option == "0") e.reduction = 0;

    e.efface = c(11) == marque_efface;
    e.provider = c(12);
    return true;
}

std::optional<EnregistrementHistorique> decoder_ligne_historique(std::string_view ligne) {
    std::optional<VueEnregistrementHistorique> v{std::in_place};
    if (!decoder_vue_ligne_historique(ligne, *v)) return std::nullopt;
    EnregistrementHistorique e;
    e.utilisateur = v->utilisateur;
    e.tarification = v->tarification;
    e.date = date_enregistrement(v->date);
    e.jour = v->jour;
    e.heure = v->heure;
    e.duree = v->duree;
    e.secondes = v->secondes;
    e.periode = v->periode;
    e.mode = v->mode;
    e.cout = v->cout;
    e.code_option = v->code_option;
    e.reduction = v->reduction;
    e.efface = v->efface;
    e.provider = v->provider;
    return e;
}

std::string annee_fichier_historique(int annee) {
    const std::string texte_annee = std::to_string(annee);
    // Les caractères 3 et 4 de l'année : 2000 -> "00", 1999 -> "99".
    return texte_annee.size() >= 4 && annee > 0 ? texte_annee.substr(2, 2) : champ_2(std::abs(annee) % 100);
}

NomFichierHistorique nom_fichier_historique(unsigned mois, int annee) {
    if (mois < 1 || mois > 12) return {};
    NomFichierHistorique n;
    n.mois = mois_historique[mois - 1];
    n.fichier = n.mois + annee_fichier_historique(annee) + ".fct";
    return n;
}

std::string MoisDuFichier::nom_utf8() const {
    if (mois < 1 || mois > 12) return {};
    return std::string(mois_historique[mois - 1]) + annee + ".fct";
}

std::optional<MoisDuFichier> mois_du_fichier_historique(std::string_view nom) {
    const std::string texte = est_utf8_valide(nom) ? std::string(nom) : cp1252_vers_utf8(nom);
    if (texte.size() <= 6) return std::nullopt;
    const std::string plie = plier_casse(texte);
    if (!plie.ends_with(".fct")) return std::nullopt;
    const std::string rang = rang_du_mois(std::string_view(plie).substr(0, plie.size() - 6));
    if (rang == "-1") return std::nullopt;
    MoisDuFichier m;
    m.mois = 13 - static_cast<unsigned>(std::stoi(rang));
    m.annee = texte.substr(texte.size() - 6, 2);
    return m;
}

std::string rang_du_mois(std::string_view nom) {
    if (nom == "février" || nom == "fevrier") return "11";
    if (nom == "décembre" || nom == "decembre") return "01";
    for (unsigned m = 1; m <= 12; ++m) {
        if (nom == mois_historique[m - 1]) return champ_2(13 - static_cast<int>(m));
    }
    return "-1";
}

std::optional<std::int32_t> localisateur(std::int32_t numero, unsigned mois, int annee) {
    const std::int64_t v = std::int64_t{numero} * 10000 + std::int64_t{mois} * 100 + (std::abs(annee) % 100);
    if (numero < 1 || mois < 1 || mois > 12 || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<Localisation> lire_localisateur(std::int32_t valeur) {
    if (valeur < 10000) return std::nullopt;
    Localisation l;
    l.numero = valeur / 10000;
    l.mois = static_cast<unsigned>((valeur / 100) % 100);
    const int annee = 1900 + valeur % 100;
    if (l.mois < 1 || l.mois > 12) return std::nullopt;
    l.fichier = nom_fichier_historique(l.mois, annee).fichier;
    return l;
}

std::string resume_connexion(std::string_view ligne, const ReglagesMonnaie& monnaie) {
    const auto c = champs_ligne(ligne);
    // Un montant illisible se montre tel quel : la question doit toujours pouvoir être posée.
    std::string cout = c[7];
    try {
        cout = formater_montant(c[7], monnaie.ttc, 0, monnaie);
    } catch (const ErreurConversion&) {
    }
    return "\nDATE: " + c[2] + "   HEURE: " + c[3] + "   DUREE: " + c[4] + "\n" + "COUT: " + cout +
           texte_devise(monnaie) + "  TARIFICATION: " + c[1] + "\n" + "UTILISATEUR: " + c[0] +
           "  PROVIDER: " + (c[12].empty() ? std::string("mode manuel") : c[12]) + "\n\n" +
           "Voulez-vous enregistrer cette connexion dans l'historique ?";
}

}  // namespace lumi
