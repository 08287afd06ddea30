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
    // Le service qui l'a vue, quand la couture en réunit plusieurs (pour la trace) ; vide sinon.
    std::string source = {};

    friend bool operator==(const ConnexionDistante&, const ConnexionDistante&) = default;
};

class AccesDistant {
public:
    virtual ~AccesDistant() = default;
    // Les connexions en cours ; la première est celle que le compteur mesure.
    virtual std::vector<ConnexionDistante> connexions() const = 0;
    virtual std::vector<std::string> entrees_annuaire() const = 0;
    // D'où viennent les entrées de l'annuaire sur ce système, en une phrase nominale (« le dossier
    // … »), pour le dire à l'utilisateur qui n'en a aucune ; vide si la couture ne le sait pas.
    virtual std::string origine_annuaire() const { return {}; }
    // Lance la numérotation de l'entrée ; faux si elle n'a pu être lancée.
    virtual bool numeroter(std::string_view entree) = 0;
    // Raccroche la première connexion ; faux quand il n'y en a aucune.
    virtual bool raccrocher() = 0;

    // La veille, pour qui ne veut pas interroger à intervalle régulier. Le descripteur devient
    // lisible dès que connexions() peut répondre autre chose qu'à la dernière veille lue (que ce
    // soit cet appelant ou un autre qui ait interrogé depuis) et le reste jusqu'à lire_veille().
    // -1 : la couture ne sait pas veiller.
    virtual int descripteur_veille() const { return -1; }
    // Faux tant qu'un changement pourrait échapper au descripteur (source sans descripteur,
    // relecture en attente après une erreur) : il faut alors aussi interroger à intervalle régulier.
    virtual bool veille_complete() const { return false; }
    // Relit ce que la veille a signalé ; le descripteur retombe jusqu'au changement suivant.
    virtual void lire_veille() {}
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
