#pragma once
// La fenêtre de déconnexion (Tsplashscreen) : sans barre de titre, toujours au-dessus, centrée sur
// l'écran, l'icône du produit à gauche et le texte gras "Déconnexion en cours...".
#include <QIcon>
#include <QWidget>

namespace lumi::ui {

class Tsplashscreen final : public QWidget {
    Q_OBJECT

public:
    explicit Tsplashscreen(const QIcon& icone, QWidget* parent = nullptr);
    // Montre la fenêtre centrée et la peint tout de suite.
    void montrer();
};

}  // namespace lumi::ui
