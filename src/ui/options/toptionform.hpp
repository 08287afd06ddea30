#pragma once
// La fenêtre " Options et configuration " : les quatre onglets (un widget par page de
// ModeleToptionform, onglets_options.hpp) et les trois boutons du bas. Elle est gardée par le routeur
// d'une ouverture à l'autre ; preparer() recharge le modèle (copies de travail comprises) à chaque
// ouverture, et la fermeture les efface.
#include <array>
#include <functional>
#include <memory>

#include "core/options/toptionform.hpp"
#include "ui/controles.hpp"
#include "ui/dialogue_lumi.hpp"
#include "ui/options/onglets_options.hpp"

class QPushButton;
class QTabWidget;

namespace lumi {
class JeuCouleurs;
namespace ui {

class IconesLumi;

class Toptionform final : public DialogueLumi {
    Q_OBJECT

public:
    Toptionform(LiensOptions liens, const JeuCouleurs& couleurs, const IconesLumi& icones,
                std::function<void(int)> ouvrir_aide, QWidget* parent = nullptr);
    ~Toptionform() override;

    // À chaque ouverture : modèle rechargé, onglet `page` (1 : les utilisateurs).
    void preparer(int page);
    ModeleToptionform& modele() { return modele_; }

    QTabWidget* PageControl1 = nullptr;
    QPushButton* BitBtn1 = nullptr;  // &Annuler
    QPushButton* BitBtn2 = nullptr;  // &Valider
    QPushButton* BitBtn3 = nullptr;  // Ai&de
    // Les onglets, qui tiennent leurs contrôles.
    OngletGenerale* TabSheet1 = nullptr;
    OngletUtilisateurs* TabSheet2 = nullptr;
    OngletFournisseurs* TabSheet3 = nullptr;
    OngletForfaits* TabSheet4 = nullptr;

    // Les boîtes ouvertes depuis la fenêtre passent par ici ; les essais y répondent.
    std::function<int(QDialog&)> executer = [](QDialog& d) { return d.exec(); };

public slots:
    void done(int resultat) override;

private:
    std::array<OngletOptionsQt*, 4> onglets() const { return {TabSheet1, TabSheet2, TabSheet3, TabSheet4}; }
    void appliquer();

    ModeleToptionform modele_;
    Dialogue& dialogue_;
    std::function<void(int)> ouvrir_aide_;
    StyleListe style_listes_;
    std::unique_ptr<ContexteOnglets> contexte_;
};

}  // namespace ui
}  // namespace lumi
