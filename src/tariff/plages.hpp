#pragma once
// Listes de plages horaires (clés p1, p2, p3) : l'analyse en liste de textes, et la forme compilée
// une fois par rechargement que le calendrier et le prix parcourent à chaque top.
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

// D'où vient une valeur : fichier, section, clé (pour les messages d'erreur).
struct OrigineValeur {
    std::string fichier;
    std::string section;
    std::string cle;
};

// « clé « p1 » de la section [Local] du fichier « /x/tarifs.ini » »
std::string decrire(const OrigineValeur& origine);

// Aucune des trois listes ne s'applique à un jour du calcul.
class ErreurPlagesHoraires : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Analyse d'une valeur "9,taux1,28800,68399,taux2,0,28799,68400,86399" en liste de textes :
// [nombre de groupes, code jour, puis pour chaque groupe : indice de taux, nombre d'intervalles m,
// 2·m bornes]. Un indice de taux qui n'est pas un entier arrête l'analyse (les groupes lus restent).
std::vector<std::string> get_plages_horaires_in_stringliste(std::string_view valeur);

struct IntervallePlage {
    std::int32_t debut = 0;  // secondes du jour, bornes comprises
    std::int32_t fin = 0;
};

struct GroupePlages {
    int indice_taux = 0;  // 0 .. 20
    std::vector<IntervallePlage> intervalles;
};

// Une liste analysée et convertie. Les éléments invalides (code jour absent, borne non entière,
// nombre impair de bornes, indice de taux hors de 0 à 20) font échouer l'usage de la liste et sa
// vérification ; la liste se construit toujours.
class ListePlages {
public:
    ListePlages() = default;  // liste jamais chargée : aucun groupe, pas de code jour
    ListePlages(std::string_view valeur, OrigineValeur origine);

    const std::vector<std::string>& chaines() const { return chaines_; }
    const OrigineValeur& origine() const { return origine_; }

    // Code jour 0 .. 9 ; lève ErreurConversion s'il manque ou n'est pas un chiffre.
    int code_jour() const;
    // Les groupes dans l'ordre du fichier ; lève ErreurConversion si la liste est mal formée.
    const std::vector<GroupePlages>& groupes() const;

    // Vérification du chargement : code jour, groupes, bornes de 0 à 86399 et dans l'ordre ; avec
    // `toute_la_journee`, chaque seconde du jour dans une plage et une seule (listes d'un tarif : un
    // trou serait gratuit, un chevauchement facturé deux fois). Lève ErreurConversion (fichier,
    // section, clé).
    void verifier(bool toute_la_journee) const;

private:
    std::vector<std::string> chaines_;
    OrigineValeur origine_;
    std::optional<int> code_;
    std::vector<GroupePlages> groupes_;
    std::string erreur_groupes_;  // vide : groupes valides
};

// Les trois listes p1, p2, p3 d'une section.
using TroisListes = std::array<ListePlages, 3>;

// Vérifie chaque liste (ListePlages::verifier) et refuse deux listes du même code jour : la
// dernière gagnerait sans un mot et l'autre ne servirait jamais. Lève ErreurConversion (fichier,
// section, clés).
void verifier_listes(const TroisListes& listes, bool toute_la_journee);

}  // namespace lumi
