#pragma once
// Les notifications du bureau : un avis court qui paraît hors de la fenêtre (fin de connexion,
// forfait épuisé, plafond de la facture, déconnexion programmée qui va partir). La couture ne fait
// que l'envoyer, sans attendre ni échouer : sans service de notifications, les fenêtres habituelles
// restent seules à parler. AvisBureau y ajoute le choix de l'utilisateur (« \options »).
#include <cstdint>
#include <string>
#include <string_view>

namespace lumi {

class Registre;

class Notifications {
public:
    virtual ~Notifications() = default;
    // Montre l'avis sans attendre ; ne lève jamais.
    virtual void notifier(const std::string& titre, const std::string& texte) = 0;
};

// Aucun service : rien n'est montré (la démonstration, les rejeux).
class SansNotifications final : public Notifications {
public:
    void notifier(const std::string&, const std::string&) override {}
};

enum class SujetAvis { fin_connexion, fin_forfait, plafond, deconnexion_programmee };

std::string_view titre_avis(SujetAvis sujet);
// « Connexion « MonFAI » terminée : 00:12:34, 12,950 F TTC. » (sans nom : « Connexion terminée »).
std::string texte_fin_connexion(std::string_view nom, std::int64_t duree, std::string_view prix, bool ttc);
// « La connexion sera coupée dans 10 secondes. », et l'arrêt de l'ordinateur s'il suit.
std::string texte_deconnexion_programmee(int secondes, bool arret);

// Les avis filtrés par les réglages, relus à chaque avis : un changement dans la fenêtre des
// options vaut tout de suite.
class AvisBureau {
public:
    explicit AvisBureau(const Registre& registre) : registre_(registre) {}
    void brancher(Notifications* notifications) { notifications_ = notifications; }
    // Vrai si l'avis est parti vers la couture.
    bool avertir(SujetAvis sujet, const std::string& texte);

private:
    const Registre& registre_;
    Notifications* notifications_ = nullptr;
};

}  // namespace lumi
