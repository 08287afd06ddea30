#include "tariff/affichage_tarif.hpp"

#include <algorithm>
#include <stdexcept>

#include "tariff/calendrier.hpp"
#include "tariff/prix.hpp"

namespace lumi {

namespace {

constexpr std::int32_t derniere_seconde = 86399;

int abscisse(int largeur, std::int32_t seconde) {
    // Division entière : tronquée vers zéro comme la règle le veut.
    return static_cast<int>(static_cast<std::int64_t>(largeur) * seconde / derniere_seconde);
}

void ajouter_etiquette(DessinPlages& dessin, int x, std::string texte) {
    EtiquetteHeure etiquette{x, std::move(texte)};
    if (std::find(dessin.etiquettes.begin(), dessin.etiquettes.end(), etiquette) == dessin.etiquettes.end()) {
        dessin.etiquettes.push_back(std::move(etiquette));
    }
}

// Texte du code jour d'une liste, vide quand la liste n'en a pas de valide.
std::string texte_du_jour(const ListePlages& liste) {
    try {
        return std::string(get_jour_plage_horaire(liste.code_jour()));
    } catch (const std::exception&) {
        return {};
    }
}

// Les montants de la zone : F(x) est le montant avec la devise, A(x) sans.
class Montants {
public:
    explicit Montants(const DonneesAffichageTarif& d) : d_(d) {}

    std::string A(double x, const ReglagesMonnaie& monnaie) const {
        return formater_montant(texte_montant(x), monnaie.ttc, 0, monnaie);
    }
    std::string F(double x) const { return A(x, d_.monnaie) + texte_devise(d_.monnaie); }

    // Le prix après l'option, tel qu'il s'annonce avant tout temps écoulé : la réduction fixe d'une
    // option "R", rien pour un forfait "F", le prix entier sinon. Les fenêtres de temps écoulé ont leur
    // propre affichage et les compteurs de la connexion en cours n'y entrent pas.
    double P(double x) const {
        CompteursReduction vierges;
        return calcul_prix_avec_reduction(d_.option.type_forfait, x, d_.option, d_.tarif, vierges, 0, 0);
    }

    // Connexion et crédit temps, dus dès le premier top. Comme dans le prix de l'appel, un crédit
    // temps de durée nulle ne coûte rien, quel que soit le prix écrit dans le fichier.
    double frais_fixes() const {
        const auto& t = d_.tarif;
        return double(t.cout_ht_connexion) + (t.credit_temps != 0 ? double(t.cout_ht_credit_temps) : 0.0);
    }

