#pragma once
// Le raccrochage, qu'il vienne de la programmation ou du bouton de la fenêtre : les textes de la
// fenêtre "Déconnexion en cours..." et de ses boîtes, et les pauses qui les laissent lire.
#include <string_view>

namespace lumi::raccrochage {

inline constexpr std::string_view deconnexion_en_cours = "Déconnexion en cours...";
inline constexpr std::string_view fermeture_systeme = "Fermeture de Windows...";
inline constexpr std::string_view echec_deconnexion = "Echec déconnexion.\nAucune connexion n'est en cours.";
inline constexpr std::string_view echec_fermeture = "Echec fermeture de Windows.";

// Après un raccrochage réussi, puis avant la boîte d'échec.
inline constexpr int pause_apres_raccrochage_ms = 1500;
inline constexpr int pause_avant_echec_ms = 1000;

}  // namespace lumi::raccrochage
