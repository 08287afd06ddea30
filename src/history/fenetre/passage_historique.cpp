#include "history/fenetre/passage_historique.hpp"

#include <algorithm>
#include <charconv>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
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
    const std::string texte = formater_decimal(valeur, decimales, '.');
    double v = 0;
    std::from_chars(texte.data(), texte.data() + texte.size(), v);
    return v;
}

bool lecture_historique(const fs::path& chemin, unsigned mois, int annee, const CriteresHistorique& criteres,
                        const ReglagesAffichageHistorique& reglages, AccumulateursHistorique& acc,
                        const LigneMontree& rappel) {
    const auto lu = lire_fichier_historique(chemin);
    if (!lu) return false;
    const double taux = taux_du_fichier(lu->ligne_tva(), reglages.taux_tva);
    const double facteur_tva = 1 + taux / 100;
    int illisibles = 0;

    for (std::size_t numero = 1; numero <= lu->nb_enregistrements(); ++numero) {
        std::optional<EnregistrementHistorique> lu_ligne;
        try {
            lu_ligne = decoder_ligne_historique(lu->enregistrement(numero));
        } catch (const ErreurConversion&) {
            // Un enregistrement abîmé ne cache pas ceux qui le suivent : sauté, compté, signalé.
            ++illisibles;
            continue;
        }
        if (!lu_ligne) continue;  // ligne vide ou coupée par un arrêt brutal
        const EnregistrementHistorique& e = *lu_ligne;

        const bool dans_plage = e.jour && *e.jour >= criteres.debut && *e.jour <= criteres.fin;
        bool montre = !criteres.utilisateur.actif || egal_sans_casse(e.utilisateur, criteres.utilisateur.valeur);
        if (montre && criteres.tarification.actif && !egal_sans_casse(e.tarification, criteres.tarification.valeur))
            montre = false;
        if (montre && e.jour && !dans_plage) montre = false;
        if (montre && criteres.option.actif && !egal_sans_casse(e.code_option, criteres.option.valeur))
            montre = false;
        if (montre && e.efface != criteres.effacees) montre = false;
        if (montre && criteres.provider.actif && !egal_sans_casse(e.provider, criteres.provider.valeur))
            montre = false;

        // La facture compte le coût net de chaque connexion vivante de la période, quel que soit
        // l'affichage choisi.
        if (dans_plage && !e.efface) {
            acc.cout_periode += static_cast<float>(e.cout);
            acc.secondes_periode += e.secondes;
        }
        if (!montre) continue;

        double cout = e.cout;
        if (!reglages.avec_reductions) cout += e.reduction;
        ++acc.nb;
        acc.total_ht += cout;
        acc.total_ttc += arrondi_affiche(cout * facteur_tva, reglages.nb_decimales);
        acc.secondes += e.secondes;
        if (e.mode == "A") ++acc.nb_auto;
        if (e.mode == "M") ++acc.nb_manuelles;

        if (!rappel) {
            // Sans liste à remplir (l'outil sans --lignes), seuls les filtres des noms rencontrés.
            if (!rogner(e.utilisateur).empty()) ajouter_sans_doublon(acc.utilisateurs, e.utilisateur);
            if (!e.provider.empty() && e.provider != "0") ajouter_sans_doublon(acc.providers, e.provider);
            continue;
        }
        LigneListeHistorique l;
        l.utilisateur = std::string(rogner(e.utilisateur));
        if (!l.utilisateur.empty()) ajouter_sans_doublon(acc.utilisateurs, e.utilisateur);
        if (!e.provider.empty() && e.provider != "0") {
            ajouter_sans_doublon(acc.providers, e.provider);
            l.provider = e.provider;
        } else {
            l.provider = e.mode == "M" ? "mode manuel" : "    ? ? ?";
        }
        l.date = e.date;
        l.heure = e.heure;
        l.duree = e.duree;
        l.periode = e.periode;
        l.tarification = e.tarification;
        if (!e.jour || e.tarification == texte_inconnu) {
            l.tarification = texte_inconnu;
            l.periode = texte_inconnu;
            l.provider = "terminée,";
        }
        const double facteur = reglages.ttc ? facteur_tva : 1.0;
        l.montant_reduction = e.reduction * facteur;
        l.montant_total = cout * facteur;
        l.reduction = " " + formater_decimal(l.montant_reduction, reglages.nb_decimales, '.') + reglages.devise;
        if (!e.code_option.empty() && e.code_option != "0") l.reduction += " (" + e.code_option + ")";
        l.total = formater_decimal(l.montant_total, reglages.nb_decimales, '.');
        l.localisateur = localisateur(static_cast<std::int32_t>(numero), mois, annee).value_or(0);
        l.jour = e.jour.value_or(0);
        l.secondes = e.secondes;
        rappel(std::move(l), e);
    }
    if (illisibles > 0) acc.illisibles.push_back({chemin.filename().string(), illisibles});
    acc.rien_affiche = acc.nb == 0;
    return true;
}

void parcourir_plage_historique(const fs::path& dossier_historique, const CriteresHistorique& criteres,
                                const ReglagesAffichageHistorique& reglages, AccumulateursHistorique& acc,
                                const LigneMontree& rappel) {
    CriteresHistorique c = criteres;
    if (c.fin < c.debut) std::swap(c.debut, c.fin);
    const auto debut = date_du_jour(c.debut);
    const auto fin = date_du_jour(c.fin);
    int annee = static_cast<int>(debut.year());
    unsigned mois = static_cast<unsigned>(debut.month());
    const int annee_fin = static_cast<int>(fin.year());
    const unsigned mois_fin = static_cast<unsigned>(fin.month());
    while (annee < annee_fin || (annee == annee_fin && mois <= mois_fin)) {
        const auto nom = nom_fichier_historique(mois, annee);
        lecture_historique(dossier_historique / nom.fichier, mois, annee, c, reglages, acc, rappel);
        if (++mois > 12) {
            mois = 1;
            ++annee;
        }
    }
    acc.rien_affiche = acc.nb == 0;
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
        texte += std::to_string(i.nombre) + (i.nombre > 1 ? " lignes illisibles dans " : " ligne illisible dans ") +
                 i.fichier;
    }
    return texte;
}

}  // namespace lumi
