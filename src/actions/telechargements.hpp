#pragma once
// La fin d'un téléchargement : le programme ne voit pas les programmes qui téléchargent, il
// reconnaît leurs fenêtres de progression à leur titre et regarde si elles sont toujours là ; il
// regarde aussi ce que reçoit la connexion elle-même (sous Linux, peu de programmes montrent de
// telles fenêtres). Deux listes parallèles : les titres surveillés et, pour chacun, "0" ou le
// numéro de la fenêtre suivie.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/horloge.hpp"

namespace lumi {

class FichierIni;

// Une fenêtre de premier niveau d'un autre programme.
struct FenetreSysteme {
    std::uint64_t numero = 0;
    std::string titre;
};

// La couture des fenêtres des autres programmes.
class FenetresSysteme {
public:
    virtual ~FenetresSysteme() = default;
    // Les fenêtres de premier niveau, dans l'ordre où le système les donne.
    virtual std::vector<FenetreSysteme> fenetres() const = 0;
    // Une fenêtre de premier niveau de ce titre exact ; 0 s'il n'y en a pas.
    virtual std::uint64_t chercher(std::string_view titre) const = 0;
    // La fenêtre existe encore, montrée et utilisable.
    virtual bool active(std::uint64_t numero) const = 0;
    // Faux quand le système ne donne pas les fenêtres des autres (Wayland sans serveur X).
    virtual bool disponible() const { return true; }
};

// Les fenêtres des autres programmes ouvertes au premier usage : la connexion au serveur
// d'affichage ne sert qu'à la surveillance des téléchargements, le démarrage n'a pas à la payer.
class FenetresALaDemande final : public FenetresSysteme {
public:
    using Fabrique = std::function<std::unique_ptr<FenetresSysteme>()>;
    explicit FenetresALaDemande(Fabrique fabrique) : fabrique_(std::move(fabrique)) {}

    std::vector<FenetreSysteme> fenetres() const override { return reelles().fenetres(); }
    std::uint64_t chercher(std::string_view titre) const override { return reelles().chercher(titre); }
    bool active(std::uint64_t numero) const override { return reelles().active(numero); }
    bool disponible() const override { return reelles().disponible(); }
    bool ouvertes() const { return reelles_ != nullptr; }

private:
    const FenetresSysteme& reelles() const;

    Fabrique fabrique_;
    mutable std::unique_ptr<FenetresSysteme> reelles_;
};

// Les octets reçus par l'interface de la connexion ; rien tant qu'elle n'existe pas.
class TraficReseau {
public:
    virtual ~TraficReseau() = default;
    virtual std::optional<std::uint64_t> octets_recus() const = 0;
    // Le nom de l'interface regardée, pour la ligne de statut.
    virtual std::string interface() const = 0;
};

// Les fenêtres sans titre ne comptent pas ; un titre plus long est comparé sur ses 255 premiers
// caractères, comme le lisait le système d'origine.
inline constexpr std::size_t longueur_max_titre = 255;
// Le trafic est moyenné sur les dix dernières secondes.
inline constexpr std::int64_t fenetre_trafic_ms = 10000;

// Vrai si ce titre est celui d'une fenêtre de progression (trois textes d'une des six rangées).
bool titre_de_progression(std::string_view titre);

class SurveillanceTelechargements {
public:
    // Titres fixes, puis "fiche 1" .. "fiche n" de lumicompteur.ini (les vides n'ajoutent rien),
    // et le débit minimum ("debit minimum", 0 : pas de surveillance du trafic).
    SurveillanceTelechargements(const Horloge& horloge, const FichierIni& reglages,
                                const FenetresSysteme* fenetres = nullptr,
                                const TraficReseau* trafic = nullptr);

    // Découverte : chaque fenêtre de premier niveau est examinée (la minuterie de 100 ms de la
    // fenêtre de programmation) ; une fenêtre de progression encore inconnue est ajoutée.
    void decouvrir();
    void decouvrir(const FenetreSysteme& fenetre);

    // Rafraîchit les états et dit si un téléchargement est en cours (fenêtre ou trafic).
    bool telechargement_en_cours();

    const std::vector<std::string>& titres() const { return titres_; }
    const std::vector<std::string>& etats() const { return etats_; }
    std::uint64_t debit_minimum() const { return debit_minimum_; }
    // Ce que la surveillance regarde, pour la ligne de statut de la fenêtre de programmation.
    std::string texte_surveillance() const;
    // Le débit moyen mesuré (octets par seconde), s'il y a assez d'échantillons.
    std::optional<std::uint64_t> debit_moyen() const;

private:
    bool fenetres_en_cours();
    bool trafic_en_cours();

    const Horloge& horloge_;
    const FenetresSysteme* fenetres_;
    const TraficReseau* trafic_;
    std::vector<std::string> titres_;
    std::vector<std::string> etats_;
    std::uint64_t debit_minimum_ = 2048;
    struct Echantillon {
        std::int64_t ms;
        std::uint64_t octets;
    };
    std::deque<Echantillon> echantillons_;
};

}  // namespace lumi
