#pragma once
// La couture de l'accès à distance : les connexions en cours (nom d'entrée, état, erreur), les
// entrées de l'annuaire, numéroter et raccrocher. Les états suivent la numérotation d'origine.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

inline constexpr int etat_ras_connexion_peripherique = 2;
inline constexpr int etat_ras_authentification = 5;
inline constexpr int etat_ras_connecte = 8192;
inline constexpr int etat_ras_deconnecte = 8193;

struct ConnexionDistante {
    std::string nom_entree;
    int etat = etat_ras_connexion_peripherique;
    int erreur = 0;

    friend bool operator==(const ConnexionDistante&, const ConnexionDistante&) = default;
};

class AccesDistant {
public:
    virtual ~AccesDistant() = default;
    // Les connexions en cours ; la première est celle que le compteur mesure.
    virtual std::vector<ConnexionDistante> connexions() const = 0;
    virtual std::vector<std::string> entrees_annuaire() const = 0;
    // Lance la numérotation de l'entrée ; faux si elle n'a pu être lancée.
    virtual bool numeroter(std::string_view entree) = 0;
    // Raccroche la première connexion ; faux quand il n'y en a aucune.
    virtual bool raccrocher() = 0;
};

// La première connexion : vrai avec son nom, son erreur et son état ; faux quand il n'y en a pas
// (ou que la couture lève), avec un nom vide et l'erreur -1, l'état laissé tel quel.
bool ras_connexion_en_cours(const AccesDistant& acces, std::string& nom, int& erreur, int& etat);

// L'adresse IPv4 de la machine en texte pointé ; vide tant qu'elle n'est pas connue.
class SourceAdresse {
public:
    virtual ~SourceAdresse() = default;
    virtual std::string adresse_ip_locale() const = 0;
};

}  // namespace lumi
