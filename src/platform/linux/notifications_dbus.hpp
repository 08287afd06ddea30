#pragma once
// Les notifications du bureau par org.freedesktop.Notifications sur le bus de la session. L'avis part
// sans demander de réponse : rien n'attend le service, et son absence ne fait rien. Le bus s'ouvre
// au premier avis et se rouvre après une perte ; l'envoi attend au plus un court délai.
#include <chrono>
#include <memory>
#include <string>

#include "actions/notifications.hpp"
#include "platform/linux/bus_dbus.hpp"

namespace lumi {

class NotificationsDbus final : public Notifications {
public:
    static constexpr std::chrono::milliseconds delai_par_defaut{500};
    explicit NotificationsDbus(std::chrono::milliseconds delai = delai_par_defaut) : delai_(delai) {}
    ~NotificationsDbus() override;

    void notifier(const std::string& titre, const std::string& texte) override;
    // La raison du dernier avis perdu (bus injoignable, envoi trop lent), vide sinon.
    const std::string& derniere_erreur() const { return erreur_; }

private:
    std::chrono::milliseconds delai_;
    std::unique_ptr<BusDbus> bus_;
    std::string erreur_;
};

// Le texte d'un avis pour le corps d'une notification, que les services lisent comme du balisage :
// « & », « < » et « > » d'un nom y sont montrés tels quels.
std::string echapper_balisage(const std::string& texte);

}  // namespace lumi
