#include "ui/boites_tform1.hpp"

#include <QUrl>
#include <QWidget>
#include <exception>

#include "actions/dialogue.hpp"
#include "core/commandes_fenetre.hpp"
#include "core/couleurs.hpp"
#include "core/selection_fin_connexion.hpp"
#include "core/utilisateurs.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "ui/icones.hpp"
#include "ui/options/boites_options.hpp"
#include "ui/tfinforfait.hpp"
#include "ui/tinfoform.hpp"
#include "ui/tsplashscreen.hpp"

namespace lumi::ui {

BoitesTForm1::BoitesTForm1(QWidget& fenetre, CouturesBoites coutures)
    : fenetre_(fenetre), c_(std::move(coutures)) {
    if (c_.dossier_aide.empty()) {
        c_.dossier_aide = c_.dossier_donnees / "aide";
        std::error_code e;
        if (!std::filesystem::is_directory(c_.dossier_aide, e)) {
            c_.dossier_aide = dossier_donnees_par_defaut(dossier_executable_courant()) / "aide";
        }
    }
}

BoitesTForm1::~BoitesTForm1() {
    // La fenêtre des messages rappelle les commandes en se détruisant : avant elles, donc.
    delete infoform_.data();
}

void BoitesTForm1::montrer_avis_en_attente(const ModeleTForm1& f, const std::function<void()>& avis_montre) {
    if (f.demandes_Tinfoform != demandes_info_vues_) {
        demandes_info_vues_ = f.demandes_Tinfoform;
        if (!infoform_) {
            infoform_ = new Tinfoform(
                c_.commandes.modele_Tinfoform(), fond_messages_,
                [this](bool ne_plus_afficher) { c_.commandes.fermeture_Tinfoform(ne_plus_afficher); },
                &fenetre_);
            infoform_->setWindowFlag(Qt::Window);
        }
        infoform_->show();
        infoform_->raise();
    }
    while (avis_montres_ < f.avis_fin_forfait.size()) {
        const ModeleFinForfait& modele = f.avis_fin_forfait[avis_montres_++];
        QColor fond = fond_messages_;
        try {
            fond = couleur_qt(c_.couleurs.couleur(modele.cle_couleur_fond, clWindow));
        } catch (const std::exception&) {
            // Couleur illisible : le fond des listes.
        }
        auto* avis = new TFinforfait(modele, fond, &fenetre_);
        avis->show();
        avis->raise();
        if (avis_montre) avis_montre();
    }
}

void BoitesTForm1::ouvrir_selection_utilisateur(std::function<void(const std::string&)> enregistrer) {
    std::string refus;
    try {
        const FichierIni ini(c_.dossier_donnees / fichier_reglages);
        refus = textes_selection::refus(message_utilisateur(ini, 42), message_utilisateur(ini, 43),
                                        message_utilisateur(ini, 44));
    } catch (const std::exception&) {
        refus = textes_selection::refus("", "", "");
    }
    try {
        const CouleursFenetre c = c_.couleurs.affect_color();
        style_selection_.fond = couleur_qt(c.fond_combobox);
        style_selection_.texte = couleur_qt(c.texte_combobox);
    } catch (const std::exception&) {
        // Couleurs illisibles : celles par défaut des listes.
    }
    style_selection_.fond_actif = couleur_qt(0x800000);
    style_selection_.texte_actif = Qt::white;
    style_selection_.marge = 3;
    style_selection_.cadenas = &c_.icones.cadenas();
    // Non bloquante : le top continue ; l'enregistrement attend la réponse (l'instantané le garde).
    auto* boite = new Tutilisateur(ModeleTutilisateur(c_.utilisateurs, refus), c_.dialogue, style_selection_,
                                   std::move(enregistrer), &fenetre_);
    boite->setWindowFlag(Qt::Window);
    boite->setWindowModality(Qt::ApplicationModal);
    boite->show();
    boite->raise();
    boite->activateWindow();
}

void BoitesTForm1::montrer_deconnexion() {
    // Faite à la première déconnexion : elle ne sert qu'à ce moment-là.
    if (splash_ == nullptr) splash_ = new Tsplashscreen(c_.icones.application(), &fenetre_);
    splash_->montrer();
}

void BoitesTForm1::cacher_deconnexion(bool reussie) {
    if (splash_ != nullptr) splash_->hide();
    if (!reussie) c_.dialogue.information(c_.commandes.texte_echec_raccrochage());
}

void BoitesTForm1::ouvrir_aide(int sujet) {
    const std::filesystem::path& dossier = c_.dossier_aide;
    std::filesystem::path page = dossier / ("sujet-" + std::to_string(sujet) + ".html");
    std::error_code e;
    if (!std::filesystem::is_regular_file(page, e)) page = dossier / "index.html";
    if (!std::filesystem::is_regular_file(page, e)) {
        c_.dialogue.avertissement("L'aide est introuvable dans le dossier « " + dossier.string() + " ».");
        return;
    }
    ouvrir_url(QUrl::fromLocalFile(QString::fromStdString(page.string())).toString());
}

void BoitesTForm1::ouvrir_url(const QString& url) {
    if (!c_.ouvreur_url || !c_.ouvreur_url(QUrl(url))) {
        c_.dialogue.avertissement("Impossible d'ouvrir « " + url.toStdString() +
                                  " » : aucun programme ne l'a pris.");
    }
}

}  // namespace lumi::ui
