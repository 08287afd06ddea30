#pragma once
// Le programme assemblé : dossier de données, magasin de réglages, coutures (réelles sous Linux,
// ou scriptées en démonstration), compteur, détection, fenêtre principale et démarrage. Le même
// assemblage sert à lumicompteur et aux essais Qt qui mènent la vraie fenêtre.
#include <QObject>
#include <filesystem>
#include <memory>

#include "options_programme.hpp"

namespace lumi {

class AccesDistant;
class AccesDistantScripte;
class Compteur;
class Demarrage;
class Detection;
class Registre;
class TForm1;

class Programme final : public QObject {
    Q_OBJECT

public:
    // À construire après l'application Qt. Choisit le dossier de données (un dossier neuf ou vide
    // reçoit les fichiers par défaut) et ouvre le magasin ; lève ErreurFichier (message français)
    // si c'est impossible.
    Programme(OptionsProgramme options, std::filesystem::path chemin_programme, QObject* parent = nullptr);
    ~Programme() override;

    // Le dossier de données que choisit la ligne de commande, sans rien créer.
    static std::filesystem::path dossier_choisi(const OptionsProgramme& options);

    // FormCreate puis FormActivate ; en démonstration, la connexion scriptée est programmée. Faux
    // quand la session s'est terminée pendant une boîte du démarrage : le programme est déjà fermé
    // (termine émis), sans que rien n'ait été décidé, et n'a plus de boucle d'événements à tourner.
    bool demarrer();

    // Un second lancement a rangé ses arguments dans "params".
    void second_lancement();
    // La session se termine ; `arreter` ferme aussitôt (sans question, l'instantané reste). Pendant
    // le démarrage, l'avis suffit : la boîte ouverte se ferme sans réponse et le démarrage s'arrête.
    void fin_de_session(bool arreter);

    TForm1& fenetre();
    Demarrage& demarrage();
    Compteur& compteur();
    Registre& registre();
    Detection& detection();
    // La connexion scriptée de la démonstration (nulle hors démonstration).
    AccesDistantScripte* acces_demo();
    const std::filesystem::path& dossier() const;

signals:
    // La fenêtre s'est fermée : le programme peut finir avec ce code.
    void termine(int code);

private:
    void fermer(bool fin_de_session);
    void detruire_fenetre();
    void definir_routes();
    void programmer_demo(int secondes);
    void programmer_capture();

    struct Etat;
    std::unique_ptr<Etat> e_;
};

}  // namespace lumi
