#pragma once
// L'accès à distance simulé : chaque connexion suit un script d'états dans le temps (« à 2 s
// l'entrée MonFAI numérote, à 5 s elle s'authentifie, à 65 s elle a disparu »), lu sur le compteur
// monotone de l'horloge. Numéroter ajoute une connexion scriptée, raccrocher la fait disparaître.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/horloge.hpp"
#include "actions/acces_distant.hpp"

namespace lumi {

// État d'une connexion qui a disparu (ou pas encore commencé) : elle n'est plus listée.
inline constexpr int etat_aucune_connexion = -10;

struct EtapeConnexion {
    std::int64_t ms = 0;  // instant du compteur monotone
    int etat = etat_ras_connexion_peripherique;
    int erreur = 0;
};

// Délais d'une numérotation lancée par numeroter(), depuis l'instant de l'appel.
struct ProfilNumerotation {
    std::int64_t authentification_ms = 3000;
    std::int64_t connecte_ms = 4000;
    bool echec = false;  // la ligne tombe au lieu de s'authentifier
};

class AccesDistantScripte final : public AccesDistant {
public:
    explicit AccesDistantScripte(const Horloge& horloge) : horloge_(horloge) {}

    // Une connexion de `entree` qui passe par `etapes` (instants croissants).
    void ajouter_connexion(std::string entree, std::vector<EtapeConnexion> etapes);
    void definir_annuaire(std::vector<std::string> entrees) { annuaire_ = std::move(entrees); }
    void definir_profil(ProfilNumerotation profil) { profil_ = profil; }

    std::vector<ConnexionDistante> connexions() const override;
    std::vector<std::string> entrees_annuaire() const override { return annuaire_; }
    std::string origine_annuaire() const override { return "le script de la simulation"; }
    // Faux pour une entrée absente de l'annuaire.
    bool numeroter(std::string_view entree) override;
    bool raccrocher() override;

    // Entrées numérotées, dans l'ordre.
    const std::vector<std::string>& numerotations() const { return numerotations_; }
    // Instants où l'état d'une connexion change, croissants et sans doublon.
    std::vector<std::int64_t> instants_de_changement() const;
    // Nombre d'appels de connexions() (les essais de performance le surveillent).
    std::uint64_t interrogations() const { return interrogations_; }

private:
    struct Connexion {
        std::string entree;
        std::vector<EtapeConnexion> etapes;
    };
    // L'étape en vigueur à l'instant `ms`, nulle avant la première.
    static const EtapeConnexion* etape_a(const Connexion& c, std::int64_t ms);

    const Horloge& horloge_;
    std::vector<Connexion> connexions_;
    std::vector<std::string> annuaire_;
    std::vector<std::string> numerotations_;
    ProfilNumerotation profil_;
    mutable std::uint64_t interrogations_ = 0;
};

// L'adresse de la machine, fixée par le script.
class AdresseSimulee final : public SourceAdresse {
public:
    explicit AdresseSimulee(std::string adresse = "192.168.0.10") : adresse_(std::move(adresse)) {}
    void definir(std::string adresse) { adresse_ = std::move(adresse); }
    std::string adresse_ip_locale() const override { return adresse_; }

private:
    std::string adresse_;
};

}  // namespace lumi
