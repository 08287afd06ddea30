#pragma once
// Les images de la fenêtre principale : l'icône du produit et celle de la numérotation, les trois
// images de l'animation de programmation, le cadenas, les marques des listes, le voyant du jour férié
// et les images des boutons. Les icônes ne sont peintes qu'à leur premier usage, à la taille demandée,
// puis gardées ; les petites images fixes le sont à la construction.
#include <QIcon>
#include <QPixmap>

#include "core/commandes_fenetre.hpp"

namespace lumi::ui {

class IconesLumi {
public:
    IconesLumi();

    const QIcon& icone(ImageIcone image) const;
    const QIcon& application() const { return application_; }

    // ImageList1 : 0 le cadenas, 1 la marque de la ligne choisie, 2 celle de la ligne du tarif.
    const QPixmap& cadenas() const { return cadenas_; }
    const QPixmap& marque_choix() const { return marque_choix_; }
    const QPixmap& marque_tarif() const { return marque_tarif_; }
    const QPixmap& lampe_ferie() const { return lampe_ferie_; }
    const QPixmap& programmation() const { return programmation_; }

    // Boutons.
    QIcon connecter, deconnecter, demarrer, arreter, module_programmation, options, historique, aide,
        notification, taille, deroulant;

private:
    QIcon application_, numerotation_, image3_, image4_, image5_;
    QPixmap cadenas_, marque_choix_, marque_tarif_, lampe_ferie_, programmation_;
};

}  // namespace lumi::ui
