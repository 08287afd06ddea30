#pragma once
// Les quatre onglets de la fenêtre des options, un widget par page du modèle (PageGenerale,
// PageUtilisateurs, PageFournisseurs, PageForfaits) : chacun construit ses contrôles sous leurs noms
// établis, se remplit à l'ouverture, transmet ses événements à sa page et montre ce qu'elle dit. Le
// rangement reste celui du modèle de la fenêtre, sur « &Valider », dans l'ordre établi.
#include <QAbstractTableModel>
#include <QColor>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "core/options/toptionform.hpp"

class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableView;
class QToolButton;
class QVBoxLayout;

namespace lumi::ui {

struct StyleListe;

// Ce que les onglets tiennent de la fenêtre : le modèle, les boîtes de message, l'ouverture des
// boîtes (que les essais remplacent), l'aide, le style des listes, le fond des explications.
struct ContexteOnglets {
    ModeleToptionform& modele;
    Dialogue& dialogue;
    const std::function<int(QDialog&)>& executer;
    const std::function<void(int)>& ouvrir_aide;
    const StyleListe& style_listes;
    QColor fond_explications;
};

class OngletOptionsQt : public QWidget {
    Q_OBJECT

public:
    // À chaque ouverture, le modèle rouvert : les listes de la page refaites.
    virtual void charger() {}
    // Après chaque événement, de n'importe quel onglet : ce que dit la page.
    virtual void appliquer() = 0;

signals:
    // La page a changé : la fenêtre remontre tous les onglets et « &Valider ».
    void modifie();

protected:
    OngletOptionsQt(const ContexteOnglets& contexte, const char* nom, QWidget* parent);
    // Un bouton de l'onglet, comme ceux de la fenêtre (pas celui d'Entrée).
    QPushButton* bouton(std::string_view texte, const char* nom);
    // Le panneau d'explication du bas de l'onglet.
    QWidget* explication(const char* nom, const QString& texte);

    const ContexteOnglets& c_;
    // Pendant qu'on remplit les contrôles, leurs signaux ne sont pas des gestes de l'utilisateur.
    bool remplissage_ = false;
};

// « Options générales » : les interrupteurs et la cadence des instantanés.
class OngletGenerale final : public OngletOptionsQt {
    Q_OBJECT
public:
    OngletGenerale(const ContexteOnglets& contexte, QWidget* parent = nullptr);
    void appliquer() override;

    std::array<QCheckBox*, nb_interrupteurs> interrupteurs{};
    QComboBox* ComboBox1 = nullptr;  // cadence des instantanés
    // Le plafond de la facture : montant, pourcentage de l'alerte, action.
    QLineEdit* EditPlafond = nullptr;
    QSpinBox* SpinAlerte = nullptr;
    QComboBox* ComboAction = nullptr;

private:
    void saisie_plafond();
    void activer_notifications();
};

// « Gestion des utilisateurs » : la liste, ses flèches, l'ajout, la suppression, les mots de passe.
class OngletUtilisateurs final : public OngletOptionsQt {
    Q_OBJECT
public:
    OngletUtilisateurs(const ContexteOnglets& contexte, QWidget* parent = nullptr);
    void appliquer() override;

    QListWidget* ListBox1 = nullptr;
    QPushButton* AjouterUtilisateur = nullptr;
    QPushButton* SupprimerUtilisateur = nullptr;
    QPushButton* ProtegerUtilisateur = nullptr;
    QPushButton* SupprimerMotDePasse = nullptr;
    QToolButton* Monter = nullptr;
    QToolButton* Descendre = nullptr;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    PageUtilisateurs& page() { return c_.modele.utilisateurs(); }
};

// « Fournisseurs d'accès » : les entrées de l'annuaire, leur tarif, leurs options, le délai.
class OngletFournisseurs final : public OngletOptionsQt {
    Q_OBJECT
public:
    OngletFournisseurs(const ContexteOnglets& contexte, QWidget* parent = nullptr);
    void charger() override;
    void appliquer() override;

    QListWidget* ListBox2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QPushButton* BoutonDelai = nullptr;

private:
    PageFournisseurs& page() { return c_.modele.fournisseurs(); }
    void construire_options();

    QVBoxLayout* disposition_options_ = nullptr;
    std::vector<QCheckBox*> hot_checkbox_;
};

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

// « Gestion des forfaits » : la liste et les deux boîtes de la ligne choisie.
class OngletForfaits final : public OngletOptionsQt {
    Q_OBJECT
public:
    OngletForfaits(const ContexteOnglets& contexte, QWidget* parent = nullptr);
    void definir_couleurs(QColor ligne_paire, QColor ligne_impaire);
    void charger() override;
    void appliquer() override;

    QTableView* ListView1 = nullptr;
    QPushButton* ModifierTemps = nullptr;
    QPushButton* ModifierDate = nullptr;

private:
    void ligne_forfait(bool temps);

    ModeleListeForfaits* liste_ = nullptr;
};

}  // namespace lumi::ui
