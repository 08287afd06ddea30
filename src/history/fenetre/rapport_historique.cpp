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
    // Le pied "Page i/n" occupe la ligne qui finit h(7) au-dessus du bas : ni les lignes ni les blocs
    // ne descendent plus bas que h(3) au-dessus de lui.
    m.y_pied = PH - g.h(7);
    const int limite = m.y_pied - rh - g.h(3);
    // Chaque page reprend les en-têtes des colonnes, entre deux filets distants de h(15).
    const int premiere_ligne_p1 = m.haut_premiere_page + g.h(15);
    const int premiere_ligne_autres = m.haut_autres_pages + g.h(15);
    m.lignes_premiere_page = std::max(
        1, std::min((PH - m.haut_premiere_page - g.h(17)) / rh - 1, (limite - premiere_ligne_p1) / rh));
    m.lignes_autres_pages = std::max(
        1, std::min((PH - m.haut_autres_pages - g.h(5)) / rh - 1, (limite - premiere_ligne_autres) / rh));

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
        p.haut_entetes = une ? m.haut_premiere_page : m.haut_autres_pages;
        p.haut_lignes = p.haut_entetes + g.h(15);
        m.pages.push_back(p);
        premiere += p.nb_lignes;
        restantes -= p.nb_lignes;
    } while (restantes > 0);

    // Les deux blocs suivent les lignes ; celui qui ne tient plus au-dessus du pied va sur une page
    // de plus, que le compte des pages inclut.
    m.hauteur_totaux = g.h(20) + 4 * hh;
    m.hauteur_statistiques = g.h(18) + 2 * hh + 4 * rh;
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

std::array<int, 10> colonnes_selon_contenu(const std::array<int, 10>& colonnes,
                                           const std::array<int, 9>& besoins,
                                           const std::array<bool, 9>& entiere) {
    std::array<long long, 9> largeur{};
    for (std::size_t c = 0; c < 9; ++c) largeur[c] = colonnes[c + 1] - colonnes[c];
    long long manque = 0;
    for (std::size_t c = 0; c < 9; ++c)
        if (entiere[c] && besoins[c] > largeur[c]) manque += besoins[c] - largeur[c];
    if (manque == 0) return colonnes;

    // Prend `voulu` aux colonnes selon ce que chacune peut céder, au prorata, et rend ce qui a été pris.
    const auto prendre = [&](long long voulu, const std::array<long long, 9>& cessible) {
        long long total = 0;
        for (const auto v : cessible) total += v;
        if (total <= 0 || voulu <= 0) return 0LL;
        const long long pris = std::min(voulu, total);
        long long reste = pris;
        for (std::size_t c = 0; c < 9; ++c) {
            const long long part = std::min(cessible[c], pris * cessible[c] / total);
            largeur[c] -= part;
            reste -= part;
        }
        // Les arrondis : à qui peut encore céder.
        for (std::size_t c = 0; c < 9 && reste > 0; ++c) {
            const long long encore = std::min(reste, cessible[c] - (pris * cessible[c] / total));
            if (encore > 0) {
                largeur[c] -= encore;
                reste -= encore;
            }
        }
        return pris - reste;
    };
    std::array<long long, 9> cessible{};
    // D'abord la place libre des colonnes plus larges que leur texte.
    for (std::size_t c = 0; c < 9; ++c) {
        const bool preneuse = entiere[c] && besoins[c] > largeur[c];
        cessible[c] = preneuse ? 0 : std::max(0LL, largeur[c] - std::max(0, besoins[c]));
    }
    long long obtenu = prendre(manque, cessible);
    // Puis les colonnes de texte, jusqu'à la moitié de leur largeur d'origine.
    for (std::size_t c = 0; c < 9; ++c) {
        const long long origine = colonnes[c + 1] - colonnes[c];
        cessible[c] = entiere[c] ? 0 : std::max(0LL, largeur[c] - origine / 2);
    }
    obtenu += prendre(manque - obtenu, cessible);

    // Ce qui a été obtenu va aux colonnes à l'étroit, dans l'ordre, chacune jusqu'à son besoin.
    for (std::size_t c = 0; c < 9 && obtenu > 0; ++c) {
        if (!entiere[c] || besoins[c] <= largeur[c]) continue;
        const long long donne = std::min(obtenu, besoins[c] - largeur[c]);
        largeur[c] += donne;
        obtenu -= donne;
    }
    // Rien ne se perd : un reste d'arrondi va à la dernière colonne.
    largeur[8] += obtenu;
    std::array<int, 10> x{};
    x[0] = colonnes[0];
    for (std::size_t c = 0; c < 9; ++c) x[c + 1] = x[c] + static_cast<int>(largeur[c]);
    x[9] = colonnes[9];
    return x;
}

}  // namespace lumi
