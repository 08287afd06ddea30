#include "tariff/plages.hpp"

#include <algorithm>

#include "base/dates.hpp"
#include "base/decimal.hpp"
#include "base/erreurs.hpp"

namespace lumi {

namespace {

// Longueur en octets du premier caractère UTF-8 (1 pour un octet isolé invalide).
std::size_t longueur_premier_caractere(std::string_view s) {
    if (s.empty()) return 0;
    const auto c = static_cast<unsigned char>(s.front());
    std::size_t n = 1;
    if ((c >> 5) == 0x6) {
        n = 2;
    } else if ((c >> 4) == 0xE) {
        n = 3;
    } else if ((c >> 3) == 0x1E) {
        n = 4;
    }
    return std::min(n, s.size());
}

struct GroupeBrut {
    int indice = 0;
    std::vector<std::string> elements;
};

struct AnalyseBrute {
    std::string code;
    std::vector<GroupeBrut> groupes;
};

std::vector<std::string> decouper(std::string_view corps) {
    std::vector<std::string> elements;
    while (true) {
        const auto virgule = corps.find(',');
        elements.emplace_back(corps.substr(0, virgule));
        if (virgule == std::string_view::npos) break;
        corps.remove_prefix(virgule + 1);
    }
    return elements;
}

AnalyseBrute analyser(std::string_view s) {
    AnalyseBrute r;
    const auto n = longueur_premier_caractere(s);
    r.code = std::string(s.substr(0, n));
    s.remove_prefix(n);
    s.remove_prefix(longueur_premier_caractere(s));  // le séparateur
    while (true) {
        // L'indice va du 5e caractère (après "taux") jusqu'à la première virgule.
        const auto virgule = s.find(',');
        const std::string_view texte_indice = (virgule != std::string_view::npos && virgule > 4)
                                                  ? s.substr(4, virgule - 4)
                                                  : std::string_view{};
        const auto indice = lire_entier(texte_indice);
        if (!indice) break;
        s.remove_prefix(virgule + 1);
        const auto suivant = s.find("taux");
        GroupeBrut groupe;
        groupe.indice = *indice;
        if (suivant == std::string_view::npos) {
            groupe.elements = decouper(s);
            r.groupes.push_back(std::move(groupe));
            break;
        }
        // Le caractère juste avant "taux" sépare les groupes et n'appartient à aucun.
        groupe.elements = decouper(s.substr(0, suivant >= 1 ? suivant - 1 : 0));
        r.groupes.push_back(std::move(groupe));
        s.remove_prefix(suivant);
    }
    return r;
}

std::vector<std::string> en_chaines(const AnalyseBrute& a) {
    std::vector<std::string> liste;
    liste.push_back(std::to_string(a.groupes.size()));
    liste.push_back(a.code);
    for (const auto& g : a.groupes) {
        liste.push_back(std::to_string(g.indice));
        liste.push_back(std::to_string(g.elements.size() / 2));
        liste.insert(liste.end(), g.elements.begin(), g.elements.end());
    }
    return liste;
}

}  // namespace

std::string decrire(const OrigineValeur& origine) {
    return "clé « " + origine.cle + " » de la section [" + origine.section + "] du fichier « " +
           origine.fichier + " »";
}

std::vector<std::string> get_plages_horaires_in_stringliste(std::string_view valeur) {
    return en_chaines(analyser(valeur));
}

ListePlages::ListePlages(std::string_view valeur, OrigineValeur origine) : origine_(std::move(origine)) {
    const auto analyse = analyser(valeur);
    chaines_ = en_chaines(analyse);
    if (analyse.code.size() == 1 && analyse.code[0] >= '0' && analyse.code[0] <= '9') {
        code_ = analyse.code[0] - '0';
    }
    for (const auto& brut : analyse.groupes) {
        if (brut.indice < 0 || brut.indice >= 21) {
            erreur_groupes_ = "l'indice de taux " + std::to_string(brut.indice) + " n'est pas entre 0 et 20";
            break;
        }
        if (brut.elements.size() % 2 != 0) {
            erreur_groupes_ = "le groupe taux" + std::to_string(brut.indice) +
                              " a un nombre impair de bornes (" + std::to_string(brut.elements.size()) + ")";
            break;
        }
        GroupePlages groupe{brut.indice, {}};
        for (std::size_t i = 0; i < brut.elements.size() && erreur_groupes_.empty(); i += 2) {
            const auto a = lire_entier(brut.elements[i]);
            const auto b = lire_entier(brut.elements[i + 1]);
            if (!a || !b) {
                erreur_groupes_ =
                    "la borne « " + brut.elements[a ? i + 1 : i] + " » n'est pas un nombre entier";
                break;
            }
            groupe.intervalles.push_back({*a, *b});
        }
        if (!erreur_groupes_.empty()) break;
        groupes_.push_back(std::move(groupe));
    }
    if (!erreur_groupes_.empty()) groupes_.clear();
}

int ListePlages::code_jour() const {
    if (!code_) {
        if (chaines_.empty()) throw ErreurConversion("Aucune liste de plages horaires n'est chargée.");
        const std::string code = chaines_.size() > 1 ? chaines_[1] : std::string{};
        throw ErreurConversion("Liste de plages horaires sans code jour valide (« " + code +
                               " ») : " + decrire(origine_) + ".");
    }
    return *code_;
}

const std::vector<GroupePlages>& ListePlages::groupes() const {
    if (!erreur_groupes_.empty()) {
        throw ErreurConversion("Liste de plages horaires mal formée, " + erreur_groupes_ + " : " +
                               decrire(origine_) + ".");
    }
    return groupes_;
}

void ListePlages::verifier(bool toute_la_journee) const {
    (void)code_jour();
    const auto erreur = [this](const std::string& detail) {
        throw ErreurConversion("Liste de plages horaires mal formée, " + detail + " : " + decrire(origine_) +
                               ".");
    };
    std::vector<IntervallePlage> intervalles;
    for (const auto& groupe : groupes()) {
        for (const auto& iv : groupe.intervalles) {
            for (const auto borne : {iv.debut, iv.fin}) {
                if (borne < 0 || borne >= secondes_par_jour) {
                    erreur("la borne " + std::to_string(borne) +
                           " n'est pas une seconde du jour (0 à 86399)");
                }
            }
            if (iv.debut > iv.fin) {
                erreur("l'intervalle " + std::to_string(iv.debut) + "," + std::to_string(iv.fin) + " (" +
                       formater_heure(iv.debut) + " à " + formater_heure(iv.fin) +
                       ") finit avant de commencer");
            }
            intervalles.push_back(iv);
        }
    }
    if (!toute_la_journee) return;

    const auto secondes = [](std::int32_t a, std::int32_t b) {
        return "les secondes " + std::to_string(a) + " à " + std::to_string(b) + " (" + formater_heure(a) +
               " à " + formater_heure(b) + ")";
    };
    std::sort(intervalles.begin(), intervalles.end(),
              [](const IntervallePlage& x, const IntervallePlage& y) { return x.debut < y.debut; });
    std::int32_t suivante = 0;  // première seconde pas encore couverte
    for (const auto& iv : intervalles) {
        if (iv.debut > suivante) erreur(secondes(suivante, iv.debut - 1) + " ne sont dans aucune plage");
        if (iv.debut < suivante) {
            erreur(secondes(iv.debut, std::min(iv.fin, suivante - 1)) + " sont dans deux plages");
        }
        suivante = iv.fin + 1;
    }
    if (suivante < secondes_par_jour) {
        erreur(secondes(suivante, secondes_par_jour - 1) + " ne sont dans aucune plage");
    }
}

void verifier_listes(const TroisListes& listes, bool toute_la_journee) {
    for (const auto& liste : listes) liste.verifier(toute_la_journee);
    for (std::size_t i = 0; i < listes.size(); ++i) {
        for (std::size_t j = i + 1; j < listes.size(); ++j) {
            if (listes[i].code_jour() != listes[j].code_jour()) continue;
            const auto& a = listes[i].origine();
            const auto& b = listes[j].origine();
            throw ErreurConversion("Deux listes de plages horaires pour les mêmes jours (code jour " +
                                   std::to_string(listes[i].code_jour()) + ") : clés « " + a.cle +
                                   " » et « " + b.cle + " » de la section [" + b.section + "] du fichier « " +
                                   b.fichier + " ».");
        }
    }
}

}  // namespace lumi
