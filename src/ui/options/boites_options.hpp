#pragma once
// Les petites fenêtres ouvertes depuis la fenêtre des options et la fin d'une connexion : le nouvel
// utilisateur (Tnewuserform), le mot de passe (TPasswordDlg, Tsimple_password), la sélection de
// l'utilisateur (Tutilisateur), le délai d'anticipation (Tdelaiform), la correction du temps restant
// (Trectiforfait) et le mode de remise à zéro (Traz_type_forfait_form). Chacune est une coquille
// sur son modèle sans Qt : elle transmet la saisie et montre ce qu'il dit.
#include <QChar>
#include <QColor>
#include <functional>
#include <optional>
#include <string>

#include "core/options/page_fournisseurs.hpp"
#include "core/options/page_utilisateurs.hpp"
#include "core/selection_fin_connexion.hpp"
#include "plans/fenetre/dialogues_forfait.hpp"
#include "ui/dialogue_lumi.hpp"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace lumi {
class Dialogue;
namespace ui {

class IconesLumi;
struct StyleListe;

// Le caractère que montrent tous les champs de mot de passe, une fois par caractère tapé.
inline constexpr QChar caractere_mot_de_passe{0x00D7};  // ×

// Le champ qui met en minuscules et montre "×" pour chaque caractère.
QLineEdit* champ_mot_de_passe(const QString& nom, QWidget* parent);

class Tnewuserform final : public DialogueLumi {
    Q_OBJECT
public:
    Tnewuserform(BoiteNouvelUtilisateur modele, Dialogue& dialogue, QWidget* parent = nullptr);
    const BoiteNouvelUtilisateur& modele() const { return modele_; }
    std::optional<std::string> nom;  // le nom accepté
    QLineEdit* Edit1 = nullptr;
    QPushButton* Valider = nullptr;

private:
    void valider();
    BoiteNouvelUtilisateur modele_;
    Dialogue& dialogue_;
};

// TPasswordDlg (protéger : deux champs) et Tsimple_password (les deux suppressions : un champ).
class TPasswordDlg final : public DialogueLumi {
    Q_OBJECT
public:
    TPasswordDlg(BoiteMotDePasse modele, Dialogue& dialogue, QWidget* parent = nullptr);
    const BoiteMotDePasse& modele() const { return modele_; }
    QLineEdit* Password = nullptr;
    QLineEdit* Confirmation = nullptr;  // nul pour Tsimple_password
    QPushButton* Valider = nullptr;

private:
    void valider();
    void appliquer();
    BoiteMotDePasse modele_;
    Dialogue& dialogue_;
};

// La boîte de la fin de connexion, non bloquante : `repondre` reçoit le nom confirmé.
class Tutilisateur final : public DialogueLumi {
    Q_OBJECT
public:
    Tutilisateur(ModeleTutilisateur modele, Dialogue& dialogue, const StyleListe& style,
                 std::function<void(const std::string&)> repondre, QWidget* parent = nullptr);
    ModeleTutilisateur& modele() { return modele_; }
    QListWidget* ListBox1 = nullptr;
    QLineEdit* Password = nullptr;
    QPushButton* Valider = nullptr;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void valider();
    void appliquer();
    ModeleTutilisateur modele_;
    Dialogue& dialogue_;
    std::function<void(const std::string&)> repondre_;
};

class Tdelaiform final : public DialogueLumi {
    Q_OBJECT
public:
    Tdelaiform(ModeleTdelaiform modele, QColor fond, QWidget* parent = nullptr);
    const ModeleTdelaiform& modele() const { return modele_; }
    QLineEdit* Edit1 = nullptr;
    QPushButton* Valider = nullptr;

private:
    ModeleTdelaiform modele_;
};

class Trectiforfait final : public DialogueLumi {
    Q_OBJECT
public:
    Trectiforfait(ModeleTrectiforfait modele, Dialogue& dialogue, QWidget* parent = nullptr);
    std::optional<CorrectionForfait> correction;
    QLineEdit* MaskEdit1 = nullptr;
    QPushButton* Valider = nullptr;

private:
    ModeleTrectiforfait modele_;
    Dialogue& dialogue_;
};

class Traz_type_forfait_form final : public DialogueLumi {
    Q_OBJECT
public:
    Traz_type_forfait_form(ModeleTraz_type_forfait_form modele, Dialogue& dialogue, QWidget* parent = nullptr);
    std::optional<std::string> texte;  // la colonne de la liste, après "&Valider"
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;  // tous les n jours : hors de la partie visible
    QLineEdit* MaskEdit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Valider = nullptr;

private:
    ModeleTraz_type_forfait_form modele_;
    Dialogue& dialogue_;
};

}  // namespace ui
}  // namespace lumi
