#pragma once
// Le routeur des fenêtres secondaires de la fenêtre principale : une route par fenêtre (son titre et
// sa fabrique). La fenêtre est créée à son premier usage, gardée ensuite, et ouverte en modal ; une
// fenêtre qui n'a pas encore de fabrique le dit dans une boîte. Ajouter une fenêtre ne change rien à
// TForm1 : une ligne dans la table ci-dessous, et dans le dossier de la fenêtre la fonction
// definir_route_<fenetre>(RouteurFenetres&, ses coutures) que le programme appelle.
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>

class QDialog;
class QWidget;

namespace lumi {

class Dialogue;

// Les fenêtres que la fenêtre principale ouvre, en une table : la valeur de FenetreSecondaire et le
// titre que donne la boîte « pas encore disponible » ; le nombre en découle. Une fenêtre de plus,
// c'est une ligne ici et sa route (definir_route_<fenetre> dans son dossier).
#define LUMI_FENETRES_SECONDAIRES(LIGNE)                                                          \
    LIGNE(historique, "Historique des connexions")  /* ThistoForm */                              \
    LIGNE(options, "Options et configuration")      /* Toptionform, page 0 ou 1 (utilisateurs) */ \
    LIGNE(programmation, "Module de programmation") /* Tdeconectform */                           \
    LIGNE(accueil, "Bienvenue")                     /* Taccueilform, à la première utilisation */

enum class FenetreSecondaire {
#define LUMI_VALEUR(nom, titre) nom,
    LUMI_FENETRES_SECONDAIRES(LUMI_VALEUR)
#undef LUMI_VALEUR
};

inline constexpr std::array titres_fenetres_secondaires{
#define LUMI_TITRE(nom, titre) std::string_view{titre},
    LUMI_FENETRES_SECONDAIRES(LUMI_TITRE)
#undef LUMI_TITRE
};
inline constexpr std::size_t nb_fenetres_secondaires = titres_fenetres_secondaires.size();

namespace ui {

class RouteurFenetres final : public QObject {
    Q_OBJECT

public:
    // La fabrique reçoit le parent (la fenêtre principale) ; la préparation, la page demandée, à
    // chaque ouverture.
    using Fabrique = std::function<QDialog*(QWidget* parent)>;
    using Preparation = std::function<void(QDialog& fenetre, int page)>;

    RouteurFenetres(QWidget& fenetre_principale, Dialogue& dialogue);

    void definir_route(FenetreSecondaire fenetre, Fabrique fabrique, Preparation preparation = {});
    bool disponible(FenetreSecondaire fenetre) const;
    // Crée la fenêtre au premier usage, la prépare et l'ouvre en modal ; rend vrai si elle s'est
    // ouverte (faux : pas encore disponible, la boîte l'a dit).
    bool ouvrir(FenetreSecondaire fenetre, int page = 0);
    // La fenêtre déjà créée (nulle avant son premier usage).
    QDialog* fenetre(FenetreSecondaire fenetre) const;

    // Le titre que la boîte « pas encore disponible » donne à chaque fenêtre.
    static QString titre(FenetreSecondaire fenetre);

signals:
    // La fenêtre modale s'est fermée : la fenêtre principale relit ses modèles.
    void fermee(FenetreSecondaire fenetre);

private:
    struct Route {
        Fabrique fabrique;
        Preparation preparation;
        QPointer<QDialog> fenetre;
    };
    Route& route(FenetreSecondaire fenetre) { return routes_[static_cast<std::size_t>(fenetre)]; }
    const Route& route(FenetreSecondaire fenetre) const { return routes_[static_cast<std::size_t>(fenetre)]; }

    QWidget& principale_;
    Dialogue& dialogue_;
    std::array<Route, nb_fenetres_secondaires> routes_;
};

}  // namespace ui
}  // namespace lumi
