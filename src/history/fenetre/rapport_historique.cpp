#include "history/fenetre/rapport_historique.hpp"

#include <algorithm>

namespace lumi {

std::string MiseEnPageRapport::pied(int page) const {
    return "Page " + std::to_string(page) + "/" + std::to_string(nb_pages());
}

MiseEnPageRapport mise_en_page_rapport(const GeometrieRapport& g, int nb_lignes) {
    MiseEnPageRapport m;
    const int PH = g.hauteur_page;
    const int PW = g.largeur_page;
    const int rh = std::max(1, g.hauteur_ligne);
    const int hh = std::max(1, g.hauteur_entete);
    m.haut_premiere_page = g.h(85);
    m.haut_autres_pages = g.h(20);
    m.lignes_premiere_page = std::max(1, (PH - m.haut_premiere_page - g.h(17)) / rh - 1);
    m.lignes_autres_pages = std::max(1, (PH - m.haut_autres_pages - g.h(5)) / rh - 1);

    auto& x = m.colonnes;
    x[0] = PW / 30;
    x[1] = x[0] + PW / 7;
    x[2] = x[1] + PW / 6;
    x[3] = x[2] + PW / 12;
    x[4] = x[3] + PW / 15;
    x[5] = x[4] + PW / 12;
    x[6] = x[5] + PW / 15;
    x[7] = x[6] + PW / 8;
    x[8] = x[7] + PW / 10;
    x[9] = PW - PW / 30;

    // Les lignes : sous les en-têtes sur la première page, en haut des suivantes.
    int restantes = std::max(0, nb_lignes);
    int premiere = 0;
    do {
        PageRapport p;
        const bool une = m.pages.empty();
        p.premiere_ligne = premiere;
        p.nb_lignes = std::min(restantes, une ? m.lignes_premiere_page : m.lignes_autres_pages);
        p.haut_lignes = une ? m.haut_premiere_page + g.h(15) : m.haut_autres_pages;
        m.pages.push_back(p);
        premiere += p.nb_lignes;
        restantes -= p.nb_lignes;
    } while (restantes > 0);

    // Les deux blocs suivent les lignes ; celui qui ne tient plus au-dessus du pied va sur une page
    // de plus, que le compte des pages inclut.
    m.hauteur_totaux = g.h(20) + 4 * hh;
    m.hauteur_statistiques = g.h(18) + 2 * hh + 4 * rh;
    m.y_pied = PH - g.h(7);
    const int limite = PH - g.h(12);
    PageRapport* derniere = &m.pages.back();
    int y = derniere->haut_lignes + derniere->nb_lignes * rh;
    if (y + m.hauteur_totaux > limite) {
        m.pages.push_back(PageRapport{premiere, 0, m.haut_autres_pages});
        derniere = &m.pages.back();
        y = derniere->haut_lignes;
    }
    derniere->y_totaux = y;
    y += m.hauteur_totaux + g.h(10);
    if (y + m.hauteur_statistiques > limite) {
        m.pages.push_back(PageRapport{premiere, 0, m.haut_autres_pages});
        derniere = &m.pages.back();
        y = derniere->haut_lignes;
    }
    derniere->y_statistiques = y;
    return m;
}

}  // namespace lumi
