#pragma once
// La fenêtre de l'historique (ThistoForm) : le type d'historique et ses dates en haut, la liste au
// milieu, les filtres, statistiques et totaux en bas, les boutons imprimer, exporter en PDF,
// effacer ou restaurer, à propos, aide et fermer. Son modèle (ModeleThistoform et sa VueHistorique)
// décide, lit et range ; la fenêtre transmet les événements et montre ce qu'il dit.
#include <QDate>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/dialogue.hpp"
#include "history/fenetre/modele_thistoform.hpp"
#include "settings/registre.hpp"
#include "ui/dialogue_lumi.hpp"

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace lumi::ui {

class ModeleListeHistorique;

// Ce que la fenêtre demande au programme.
struct CouturesHistorique {
    std::filesystem::path dossier;  // dossier de données : Historique, lumicompteur.ini, Couleur.ini
    Registre& registre;
    Dialogue& dialogue;
    std::function<NumeroJour()> aujourdhui;
    std::function<void(int sujet)> ouvrir_aide;
    std::function<std::vector<std::string>()> entrees_annuaire;  // le filtre des providers
    // La facture a été recomptée : la fenêtre principale la relit à la fermeture.
    std::function<void()> facture_recomptee;
};

class ThistoForm final : public DialogueLumi {
    Q_OBJECT

public:
    explicit ThistoForm(CouturesHistorique coutures, QWidget* parent = nullptr);
    ~ThistoForm() override;

    // Avant chaque ouverture : réglages, filtres, dates et type rangés relus, la plage lue.
    void preparer();

    // Les actions des boutons, appelables par les essais.
    void choisir_type(int indice);
    void effacer_selection();  // "&Effacer" ou "&Restaurer" sur la ligne choisie
    bool exporter_pdf(const QString& fichier);
    // Les lignes de la liste, dans son ordre, en CSV pour un tableur ; faux si rien n'a pu être écrit.
    bool exporter_csv(const QString& fichier);
    // Les connexions montrées reprises sous `tarif` et l'option de ce code : le texte de la boîte.
    std::string comparer(const std::string& tarif, const std::string& code_option);
    void comparer_tarification();  // la boîte de choix, puis le résultat
    void montrer_graphique();      // le coût des douze derniers mois
    VueHistorique& vue() { return modele_.vue(); }
    ModeleThistoform& modele() { return modele_; }
    ModeleListeHistorique& liste() { return *liste_; }

    QComboBox* ComboBox1 = nullptr;  // type
    QComboBox* ComboBox2 = nullptr;  // mois
    QComboBox* ComboBox3 = nullptr;  // utilisateurs
    QComboBox* ComboBox4 = nullptr;  // providers
    QComboBox* ComboBox5 = nullptr;  // tarifications
    QComboBox* ComboBox6 = nullptr;  // réductions
    QDateEdit* DateTimePicker1 = nullptr;
    QDateEdit* DateTimePicker2 = nullptr;
    QDateEdit* DateTimePicker3 = nullptr;  // début de la facture en cours
    QLabel* Label1 = nullptr;              // titre de la plage
    QLabel* Label2 = nullptr;              // "Du ..."
    QLabel* Label3 = nullptr;              // "Au ..."
    QLabel* Label4 = nullptr;              // "Consommation depuis le ..."
    QLabel* Label5 = nullptr;              // la prochaine période de facturation
    QLabel* Label6 = nullptr;              // lignes d'avis sur la liste vide
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;              // lignes illisibles
    QLabel* LabelProjection = nullptr;     // type 0 : la facture projetée à la fin de la période
    QLabel* LabelPlafond = nullptr;        // type 0 : le plafond de la facture et sa part atteinte
    QTreeView* ListView1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;  // &Imprimer
    QPushButton* SpeedButton7 = nullptr;  // Exporter en PDF...
    QPushButton* SpeedButton8 = nullptr;  // Exporter en CSV...
    QPushButton* SpeedButton2 = nullptr;  // &Effacer
    QPushButton* SpeedButton3 = nullptr;  // &Restaurer
    QPushButton* SpeedButton4 = nullptr;  // A &propos...
    QPushButton* SpeedButton5 = nullptr;  // &Aide
    QPushButton* SpeedButton6 = nullptr;  // &Fermer
    QMenu* PopupMenu1 = nullptr;
    QAction* AvecReductions1 = nullptr;
    QAction* Comparer1 = nullptr;   // « Comparer avec une autre tarification... »
    QAction* Graphique1 = nullptr;  // « Graphique des mois... »
    QAction* SansReductions1 = nullptr;
    // Les panneaux des statistiques et des totaux, dans l'ordre du modèle.
    std::vector<QLabel*> panneaux_statistiques;
    QWidget* Panel1 = nullptr;  // le haut : type et dates
    QWidget* Panel2 = nullptr;  // le bas : filtres, statistiques et boutons

protected:
    void done(int resultat) override;
    void changeEvent(QEvent* evenement) override;
    void keyPressEvent(QKeyEvent* evenement) override;
    void keyReleaseEvent(QKeyEvent* evenement) override;
    void contextMenuEvent(QContextMenuEvent* evenement) override;
    void mousePressEvent(QMouseEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void construire();
    void appliquer();  // montre ce que dit le modèle après chaque événement
    void apres_lecture();
    void remplir_filtres();
    void imprimer();
    void exporter();
    void exporter_en_csv();
    void montrer_dates();
    void montrer_legende(bool ctrl);  // "&Restaurer" ou, Ctrl enfoncé, "&Détruire"
    QString titre_fenetre() const;

    CouturesHistorique c_;
    ModeleThistoform modele_;
    ModeleListeHistorique* liste_ = nullptr;
    bool mise_a_jour_ = false;
    int lectures_montrees_ = -1;
};

}  // namespace lumi::ui
