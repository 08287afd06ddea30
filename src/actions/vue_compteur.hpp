#pragma once
// Le compteur tel que les actions programmées le voient : la connexion comptée, la monnaie et le
// tarif en cours, le prix affiché, et les trois effets de la fenêtre qu'elles allument ou éteignent.
// Le compteur possède la programmation et la fait voir par ces seules opérations : les actions
// n'ont rien d'autre à connaître de lui.
#include <cstdint>
#include <optional>
#include <string>

#include "base/dates.hpp"
#include "tariff/enregistrements.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

// Une connexion (ou un comptage manuel) comptée en ce moment.
struct ConnexionComptee {
    // Début compté, avancé de l'anticipation du fournisseur.
    Moment debut;
    std::int32_t duree = 0;
    // Prix de la communication moins la réduction, hors arrondi d'affichage.
    double montant = 0;
};

class VueCompteur {
public:
    virtual ~VueCompteur() = default;
    // Rien hors connexion.
    virtual std::optional<ConnexionComptee> connexion_comptee() const = 0;
    virtual const ReglagesMonnaie& monnaie() const = 0;
    // Le tarif en cours (son pas de taxation).
    virtual const tparametre_de_la_tarification& tarification() const = 0;
    // Le prix tel que l'afficheur le montre ("12,950 F").
    virtual const std::string& prix_affiche() const = 0;
    // Une programmation vient d'être armée : le voyant paraît sur l'afficheur.
    virtual void montrer_voyant_programmation() = 0;
    // Le voyant clignote et l'icône tourne (effet de programmation de Timer2).
    virtual void clignoter_programmation() = 0;
    // Plus de clignotement, l'icône du produit, le voyant éteint.
    virtual void arreter_effets_Timer2() = 0;
};

}  // namespace lumi
