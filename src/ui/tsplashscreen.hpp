#pragma once
// La fenêtre de déconnexion (Tsplashscreen) : sans barre de titre, toujours au-dessus, centrée sur
// l'écran, l'icône du produit à gauche et le texte gras "Déconnexion en cours...".
#include <QIcon>
#include <QWidget>

class QLabel;

namespace lumi::ui {

class Tsplashscreen final : public QWidget {
    Q_OBJECT

public:
    explicit Tsplashscreen(const QIcon& icone, QWidget* parent = nullptr);
    // Montre la fenêtre centrée et la peint tout de suite.
    void montrer();
    // "Déconnexion en cours..." ou "Fermeture de Windows..." (déconnexion programmée).
    void definir_texte(const QString& texte);

private:
    QLabel* texte_ = nullptr;
};

}  // namespace lumi::ui