    // Total d'une heure au prix par minute `prix`, crédit temps compris.
    double heure(double prix) const { return frais_fixes() + (3600.0 - d_.tarif.credit_temps) / 60.0 * prix; }

private:
    const DonneesAffichageTarif& d_;
};

void remplir_prix(ZoneInformationTarif& zone, const DonneesAffichageTarif& d, const Montants& m) {
    const auto& t = d.tarif;
    const auto& o = d.option;
    zone.connexion = m.F(t.cout_ht_connexion);
    if (t.credit_temps != 0 && t.cout_ht_credit_temps != 0) {
        zone.credit_temps =
            calcul_temps_en_minutes_et_secondes(t.credit_temps) + "  =  " + m.F(m.P(t.cout_ht_credit_temps));
    } else {
        zone.credit_temps = "aucun";
    }
    auto& ligne1 = zone.lignes[0];
    auto& ligne2 = zone.lignes[1];
    if (o.t[1] == 0) {
        ligne1.par_minute = m.F(m.P(t.cout_ht_tarif_reduit)) + "/min";
        ligne2.par_minute = m.F(m.P(t.cout_ht_plein_tarif)) + "/min";
        ligne1.total = m.F(m.P(m.heure(t.cout_ht_tarif_reduit))) + "/h";
        ligne2.total = m.F(m.P(m.heure(t.cout_ht_plein_tarif))) + "/h";
        return;
    }
    // Fenêtres de temps écoulé : le prix par minute de chaque fenêtre, à deux décimales.
    ReglagesMonnaie deux_decimales = d.monnaie;
    deux_decimales.nb_decimales = 2;
    const auto fenetres = [&](double B, LigneTarif& ligne) {
        const double B1 = B - o.t[1] * B * 0.01;
        const double B2 = B - o.t[2] * B * 0.01;
        const double B3 = B - o.t[3] * B * 0.01;
        ligne.par_minute = m.A(B, deux_decimales) + " > " + m.A(B1, deux_decimales) + " > " +
                           m.A(B2, deux_decimales) + " > " + m.A(B3, deux_decimales) + " " +
                           texte_devise(d.monnaie) + "/min";
        // Différences en double : des bornes aberrantes (dt très négatif) ne débordent pas.
        const double dt1 = o.dt[1];
        const double dt2 = o.dt[2];
        const double dt3 = o.dt[3];
        const double heure = m.frais_fixes() + (dt1 - t.credit_temps) / 60.0 * B + (dt2 - dt1) / 60.0 * B1 +
                             (dt3 - dt2) / 60.0 * B2 + (3600.0 - dt3) / 60.0 * B3;
        ligne.total = m.F(heure) + "/h";
    };
    fenetres(t.cout_ht_tarif_reduit, ligne1);
    fenetres(t.cout_ht_plein_tarif, ligne2);
}

void remplir_forfait(ZoneForfait& forfait, const DonneesAffichageTarif& d) {
    const auto& o = d.option;
    forfait.visible = true;
    forfait.Gauge2.visible = true;
    regler_jauge(forfait.Gauge2, o.duree_forfait, o.temps_forfait_debut);
    forfait.temps_restant = format_hms(o.temps_forfait_debut);
    forfait.Label10 = d.texte_raz_forfait;
    if (o.unite_decompte == 1) {
        forfait.texte_decompte = "Décompte du forfait : à la seconde";
    } else if (o.unite_decompte == 60) {
        forfait.texte_decompte = "Décompte du forfait : Toutes les minutes";
    } else {
        forfait.texte_decompte =
            "Décompte du forfait : toutes les " + std::to_string(o.unite_decompte) + " secondes";
    }
}

}  // namespace

std::string cle_couleur_taux(int indice) {
    return "taux" + std::to_string(indice);
}

void zones_tarifaires(DessinPlages& dessin, int barre, std::int32_t a, std::uint32_t couleur, std::int32_t b,
                      int indice_taux) {
    const int W = dessin.largeur;
    const int x1 = abscisse(W, a);
    const int x2 = abscisse(W, b);
    dessin.barres.at(static_cast<std::size_t>(barre))
        .rectangles.push_back({a, b, indice_taux, couleur, x1, 0, x2, dessin.hauteur});
    if (a % 3600 == 0) ajouter_etiquette(dessin, x1, a == 0 ? "0h" : std::to_string(a / 3600));
    if (b == derniere_seconde) ajouter_etiquette(dessin, x2 - x2 / 48, "24h");
    ajouter_etiquette(dessin, abscisse(W, 39000), "12h");
}

DessinPlages change_dessin_plages_horaires(const TroisListes& plages, const CouleursTaux& couleurs,
                                           int largeur, int hauteur) {
    DessinPlages dessin;
    dessin.largeur = std::max(largeur, 0);
    dessin.hauteur = std::max(hauteur, 0);
    for (int k = 0; k < 3; ++k) {
        const auto& liste = plages[static_cast<std::size_t>(k)];
        auto& barre = dessin.barres[static_cast<std::size_t>(k)];
        barre.texte_jour = texte_du_jour(liste);
        const std::vector<GroupePlages>* groupes = nullptr;
        try {
            groupes = &liste.groupes();
        } catch (const std::exception& e) {
            // La barre reste vide ; le message suit le dessin jusqu'à la fenêtre.
            barre.erreur = e.what();
            continue;
        }
        for (const auto& groupe : *groupes) {
            // ListePlages garantit un indice entre 0 et 20.
            const std::uint32_t couleur = couleurs.at(static_cast<std::size_t>(groupe.indice_taux));
            auto& c = dessin.couleurs;
            if (std::find(c.begin(), c.end(), std::optional<std::uint32_t>(couleur)) == c.end()) {
                const auto libre = std::find(c.begin(), c.end(), std::nullopt);
                if (libre != c.end()) *libre = couleur;
            }
            for (const auto& iv : groupe.intervalles) {
                zones_tarifaires(dessin, k, iv.debut, couleur, iv.fin, groupe.indice_taux);
            }
        }
    }
    return dessin;
}

void mise_a_jour_affichage_tarifications(ZoneInformationTarif& zone, const DonneesAffichageTarif& d) {
    // Tout est calculé sur une copie : une erreur de format laisse la zone telle qu'elle était.
    ZoneInformationTarif z = zone;
    const Montants m(d);
    const bool forfait = d.option.type_forfait == type_forfait_f;

    if (forfait) {
        remplir_forfait(z.forfait, d);
    } else {
        z.forfait.visible = false;
        remplir_prix(z, d, m);
    }

    // Les lignes 1 et 2 et leurs totaux se montrent, sauf ce que les règles ci-dessous cachent.
    auto& ligne1 = z.lignes[0];
    auto& ligne2 = z.lignes[1];
    auto& ligne3 = z.lignes[2];
    ligne1.visible = ligne1.total_visible = true;
    ligne2.visible = ligne2.total_visible = true;
    const auto cacher_ligne2_et_totaux = [&] {
        ligne2.visible = false;
        ligne1.total_visible = ligne2.total_visible = false;
    };

    // Le dessin et les couleurs 1 à 3 dans l'ordre où il les rencontre.
    z.dessin = change_dessin_plages_horaires(d.plages, d.couleurs, d.largeur_barre, d.hauteur_barre);
    auto c1 = z.dessin.couleurs[0];
    auto c2 = z.dessin.couleurs[1];
    const auto c3 = z.dessin.couleurs[2];
    const std::uint32_t couleur_taux0 = d.couleurs[0];
    ligne1.couleur = c1;
    ligne2.couleur = c2;
    z.legende.l1 = d.option.l1.empty() ? d.tarif.l1 : d.option.l1;
    z.legende.l2 = d.option.l2.empty() ? d.tarif.l2 : d.option.l2;
    if (d.option.type_forfait == type_forfait_r && c2 == couleur_taux0) cacher_ligne2_et_totaux();
    if (!c1) c1 = c2;
    if (!c2) c2 = c1;
    if (c1 == c2) ligne1.couleur = c1;

    if (c1 == couleur_taux0 || c1 == c2) cacher_ligne2_et_totaux();
    z.legende.couleur1 = c1;
    z.legende.couleur2 = c2;
    z.legende.pastilles_visibles = c1 != c2;
    z.legende.sans_avantage_visible = c1 == c2;
    if (c3) {
        z.legende.visible = false;
        ligne3.visible = ligne3.total_visible = true;
        ligne3.couleur = c3;
        ligne3.par_minute = ligne2.par_minute;
        ligne3.total = ligne2.total;
        const auto& t = d.tarif;
        ligne2.par_minute = m.F(m.P(t.cout_ht_tarif_supp)) + "/min";
        ligne2.total = m.F(m.P(m.heure(t.cout_ht_tarif_supp))) + "/h";
        z.titre_zones_tarifaires_visible = false;
    } else {
        z.legende.visible = true;
        ligne3.visible = ligne3.total_visible = false;
        z.titre_zones_tarifaires_visible = true;
    }

    z.pas = d.tarif.pas_tarif == 1 ? "Tarification à la seconde"
                                   : "Unités de " + calcul_temps_en_minutes_et_secondes(d.tarif.pas_tarif);
    zone = std::move(z);
}

}  // namespace lumi
