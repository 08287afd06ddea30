#include "history/fenetre/passage_historique.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "history/fichiers_historique.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view texte_inconnu = ".........";

void ajouter_sans_doublon(std::vector<std::string>& liste, std::string_view nom) {
    if (std::find(liste.begin(), liste.end(), nom) == liste.end()) liste.emplace_back(nom);
}

// Le taux de la ligne 4 ("tva : 19,6"), ou celui du programme s'il ne se lit pas.
double taux_du_fichier(std::string_view ligne_tva, double taux_programme) {
    if (ligne_tva.size() < 5) return taux_programme;
    const auto taux = lire_decimal(rogner(ligne_tva.substr(5)));
    return taux ? *taux : taux_programme;
}

}  // namespace

const std::string& LigneListeHistorique::colonne(int i) const {
    switch (i) {
        case 0: return utilisateur;
        case 1: return provider;
        case 2: return date;
        case 3: return heure;
        case 4: return duree;
        case 5: return periode;
        case 6: return tarification;
        case 7: return reduction;
        default: return total;
    }
}

int AccumulateursHistorique::lignes_illisibles() const {
    int n = 0;
    for (const auto& i : illisibles) n += i.nombre;
    return n;
}

double arrondi_affiche(double valeur, int decimales) {
    // Le cas courant (un montant de quelques milliers de francs, loin d'une moitié) se calcule :
    // le texte montré aurait les mêmes chiffres, et le quotient de deux entiers exacts est le
    // double que sa lecture rendrait. Tout le reste passe par le texte.
    static constexpr double puissances[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    if (decimales >= 0 && decimales <= 6 && std::isfinite(valeur)) {
        const double echelle = puissances[decimales];
        const double x = std::fabs(valeur) * echelle;
        const double entier = std::floor(x);
        if (x < 1e10 && std::fabs(x - entier - 0.5) > 0.01) {
            const double unites = x - entier > 0.5 ? entier + 1 : entier;
            if (unites == 0) return 0;  // jamais "-0"
            return (valeur < 0 ? -unites : unites) / echelle;
        }
    }
    const std::string texte = formater_decimal(valeur, decimales, '.');
    double v = 0;
    std::from_chars(texte.data(), texte.data() + texte.size(), v);
    return v;
}

namespace {

// Les octets d'un fichier mensuel vus ligne à ligne, en UTF-8 : un fichier en Windows-1252 n'a que
// ses lignes accentuées converties (les enregistrements sont presque tous ASCII), un fichier marqué
// UTF-8 est décodé d'un bloc comme le lecteur des fichiers le fait.
class LignesFichier {
public:
    explicit LignesFichier(std::string_view octets) : octets_(octets) {
        constexpr std::string_view bom = "\xEF\xBB\xBF";
        if (octets_.starts_with(bom)) {
            decode_ = decoder_fichier_texte(octets_);
            octets_ = decode_;
        } else {
            cp1252_ = !est_utf8_valide(octets_);
        }
    }

    // La ligne suivante sans sa fin de ligne ; faux à la fin du fichier.
    bool suivante(std::string_view& ligne) {
        if (pos_ >= octets_.size()) return false;
        const char* debut = octets_.data() + pos_;
        const auto* nl = static_cast<const char*>(std::memchr(debut, '\n', octets_.size() - pos_));
        std::size_t longueur = nl ? static_cast<std::size_t>(nl - debut) : octets_.size() - pos_;
        pos_ += longueur + 1;
        if (longueur > 0 && debut[longueur - 1] == '\r') --longueur;
        ligne = std::string_view(debut, longueur);
        if (cp1252_ && !est_ascii(ligne)) {
            convertie_ = cp1252_vers_utf8(ligne);
            ligne = convertie_;
        }
        return true;
    }

private:
    std::string_view octets_;
    std::string decode_;
    std::string convertie_;
    bool cp1252_ = false;
    std::size_t pos_ = 0;
};

// Ce qu'un fichier donne. Les montants y restent un à un, dans l'ordre des lignes : additionnés
// ensuite dans l'ordre des fichiers, les totaux sont au bit près ceux d'une lecture d'un seul
// tenant, quel que soit le partage du travail entre les fils d'exécution.
struct PassageFichier {
    bool lu = false;
    std::string fichier;
    std::int32_t nb_enregistrements = 0;  // lignes après l'en-tête, comme le localisateur les numérote
    int nb = 0, nb_auto = 0, nb_manuelles = 0, illisibles = 0;
    std::string raison;  // le fichier entier est illisible
    std::int64_t secondes = 0, secondes_periode = 0;
    std::vector<double> ht, ttc;
    std::vector<float> periode;
    std::vector<std::string> utilisateurs, providers;
    std::vector<LigneListeHistorique> lignes;
    std::exception_ptr erreur;
};

PassageFichier passer_fichier(const fs::path& chemin, unsigned mois, int annee,
                              const CriteresHistorique& criteres, const ReglagesAffichageHistorique& reglages,
                              bool avec_lignes) {
    PassageFichier p;
    // Un passage lit des dizaines de fichiers à la suite : le même tampon sert à tous.
    thread_local std::string tampon;
    const auto octets = lire_fichier_dans(chemin, tampon);
    if (!octets) return p;
    p.lu = true;
    p.fichier = chemin.filename().string();
    if (auto illisible = fichier_historique_illisible(*octets)) {
        // Rien n'y est pris pour une connexion ; les localisateurs des fichiers suivants du même mois
        // comptent ses lignes comme le lecteur des fichiers les coupe.
        p.illisibles = illisible->lignes;
        p.raison = std::move(illisible->raison);
        const auto fins = std::count(octets->begin(), octets->end(), '\n');
        const auto lignes = fins + (!octets->empty() && octets->back() != '\n' ? 1 : 0);
        p.nb_enregistrements =
            static_cast<std::int32_t>(std::max<std::ptrdiff_t>(0, lignes - lignes_entete_historique));
        return p;
    }
    LignesFichier lignes(*octets);
    double taux = reglages.taux_tva;

    std::string_view ligne;
    for (std::size_t indice = 1; indice <= static_cast<std::size_t>(lignes_entete_historique); ++indice) {
        if (!lignes.suivante(ligne)) break;
        if (indice == lignes_entete_historique - 1) taux = taux_du_fichier(ligne, reglages.taux_tva);
    }
    const double facteur_tva = 1 + taux / 100;

    VueEnregistrementHistorique e;
    for (std::size_t numero = 1; lignes.suivante(ligne); ++numero) {
        p.nb_enregistrements = static_cast<std::int32_t>(numero);
        try {
            if (!decoder_vue_ligne_historique(ligne, e)) continue;  // ligne blanche
        } catch (const ErreurConversion&) {
            // Une ligne abîmée (coupée, binaire, mal datée, nombre illisible) ne cache pas celles qui
            // la suivent et n'est jamais une connexion : sautée, comptée, signalée.
            ++p.illisibles;
            continue;
        }

        // Un enregistrement décodé a toujours sa date.
        const bool dans_plage = *e.jour >= criteres.debut && *e.jour <= criteres.fin;
        bool montre = !criteres.utilisateur.actif || egal_sans_casse(e.utilisateur, criteres.utilisateur.valeur);
        if (montre && criteres.tarification.actif && !egal_sans_casse(e.tarification, criteres.tarification.valeur))
            montre = false;
        if (montre && !dans_plage) montre = false;
        if (montre && criteres.option.actif && !egal_sans_casse(e.code_option, criteres.option.valeur))
            montre = false;
        if (montre && e.efface != criteres.effacees) montre = false;
        if (montre && criteres.provider.actif && !egal_sans_casse(e.provider, criteres.provider.valeur))
            montre = false;

        // La facture compte le coût net de chaque connexion vivante de la période, quel que soit
        // l'affichage choisi.
        if (dans_plage && !e.efface) {
            p.periode.push_back(static_cast<float>(e.cout));
            p.secondes_periode += e.secondes;
        }
        if (!montre) continue;

        double cout = e.cout;
        if (!reglages.avec_reductions) cout += e.reduction;
        ++p.nb;
        p.ht.push_back(cout);
        p.ttc.push_back(arrondi_affiche(cout * facteur_tva, reglages.nb_decimales));
        p.secondes += e.secondes;
        if (e.mode == "A") ++p.nb_auto;
        if (e.mode == "M") ++p.nb_manuelles;
        // Les noms rencontrés, pour les listes des filtres.
        if (!rogner(e.utilisateur).empty()) ajouter_sans_doublon(p.utilisateurs, e.utilisateur);
        const bool avec_provider = !e.provider.empty() && e.provider != "0";
        if (avec_provider) ajouter_sans_doublon(p.providers, e.provider);
        if (!avec_lignes) continue;

        LigneListeHistorique l;
        l.utilisateur = std::string(rogner(e.utilisateur));
        if (avec_provider) {
            l.provider = std::string(e.provider);
        } else {
            l.provider = e.mode == "M" ? "mode manuel" : "    ? ? ?";
        }
        l.date = date_enregistrement(e.date);
        l.heure = e.heure;
        l.duree = e.duree;
        l.periode = e.periode;
        l.tarification = e.tarification;
        if (e.tarification == texte_inconnu) {
            l.tarification = texte_inconnu;
            l.periode = texte_inconnu;
            l.provider = "terminée,";
        }
        const double facteur = reglages.ttc ? facteur_tva : 1.0;
        l.montant_reduction = e.reduction * facteur;
        l.montant_total = cout * facteur;
        l.reduction = " " + formater_decimal(l.montant_reduction, reglages.nb_decimales, '.') + reglages.devise;
        if (!e.code_option.empty() && e.code_option != "0") {
            l.option = std::string(e.code_option);
            l.reduction += " (" + l.option + ")";
        }
        l.montant_ht = p.ht.back();
        l.montant_ttc = p.ttc.back();
        l.total = formater_decimal(l.montant_total, reglages.nb_decimales, '.');
        l.localisateur = localisateur(static_cast<std::int32_t>(numero), mois, annee).value_or(0);
        l.jour = *e.jour;
        l.secondes = e.secondes;
        p.lignes.push_back(std::move(l));
    }
    return p;
}

// Le numéro d'une ligne compte après les `decalage` enregistrements des fichiers du même mois lus
// avant le sien.
void decaler_localisateur(LigneListeHistorique& l, std::int32_t decalage, unsigned mois, int annee) {
    if (decalage > 0 && l.localisateur > 0)
        l.localisateur = localisateur(l.localisateur / 10000 + decalage, mois, annee).value_or(0);
}

// Ajoute aux accumulateurs ce qu'un fichier a donné, les montants dans l'ordre de ses lignes.
// `decalage` : les enregistrements des fichiers du même mois lus avant lui, que ses localisateurs
// suivent.
void ajouter_passage(AccumulateursHistorique& acc, PassageFichier&& p, const LigneMontree& rappel,
                     unsigned mois = 0, int annee = 0, std::int32_t decalage = 0) {
    acc.nb += p.nb;
    acc.nb_auto += p.nb_auto;
    acc.nb_manuelles += p.nb_manuelles;
    acc.secondes += p.secondes;
    acc.secondes_periode += p.secondes_periode;
    for (const double v : p.ht) acc.total_ht += v;
    for (const double v : p.ttc) acc.total_ttc += v;
    for (const float v : p.periode) acc.cout_periode += v;
    for (const auto& nom : p.utilisateurs) ajouter_sans_doublon(acc.utilisateurs, nom);
    for (const auto& nom : p.providers) ajouter_sans_doublon(acc.providers, nom);
    if (p.illisibles > 0 || !p.raison.empty())
        acc.illisibles.push_back({std::move(p.fichier), p.illisibles, std::move(p.raison)});
    if (rappel) {
        for (auto& l : p.lignes) {
            decaler_localisateur(l, decalage, mois, annee);
            rappel(std::move(l));
        }
    }
    acc.rien_affiche = acc.nb == 0;
}

struct FichierALire {
    fs::path chemin;
    unsigned mois;
    int annee;
    bool premier_du_mois;
};

void ajouter_fichiers_du_mois(std::vector<FichierALire>& liste, const InventaireHistorique& inventaire,
                              unsigned mois, int annee) {
    bool premier = true;
    for (const auto& chemin : inventaire.fichiers(mois, annee)) {
        liste.push_back({chemin, mois, annee, premier});
        premier = false;
    }
}

}  // namespace

bool lecture_historique(const fs::path& chemin, unsigned mois, int annee, const CriteresHistorique& criteres,
                        const ReglagesAffichageHistorique& reglages, AccumulateursHistorique& acc,
                        const LigneMontree& rappel) {
    PassageFichier p = passer_fichier(chemin, mois, annee, criteres, reglages, static_cast<bool>(rappel));
    const bool lu = p.lu;
    if (lu) ajouter_passage(acc, std::move(p), rappel);
    return lu;
}

bool lecture_mois_historique(const fs::path& dossier_historique, unsigned mois, int annee,
                             const CriteresHistorique& criteres, const ReglagesAffichageHistorique& reglages,
                             AccumulateursHistorique& acc, const LigneMontree& rappel) {
    const InventaireHistorique inventaire(dossier_historique);
    bool lu = false;
    std::int32_t decalage = 0;
    for (const auto& chemin : inventaire.fichiers(mois, annee)) {
        PassageFichier p = passer_fichier(chemin, mois, annee, criteres, reglages, static_cast<bool>(rappel));
        if (!p.lu) continue;
        lu = true;
        const std::int32_t nb = p.nb_enregistrements;
        ajouter_passage(acc, std::move(p), rappel, mois, annee, decalage);
        decalage += nb;
    }
    return lu;
}

void parcourir_plage_historique(const fs::path& dossier_historique, const CriteresHistorique& criteres,
                                const ReglagesAffichageHistorique& reglages, AccumulateursHistorique& acc,
                                const LigneMontree& rappel) {
    CriteresHistorique c = criteres;
    if (c.fin < c.debut) std::swap(c.debut, c.fin);
    std::vector<FichierALire> liste;
    const InventaireHistorique inventaire(dossier_historique);
    const auto debut = date_du_jour(c.debut);
    const auto fin = date_du_jour(c.fin);
    int annee = static_cast<int>(debut.year());
    unsigned mois = static_cast<unsigned>(debut.month());
    const int annee_fin = static_cast<int>(fin.year());
    const unsigned mois_fin = static_cast<unsigned>(fin.month());
    while (annee < annee_fin || (annee == annee_fin && mois <= mois_fin)) {
        ajouter_fichiers_du_mois(liste, inventaire, mois, annee);
        if (++mois > 12) {
            mois = 1;
            ++annee;
        }
    }
    const bool avec_lignes = static_cast<bool>(rappel);
    std::int32_t decalage = 0;
    // Dans l'ordre des fichiers : ceux d'un même mois numérotent leurs enregistrements à la suite.
    const auto ajouter = [&](std::size_t i, PassageFichier&& p) {
        if (liste[i].premier_du_mois) decalage = 0;
        if (!p.lu) return;
        const std::int32_t nb = p.nb_enregistrements;
        ajouter_passage(acc, std::move(p), rappel, liste[i].mois, liste[i].annee, decalage);
        decalage += nb;
    };
    const auto passer = [&](std::size_t i) {
        PassageFichier p;
        try {
            p = passer_fichier(liste[i].chemin, liste[i].mois, liste[i].annee, c, reglages, avec_lignes);
        } catch (...) {
            p.erreur = std::current_exception();
        }
        return p;
    };

    // Plusieurs mois et plusieurs cœurs : un second fil lit les fichiers avec celui-ci, qui ajoute
    // chaque fichier lu dans l'ordre des mois (les totaux et la liste sont ceux d'une seule lecture).
    const std::size_t n = liste.size();
    if (n < 2 || std::thread::hardware_concurrency() < 2) {
        for (std::size_t i = 0; i < n; ++i) {
            PassageFichier p = passer(i);
            if (p.erreur) std::rethrow_exception(p.erreur);
            ajouter(i, std::move(p));
        }
        acc.rien_affiche = acc.nb == 0;
        return;
    }
    std::vector<PassageFichier> resultats(n);
    std::vector<bool> prets(n, false);
    std::mutex verrou;
    std::condition_variable pret;
    std::atomic<std::size_t> prochain{0};
    const auto ranger = [&](std::size_t i, PassageFichier&& p) {
        {
            const std::lock_guard garde(verrou);
            resultats[i] = std::move(p);
            prets[i] = true;
        }
        pret.notify_all();
    };
    {
        // Déclaré après tout ce qu'il touche : arrêté (plus de fichier à prendre) puis attendu avant
        // que rien ne disparaisse, même si un rappel lève une exception.
        struct Arret {
            std::atomic<std::size_t>& prochain;
            std::size_t n;
            ~Arret() { prochain = n; }
        };
        std::jthread second([&] {
            for (std::size_t i; (i = prochain++) < n;) ranger(i, passer(i));
        });
        const Arret arret{prochain, n};
        for (std::size_t suivant = 0; suivant < n;) {
            std::unique_lock attente(verrou);
            if (!prets[suivant]) {
                attente.unlock();
                if (const std::size_t i = prochain++; i < n) {
                    ranger(i, passer(i));
                    continue;
                }
                attente.lock();
                pret.wait(attente, [&] { return prets[suivant]; });
            }
            PassageFichier p = std::move(resultats[suivant]);
            attente.unlock();
            ++suivant;
            if (p.erreur) std::rethrow_exception(p.erreur);
            ajouter(suivant - 1, std::move(p));
        }
    }
    acc.rien_affiche = acc.nb == 0;
}

void parcourir_lignes_plage_historique(const fs::path& dossier_historique, const CriteresHistorique& criteres,
                                       const ReglagesAffichageHistorique& reglages,
                                       const LigneMontree& rappel) {
    CriteresHistorique c = criteres;
    if (c.fin < c.debut) std::swap(c.debut, c.fin);
    const InventaireHistorique inventaire(dossier_historique);
    const auto debut = date_du_jour(c.debut);
    const auto fin = date_du_jour(c.fin);
    const int annee_debut = static_cast<int>(debut.year());
    const unsigned mois_debut = static_cast<unsigned>(debut.month());
    int annee = static_cast<int>(fin.year());
    unsigned mois = static_cast<unsigned>(fin.month());
    // Un million de lignes ne tiennent pas en mémoire pour être retournées : chaque mois est lu dans
    // l'ordre de ses fichiers (ses localisateurs se suivent d'un fichier à l'autre), puis rendu à
    // rebours.
    std::vector<std::vector<LigneListeHistorique>> fichiers_du_mois;
    while (annee > annee_debut || (annee == annee_debut && mois >= mois_debut)) {
        fichiers_du_mois.clear();
        std::int32_t decalage = 0;
        for (const auto& chemin : inventaire.fichiers(mois, annee)) {
            PassageFichier p = passer_fichier(chemin, mois, annee, c, reglages, true);
            if (!p.lu) continue;
            for (auto& l : p.lignes) decaler_localisateur(l, decalage, mois, annee);
            decalage += p.nb_enregistrements;
            fichiers_du_mois.push_back(std::move(p.lignes));
        }
        for (auto f = fichiers_du_mois.rbegin(); f != fichiers_du_mois.rend(); ++f) {
            for (auto l = f->rbegin(); l != f->rend(); ++l) rappel(std::move(*l));
        }
        if (--mois < 1) {
            mois = 12;
            --annee;
        }
    }
}

std::string texte_duree_panneau(std::int64_t secondes) {
    return champ_2(secondes / 3600) + "h" + champ_2((secondes % 3600) / 60) + "m" + champ_2(secondes % 60) + "s";
}

std::string titre_colonne_total(const ReglagesAffichageHistorique& reglages) {
    return std::string(reglages.ttc ? "Total TTC" : "Total HT") + (reglages.avec_reductions ? " AR" : " SR");
}

StatistiquesHistorique affichage_statistiques(const AccumulateursHistorique& acc,
                                              const ReglagesAffichageHistorique& reglages) {
    const auto montant = [&](double v) {
        return formater_decimal(v, reglages.nb_decimales, reglages.separateur) + reglages.devise;
    };
    StatistiquesHistorique s;
    s.duree_totale = texte_duree_panneau(acc.secondes);
    s.duree_moyenne = texte_duree_panneau(acc.nb > 0 ? acc.secondes / acc.nb : 0);
    s.titre_cout_moyen =
        reglages.ttc ? " Coût  moyen TTC d'une connexion" : " Coût  moyen HT d'une connexion";
    s.cout_moyen = montant(acc.nb > 0 ? (reglages.ttc ? acc.total_ttc : acc.total_ht) / acc.nb : 0.0);
    s.nb_auto = std::to_string(acc.nb_auto);
    s.nb_manuelles = std::to_string(acc.nb_manuelles);
    s.nb_total = std::to_string(acc.nb_auto + acc.nb_manuelles);
    s.total_ht = montant(acc.total_ht);
    s.tva = montant(acc.total_ttc - acc.total_ht);
    s.total_ttc = montant(acc.total_ttc);
    return s;
}

std::string texte_lignes_illisibles(const std::vector<LignesIllisibles>& illisibles) {
    std::string texte;
    for (const auto& i : illisibles) {
        if (!texte.empty()) texte += ", ";
        if (i.nombre == 0) {
            texte += i.fichier + " illisible";
        } else {
            texte += std::to_string(i.nombre) +
                     (i.nombre > 1 ? " lignes illisibles dans " : " ligne illisible dans ") + i.fichier;
        }
        if (!i.raison.empty()) texte += " (" + i.raison + ")";
    }
    return texte;
}

}  // namespace lumi
