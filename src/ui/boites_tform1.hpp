#pragma once
// Les boîtes que la fenêtre principale ouvre sans attendre leur réponse : la fenêtre des messages
// (Tinfoform), les avis de fin de forfait (TFinforfait), la sélection de l'utilisateur en fin de
// connexion (Tutilisateur), « Déconnexion en cours... » (Tsplashscreen), et l'aide ouverte dans le
// navigateur. Chacune s'ouvre quand le modèle la demande et rend sa réponse au modèle ; la fenêtre
// n'a plus qu'à se relire.
#include <QColor>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "ui/controles.hpp"

class QUrl;
class QWidget;

namespace lumi {

class CommandesFenetre;
class Dialogue;
class JeuCouleurs;
class ListeUtilisateurs;
struct ModeleTForm1;

namespace ui {

class IconesLumi;
class Tinfoform;
class Tsplashscreen;

// Ce que les boîtes lisent ; tout vit plus longtemps qu'elles.
struct CouturesBoites {
    CommandesFenetre& commandes;
    ListeUtilisateurs& utilisateurs;
    const JeuCouleurs& couleurs;
    const IconesLumi& icones;
    Dialogue& dialogue;
    std::filesystem::path dossier_donnees;  // lumicompteur.ini (messages 42 à 44)
    // Dossier de l'aide HTML ; vide : "aide" du dossier de données, sinon celui des fichiers par défaut.
    std::filesystem::path dossier_aide;
    // Ouvre une adresse ; faux (ou vide) : rien ne l'a prise.
    const std::function<bool(const QUrl&)>& ouvreur_url;
};

class BoitesTForm1 {
public:
    // Les boîtes sont filles de `fenetre`.
    BoitesTForm1(QWidget& fenetre, CouturesBoites coutures);
    ~BoitesTForm1();
    BoitesTForm1(const BoitesTForm1&) = delete;
    BoitesTForm1& operator=(const BoitesTForm1&) = delete;

    // Le fond des messages : celui des listes de Couleur.ini.
    void definir_fond(QColor fond) { fond_messages_ = fond; }
    // Les messages et les avis de fin de forfait demandés depuis le dernier appel ; `avis_montre`
    // après chaque avis.
    void montrer_avis_en_attente(const ModeleTForm1& f, const std::function<void()>& avis_montre);
    // Non bloquante : `enregistrer` reçoit l'utilisateur confirmé.
    void ouvrir_selection_utilisateur(std::function<void(const std::string&)> enregistrer);
    // « Déconnexion en cours... » pendant les pauses du raccrochage ; un échec est dit en le cachant.
    void montrer_deconnexion();
    void cacher_deconnexion(bool reussie);
    // La page "sujet-N.html" de l'aide, sinon son sommaire ; un avertissement si rien ne s'ouvre.
    void ouvrir_aide(int sujet);

private:
    void ouvrir_url(const QString& url);

    QWidget& fenetre_;
    CouturesBoites c_;
    QColor fond_messages_;
    ui::StyleListe style_selection_;
    QPointer<Tinfoform> infoform_;
    Tsplashscreen* splash_ = nullptr;
    std::size_t avis_montres_ = 0;
    int demandes_info_vues_ = 0;
};

}  // namespace ui
}  // namespace lumi
