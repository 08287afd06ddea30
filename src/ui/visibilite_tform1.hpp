#pragma once
// Montrer et cacher la fenêtre principale : le modèle dit si elle est visible ; cachée, elle va dans
// la zone de notification, ou, là où le bureau n'en a pas, elle est réduite pour rester à portée.
// Ce que le bureau fait alors de la fenêtre (réduite, rendue par la barre des tâches) revient au
// modèle. Rien n'est suivi avant le premier montrer() ou cacher() du programme.
class QWidget;

namespace lumi {

class CommandesFenetre;
struct ModeleTForm1;

namespace ui {

class IconeTForm1;

class VisibiliteTForm1 {
public:
    VisibiliteTForm1(QWidget& fenetre, CommandesFenetre& commandes, const ModeleTForm1& modele,
                     const IconeTForm1& icone);

    // ShowApplication et son contraire : le modèle change d'avis, et la prochaine application le
    // suit même si la fenêtre semblait déjà l'avoir fait.
    void montrer();
    void cacher();
    // La fenêtre suit le modèle, s'il a changé d'avis depuis la dernière application.
    void appliquer();
    // L'état de la fenêtre a changé (WindowStateChange) : vrai si le modèle a suivi le bureau, les
    // éléments du menu sont alors à relire.
    bool etat_change();
    // Après un changement de mode : montrée si elle l'était, ou si le modèle la veut visible ; pas
    // si le programme, lancé caché, ne l'a pas encore montrée.
    void remontrer(bool etait_visible);

private:
    QWidget& fenetre_;
    CommandesFenetre& commandes_;
    const ModeleTForm1& modele_;
    const IconeTForm1& icone_;
    bool suivie_ = false;     // montrer() ou cacher() a été appelé
    bool appliquee_ = false;  // la visibilité que la fenêtre a reçue
};

}  // namespace ui
}  // namespace lumi
