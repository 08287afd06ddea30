#pragma once
// Le même historique sous une autre tarification : chaque enregistrement repris de sa date, de son
// heure de début (l'historique ne garde que les heures et les minutes : les secondes valent 00) et
// de sa durée, avec le vrai calcul du prix. Un forfait repart de son temps entier au premier
// enregistrement et s'use dans l'ordre des connexions ; épuisé, le prix repart du tarif de relais.
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "history/ligne_historique.hpp"

namespace lumi {

struct Retarification {
    // Un montant hors taxes par enregistrement, dans l'ordre donné ; rien pour un enregistrement
    // dont la date ou l'heure ne se lit pas (il est compté dans `ignores`).
    std::vector<std::optional<double>> montants_ht;
    double total_ht = 0;
    int ignores = 0;
};

// Lève ErreurFichier (fichier des tarifs inutilisable) ou ErreurConversion (tarif ou option
// inconnus, valeurs refusées), messages en français.
Retarification retarifer(std::span<const EnregistrementHistorique> enregistrements,
                         const std::filesystem::path& fichier_tarifs, std::string_view tarif,
                         std::string_view option, bool alsace);

// L'instant de début d'un enregistrement : sa date et son heure "HHhMM" ; rien si l'une ne se lit pas.
std::optional<Moment> debut_enregistrement(const EnregistrementHistorique& e);

}  // namespace lumi
