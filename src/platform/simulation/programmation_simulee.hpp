#pragma once
// Les coutures simulées de la déconnexion programmée : fenêtres des autres programmes en mémoire,
// trafic de la connexion réglé à la main, arrêt de la machine noté, et les fenêtres de la coquille
// (décompte, "Déconnexion en cours...") jouées sur l'ordonnanceur et notées dans l'ordre.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/fenetre_programmation.hpp"
#include "actions/programmation.hpp"
#include "actions/telechargements.hpp"
#include "platform/simulation/ordonnanceur.hpp"

namespace lumi {

class FenetresSimulees final : public FenetresSysteme {
public:
    std::vector<FenetreSysteme> fenetres() const override;
    std::uint64_t chercher(std::string_view titre) const override;
    bool active(std::uint64_t numero) const override;
    bool disponible() const override { return disponible_; }

    // Ouvre une fenêtre et rend son numéro.
    std::uint64_t ouvrir(std::string titre);
    void fermer(std::uint64_t numero) { fenetres_.erase(numero); }
    void desactiver(std::uint64_t numero, bool inactive = true);
    void definir_disponible(bool d) { disponible_ = d; }

private:
    struct Fenetre {
        std::string titre;
        bool active = true;
    };
    std::map<std::uint64_t, Fenetre> fenetres_;
    std::uint64_t prochain_ = 0x1001;
    bool disponible_ = true;
};

class TraficSimule final : public TraficReseau {
public:
    std::optional<std::uint64_t> octets_recus() const override { return octets; }
    std::string interface() const override { return "ppp0"; }
    std::optional<std::uint64_t> octets;
};

class ArretSimule final : public ArretSysteme {
public:
    // La réponse vient aussitôt, sauf si `differer` la garde pour repondre().
    void eteindre(Fin fin) override {
        ++demandes;
        if (differer) {
            en_attente = std::move(fin);
            return;
        }
        fin(accepte, accepte ? std::string() : raison);
    }
    void repondre() {
        if (!en_attente) return;
        auto fin = std::move(en_attente);
        en_attente = nullptr;
        fin(accepte, accepte ? std::string() : raison);
    }
    bool accepte = true;
    bool differer = false;
    std::string raison = "Arrêt refusé par le système.";
    int demandes = 0;
    Fin en_attente;
};

// Les fenêtres de la coquille, notées ("decompte", "deconnexion=...", "fermee", "attente=1500",
// chaque légende du décompte) ; le décompte avance de 100 ms en 100 ms sur l'ordonnanceur.
class EcransSimules final : public EcransProgrammation {
public:
    EcransSimules(Ordonnanceur& ordonnanceur, Programmation& programmation)
        : ordonnanceur_(ordonnanceur), programmation_(programmation) {}

    void ouvrir_decompte() override;
    void montrer_deconnexion(std::string_view texte) override;
    void fermer_deconnexion() override;
    void attendre(int ms) override;

    // Pendant une attente la boucle d'événements tourne : qui veut y voir la fin de la connexion.
    std::function<void()> pendant_attente;
    // Le décompte en cours ; "&Annuler" : annuler_decompte().
    ModeleTcofirmForm* decompte() { return decompte_.get(); }
    void annuler_decompte();

    std::vector<std::string> journal;

private:
    void tic();

    Ordonnanceur& ordonnanceur_;
    Programmation& programmation_;
    std::unique_ptr<ModeleTcofirmForm> decompte_;
};

}  // namespace lumi
