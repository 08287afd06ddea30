#pragma once
// L'icône de la zone de notification de la fenêtre principale : créée à la demande (rien là où le
// bureau n'a pas de zone de notification), son image et son info-bulle posées seulement quand
// elles changent, ses clics rendus à la fenêtre avec le bouton de la souris.
#include <QPoint>
#include <functional>
#include <optional>
#include <string>

#include "core/commandes_fenetre.hpp"

class QSystemTrayIcon;
class QWidget;

namespace lumi::ui {

class IconesLumi;

class IconeTForm1 {
public:
    using Clic = std::function<void(Qt::MouseButton bouton, QPoint position)>;

    IconeTForm1(QWidget& fenetre, const IconesLumi& icones, Clic clic);
    ~IconeTForm1();
    IconeTForm1(const IconeTForm1&) = delete;
    IconeTForm1& operator=(const IconeTForm1&) = delete;

    // Crée l'icône au premier appel, cachée ; faux sans zone de notification.
    bool creer();
    // La prochaine application pose l'image même inchangée.
    void oublier_image() { image_appliquee_.reset(); }
    void appliquer(ImageIcone image, const std::string& info_bulle);
    void montrer();
    void cacher();

    QSystemTrayIcon* icone() const { return icone_; }
    // Une icône montrée dans une zone de notification présente.
    bool zone_de_notification() const;

private:
    QWidget& fenetre_;
    const IconesLumi& icones_;
    Clic clic_;
    QSystemTrayIcon* icone_ = nullptr;
    std::optional<ImageIcone> image_appliquee_;
    std::string info_bulle_appliquee_;
};

}  // namespace lumi::ui
