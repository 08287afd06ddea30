#pragma once
// La fenêtre " Options et configuration " : quatre onglets au-dessus de ModeleToptionform, et les
// trois boutons du bas. Elle est gardée par le routeur d'une ouverture à l'autre ; preparer()
// recharge le modèle (copies de travail comprises) à chaque ouverture, et la fermeture les efface.
#include <QAbstractTableModel>
#include <array>
#include <functional>
#include <memory>

#include "core/options/toptionform.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_lumi.hpp"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;
class QToolButton;
class QVBoxLayout;

namespace lumi {
class JeuCouleurs;
namespace ui {

class IconesLumi;

// La liste des forfaits : Forfait, Temps restant (centré), Date réinitialisation ; les lignes
// alternent deux couleurs, celles d'un forfait entamé sont écrites en bleu.
class ModeleListeForfaits final : public QAbstractTableModel {
    Q_OBJECT
public:
    ModeleListeForfaits(const PageForfaits& page, QObject* parent);
    void definir_couleurs(QColor ligne_paire, QColor ligne_impaire);
    void recharger();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const PageForfaits& page_;
    QColor paire_{Qt::white}, impaire_{Qt::white};
};

class Toptionform final : public DialogueLumi {
    Q_OBJECT

public:
    Toptionform(LiensOptions liens, const JeuCouleurs& couleurs, const IconesLumi& icones,
                std::function<void(int)> ouvrir_aide, QWidget* parent = nullptr);
    ~Toptionform() override;

    // À chaque ouverture : modèle rechargé, onglet `page` (1 : les utilisateurs).
    void preparer(int page);
    ModeleToptionform& modele() { return modele_; }

    QTabWidget* PageControl1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // &Annuler
    QPushButton* BitBtn2 = nullptr;  // &Valider
    QPushButton* BitBtn3 = nullptr;  // Ai&de
    // Onglet général.
    std::array<QCheckBox*, nb_interrupteurs> interrupteurs{};
    QComboBox* ComboBox1 = nullptr;  // cadence des instantanés
    // Onglet des utilisateurs.
    QListWidget* ListBox1 = nullptr;
    QPushButton* AjouterUtilisateur = nullptr;
    QPushButton* SupprimerUtilisateur = nullptr;
    QPushButton* ProtegerUtilisateur = nullptr;
    QPushButton* SupprimerMotDePasse = nullptr;
    QToolButton* Monter = nullptr;
    QToolButton* Descendre = nullptr;
    // Onglet des fournisseurs.
    QListWidget* ListBox2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QPushButton* BoutonDelai = nullptr;
    // Onglet des forfaits.
    QTableView* ListView1 = nullptr;
    QPushButton* ModifierTemps = nullptr;
    QPushButton* ModifierDate = nullptr;

    // Les boîtes ouvertes depuis la fenêtre passent par ici ; les essais y répondent.
    std::function<int(QDialog&)> executer = [](QDialog& d) { return d.exec(); };

public slots:
    void done(int resultat) override;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    QWidget* page_generale();
    QWidget* page_utilisateurs();
    QWidget* page_fournisseurs();
    QWidget* page_forfaits();
    void construire_options();
    void appliquer();
    void appliquer_utilisateurs();
    void appliquer_fournisseurs();
    void ligne_forfait(bool temps);
    void informer(const std::string& texte);

    ModeleToptionform modele_;
    Dialogue& dialogue_;
    std::function<void(int)> ouvrir_aide_;
    StyleListe style_listes_;
    QColor fond_explications_;
    ModeleListeForfaits* liste_forfaits_ = nullptr;
    QVBoxLayout* disposition_options_ = nullptr;
    std::vector<QCheckBox*> hot_checkbox_;
    bool remplissage_ = false;
};

}  // namespace ui
}  // namespace lumi
