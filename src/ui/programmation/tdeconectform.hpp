#pragma once
// La fenêtre de programmation (Tdeconectform) et le décompte (TcofirmForm) : coquilles Qt sur
// ModeleTdeconectform et ModeleTcofirmForm ; EcransQt montre le décompte et la fenêtre
// "Déconnexion en cours..." que demande la programmation.
#include <QColor>
#include <QPointer>
#include <functional>
#include <memory>

#include "actions/fenetre_programmation.hpp"
#include "ui/dialogue_lumi.hpp"
#include "ui/tsplashscreen.hpp"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

namespace lumi::ui {


class Tdeconectform final : public DialogueLumi {
    Q_OBJECT

public:
    // `choisir_fichier` ouvre le choix du son (filtre "Sons WAVES|*.wav") et rend le chemin choisi,
    // vide si rien ; les essais le remplacent.
    using ChoixFichier = std::function<QString(QWidget* parent, const QString& titre, const QString& dossier)>;
    Tdeconectform(Programmation& programmation, QWidget* parent = nullptr, ChoixFichier choisir_fichier = {});

    // À chaque ouverture : le modèle relu des réglages et de la connexion.
    void preparer();
    ModeleTdeconectform& modele() { return modele_; }

    QComboBox* ComboBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Panel2 = nullptr;  // le champ du déclencheur
    QToolButton* SpeedButton1 = nullptr;  // grand champ : monter
    QToolButton* SpeedButton2 = nullptr;  // grand champ : descendre
    QToolButton* SpeedButton3 = nullptr;  // petit champ : monter
    QToolButton* SpeedButton4 = nullptr;  // petit champ : descendre
    QToolButton* SpeedButton5 = nullptr;  // remise à zéro
    QPushButton* Button3 = nullptr;       // "Ajuster à l'heure actuelle"
    QLabel* Label1 = nullptr;             // statut du téléchargement
    QLabel* Label2 = nullptr;             // ce qui est surveillé
    QCheckBox* CheckBox1 = nullptr;       // "Se déconnecter"
    QCheckBox* CheckBox2 = nullptr;       // "Quitter Windows"
    QCheckBox* CheckBox3 = nullptr;       // alarme sonore
    QCheckBox* CheckBox4 = nullptr;       // attendre la fin du pas de taxation
    QPushButton* SpeedButton6 = nullptr;  // "Tester l'alarme"
    QPushButton* SpeedButton7 = nullptr;  // choix du son
    QSlider* TrackBar1 = nullptr;
    QLabel* Label3 = nullptr;  // légende du délai
    QPushButton* Button1 = nullptr;  // "&Programmer"
    QPushButton* Button2 = nullptr;  // "A&nnuler"
    QTimer* Timer1 = nullptr;        // 100 ms : répétition des flèches et statut

protected:
    void showEvent(QShowEvent* evenement) override;
    void closeEvent(QCloseEvent* evenement) override;
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void appliquer();
    QToolButton* fleche(const QString& nom, const QString& texte, Fleche f);

    ModeleTdeconectform modele_;
    ChoixFichier choisir_fichier_;
    bool en_application_ = false;
    bool fermeture_rangee_ = false;
};

class TcofirmForm final : public DialogueLumi {
    Q_OBJECT

public:
    TcofirmForm(Programmation& programmation, QWidget* parent = nullptr);
    ModeleTcofirmForm& modele() { return modele_; }

    QLabel* Label1 = nullptr;  // messages 21 et 22
    QLabel* Label2 = nullptr;  // " Attention, déconnexion dans ..."
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button1 = nullptr;  // "&Se déconnecter..."
    QPushButton* Button2 = nullptr;  // "&Annuler"
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* evenement) override;

private:
    void appliquer();
    // "&Se déconnecter..." et la fin du décompte : cachée, la séquence, puis fermée.
    void se_deconnecter();
    ModeleTcofirmForm modele_;
    bool active_ = false;
};

// Les fenêtres de l'exécution d'une programmation, pour la fenêtre principale.
class EcransQt final : public EcransProgrammation {
public:
    EcransQt(Programmation& programmation, QWidget& principale, const QIcon& icone);
    ~EcransQt() override;
    void ouvrir_decompte() override;
    void montrer_deconnexion(std::string_view texte) override;
    void fermer_deconnexion() override;
    void attendre(int ms) override;
    // Après chaque étape : la fenêtre principale relit son modèle.
    std::function<void()> apres_etape;

    TcofirmForm* decompte() const { return decompte_; }
    Tsplashscreen* deconnexion() const { return splash_; }

private:
    Programmation& programmation_;
    QWidget& principale_;
    QIcon icone_;
    QPointer<TcofirmForm> decompte_;
    QPointer<Tsplashscreen> splash_;
};

}  // namespace lumi::ui
