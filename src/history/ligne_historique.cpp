#include "history/ligne_historique.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
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

// Champ numérique d'un enregistrement : vide vaut 0 (champ manquant), sinon un nombre.
double nombre(std::string_view texte, int numero) {
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

// Un texte venu d'ailleurs (nom d'utilisateur, de tarif, d'option, d'entrée d'annuaire) ne doit
// ni ajouter un champ ni couper la ligne : un ";" deviendrait un champ de plus et décalerait le
// montant que la facture relit, une fin de ligne ou un octet nul la feraient prendre pour coupée.
std::string champ_texte(std::string_view texte) {
    std::string champ(texte);
    for (char& c : champ) {
        if (c == ';') {
            c = ',';
        } else if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
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

bool est_ligne_coupee(std::string_view ligne) {
    if (ligne.find('\0') != std::string_view::npos) return true;
    return ligne.empty() || ligne.back() != ';';
}

std::optional<EnregistrementHistorique> decoder_ligne_historique(std::string_view ligne) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
    if (rogner(ligne).empty() || est_ligne_coupee(ligne)) return std::nullopt;
    // Les champs vus en place, sans copie : le lecteur passe ici pour chaque enregistrement.
    // Des champs de quelques caractères : un simple parcours vaut mieux qu'un memchr par champ.
    std::array<std::string_view, nb_champs_ligne> c{};
    for (std::size_t n = 0, debut = 0; n < c.size() && debut < ligne.size(); ++n) {
        std::size_t fin = debut;
        while (fin < ligne.size() && ligne[fin] != ';') ++fin;
        c[n] = ligne.substr(debut, fin - debut);
        debut = fin + 1;
    }

    EnregistrementHistorique e;
    e.utilisateur = c[0];
    e.tarification = c[1];
    e.date = c[2];
    // Les anciennes éditions écrivaient l'année sur deux chiffres : ce sont des années 1900.
    if (e.date.size() == 8) e.date.insert(6, "19");
    e.jour = lire_date(e.date);
    e.heure = c[3];
    e.duree = c[4];
    e.secondes = lire_duree_champ(c[4]);
    e.periode = c[5];
    // Les anciens mots du mode de départ.
    const std::string_view mode = c[6];
    e.mode = mode == "accidentelle" || mode == "auto" ? std::string_view("A")
             : mode == "manuelle"                     ? std::string_view("M")
                                                      : mode;
    e.cout = nombre(c[7], 8);

    const double champ9 = nombre(c[8], 9);
    const double disposition = std::trunc(champ9);
    bool disposition_connue = true;
    if (disposition == -4) {
        e.code_option = c[9];
        e.reduction = nombre(c[10], 11);
    } else if (disposition == -3) {
        e.code_option = "FLA";
        e.reduction = nombre(c[10], 11);
    } else if (disposition == -2) {
        e.code_option = "Itoo";
        e.reduction = nombre(c[10], 11);
    } else if (disposition == -1) {
        e.code_option = "FL";
        e.reduction = nombre(c[10], 11);
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
        if (const double v = nombre(c[9], 10); v != 0) {
            code = "P";
            e.reduction = v;
        }
        if (const double v = nombre(c[10], 11); v != 0) {
            code = "Pi";
            e.reduction = v;
        }
        e.code_option = code;
    }
    if (e.code_option.empty() || e.code_option == "0") e.reduction = 0;

    e.efface = c[11] == marque_efface;
    e.provider = c[12];
    return e;
}

NomFichierHistorique nom_fichier_historique(unsigned mois, int annee) {
    if (mois < 1 || mois > 12) return {};
    const std::string texte_annee = std::to_string(annee);
    // Les caractères 3 et 4 de l'année : 2000 -> "00", 1999 -> "99".
    const std::string deux_chiffres =
        texte_annee.size() >= 4 && annee > 0 ? texte_annee.substr(2, 2) : champ_2(std::abs(annee) % 100);
    NomFichierHistorique n;
    n.mois = mois_historique[mois - 1];
    n.fichier = n.mois + deux_chiffres + ".fct";
    return n;
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
