#pragma once
// La couture des boîtes de message : le cœur demande, la coquille montre une vraie boîte (Qt) et
// les essais répondent d'après un script. Les boutons portent les textes français du programme.
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumi {

enum class GenreBoite { avertissement, information, question };

enum class Reponse { ok, oui, non, tout };

// "OK", "&Oui", "&Non", "&Tout".
std::string_view texte_bouton(Reponse bouton);

// Une boîte fermée sans réponse : la session se termine pendant la suite du démarrage. La coquille la
// lève au lieu de répondre ; la suite s'arrête là sans rien décider (voir Demarrage::FormCreate).
// Elle ne dérive pas de std::exception : les « catch (const std::exception&) » qui font d'une erreur
// un message ou la taisent la laissent passer.
struct BoiteAbandonnee {};

class Dialogue {
public:
    virtual ~Dialogue() = default;
    // Montre la boîte et attend le bouton choisi (l'un de `boutons`). Entrée choisit `par_defaut`,
    // le premier bouton si rien n'est dit.
    virtual Reponse boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                          std::optional<Reponse> par_defaut = std::nullopt) = 0;

    // Un avis qui n'attend pas de réponse et ne retient pas l'appelant : une minuterie qui signale
    // un échec continue aussitôt son travail. Par défaut (essais, outil), une boîte ordinaire.
    virtual void avis(GenreBoite genre, std::string_view texte) { boite(genre, texte, {Reponse::ok}); }

    void avertissement(std::string_view texte) { boite(GenreBoite::avertissement, texte, {Reponse::ok}); }
    void information(std::string_view texte) { boite(GenreBoite::information, texte, {Reponse::ok}); }
    // Question "&Oui" / "&Non", ou "&Oui" / "&Non" / "&Tout".
    Reponse question(std::string_view texte, bool avec_tout = false,
                     std::optional<Reponse> par_defaut = std::nullopt);
};

// Boîtes notées dans l'ordre, réponses tirées d'un script ; sans réponse prévue, le bouton par
// défaut (comme Entrée).
// Une boîte abandonnée est notée sans réponse, puis lève BoiteAbandonnee.
class DialogueScripte final : public Dialogue {
public:
    struct BoiteMontree {
        GenreBoite genre;
        std::string texte;
        std::vector<Reponse> boutons;
        std::optional<Reponse> reponse;  // rien : abandonnée
        std::optional<Reponse> par_defaut;
    };

    Reponse boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                  std::optional<Reponse> par_defaut = std::nullopt) override;

    // La réponse de la prochaine boîte (file : plusieurs réponses se suivent).
    void prevoir_reponse(Reponse reponse) { reponses_.push_back(reponse); }
    // La prochaine boîte est fermée sans réponse (la session se termine).
    void prevoir_abandon() { reponses_.push_back(std::nullopt); }
    const std::vector<BoiteMontree>& boites() const { return boites_; }
    void oublier() { boites_.clear(); }

private:
    std::deque<std::optional<Reponse>> reponses_;
    std::vector<BoiteMontree> boites_;
};

}  // namespace lumi
