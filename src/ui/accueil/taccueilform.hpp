#pragma once
// La fenêtre de la première utilisation : l'accueil et la reprise de l'historique de l'édition
// précédente, sept pages sur le modèle ModeleAccueil. Elle reste au-dessus des autres, centrée.
#include <QIcon>
#include <array>
#include <memory>

#include "core/accueil/modele_accueil.hpp"
#include "ui/dialogue_lumi.hpp"
#include "ui/dialogue_qt.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace lumi::ui {

struct CouturesAccueil {
    std::filesystem::path dossier_donnees;  // lumicompteur.ini, Historique/
    const Registre& registre;
};

class Taccueilform final : public DialogueLumi {
    Q_OBJECT

public:
    Taccueilform(CouturesAccueil coutures, const QIcon& icone, QWidget* parent = nullptr);
    ~Taccueilform() override;

    ModeleAccueil& modele() { return *modele_; }
    // Les boutons, pour les essais qui mènent la fenêtre.
    QPushButton* bouton_annuler() const { return annuler_; }
    QPushButton* bouton_suivant() const { return suivant_; }
    QPushButton* bouton_terminer() const { return terminer_; }
    QLineEdit* champ_chemin() const { return chemin_; }

private:
    void appliquer();
    QWidget* page_texte(QLabel*& texte, QLabel*& note);

    FichierIni reglages_;
    DialogueQt dialogue_;
    std::unique_ptr<ModeleAccueil> modele_;
    QStackedWidget* pages_ = nullptr;
    QLabel* entete_ = nullptr;
    QLabel* bienvenue_ = nullptr;
    QLabel* avertissement_ = nullptr;
    struct Textes {
        QLabel* texte = nullptr;
        QLabel* note = nullptr;
    };
    std::array<Textes, 7> textes_{};
    QLineEdit* chemin_ = nullptr;
    QListWidget* liste_ = nullptr;
    QPushButton* annuler_ = nullptr;
    QPushButton* suivant_ = nullptr;
    QPushButton* terminer_ = nullptr;
};

}  // namespace lumi::ui
