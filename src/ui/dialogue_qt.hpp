#pragma once
// Les boîtes de message du programme : de vraies QMessageBox aux boutons français "&Oui", "&Non",
// "&Tout" et "OK". Les retours chariot des textes du cœur deviennent des sauts de ligne.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string_view>
#include <vector>

#include "actions/dialogue.hpp"

namespace lumi {

class DialogueQt final : public Dialogue {
public:
    explicit DialogueQt(QWidget* parent = nullptr) : parent_(parent) {}

    // La fenêtre au-dessus de laquelle les boîtes s'ouvrent (la fenêtre principale, une fois créée).
    void definir_parent(QWidget* parent) { parent_ = parent; }

    Reponse boite(GenreBoite genre, std::string_view texte, const std::vector<Reponse>& boutons,
                  std::optional<Reponse> par_defaut = std::nullopt) override;
    // Une boîte non modale, détruite à sa fermeture : l'appelant (une minuterie) n'attend pas.
    void avis(GenreBoite genre, std::string_view texte) override;

    // La session se termine pendant le démarrage : les fenêtres modales ouvertes (boîtes, accueil) se
    // ferment sans réponse, et boite() lève BoiteAbandonnee au lieu de répondre, pour la boîte qui
    // était ouverte comme pour les suivantes, qui ne s'ouvrent plus. À n'appeler que pendant le
    // démarrage : ailleurs, l'exception traverserait la boucle d'événements.
    void abandonner();
    bool abandonnee() const { return abandonnee_; }

private:
    QPointer<QWidget> parent_;
    bool abandonnee_ = false;
};

// Le texte du cœur pour une boîte Qt : "\r\n" et "\r" deviennent "\n".
QString texte_pour_boite(std::string_view texte);

}  // namespace lumi
