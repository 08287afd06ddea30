#pragma once
// La vraie fenêtre principale sur un compteur d'essai, pour les QtTest des fenêtres (plate-forme
// offscreen).
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/essai_compteur.hpp"
#include "settings/fichier_ini.hpp"
#include "ui/controles.hpp"
#include "ui/tform1.hpp"

namespace lumi::essai {

// Un compteur d'essai démarré le 10 mars 2000 à 14 h et sa fenêtre, montrée ; `preparer` règle les
// fichiers et le magasin avant le démarrage.
struct Banc {
    explicit Banc(const std::function<void(EssaiCompteur&)>& preparer = {}) {
        std::filesystem::copy_file(std::filesystem::path(LUMI_DOSSIER_DATA_SOURCE) / "Couleur.ini",
                                   e.dossier / "Couleur.ini");
        FichierIni reglages(e.dossier / "lumicompteur.ini");
        for (int n : {53, 54, 55, 56, 118}) {
            reglages.ecrire("messages utilisateurs", "message " + std::to_string(n), "m" + std::to_string(n));
        }
        e.ecrire(cles::utilisateurs, "nb d'utilisateurs", "2");
        e.ecrire(cles::utilisateurs, "utilisateur 1", "Anne");
        e.ecrire(cles::utilisateurs, "utilisateur 2", "Paul");
        e.ecrire(cles::options, "pdata 2", "x");
        if (preparer) preparer(e);
        e.demarrer();
        fenetre = std::make_unique<TForm1>(
            e.compteur(),
            CouturesFenetre{e.registre(), e.banc->acces, e.banc->dialogue, e.dossier.chemin(), {}});
        fenetre->ouvreur_url = [this](const QUrl& url) {
            urls << url;
            return true;
        };
        fenetre->selection_utilisateurs_au_demarrage({}, "");
        fenetre->montrer();
        fenetre->move(100, 100);
        if (!QTest::qWaitForWindowExposed(fenetre.get())) qWarning("fenêtre jamais exposée");
    }
    ~Banc() {
        // La fenêtre part sans poser la question de la fermeture.
        if (fenetre) fenetre->fermeture_session();
        fenetre.reset();
    }

    std::string ini(std::string_view section, std::string_view cle) {
        return FichierIni(e.dossier / "lumicompteur.ini").lire(section, cle);
    }
    void connecter(std::int64_t secondes) {
        e.connexion("MonFAI", 5500, 5500 + 3'600'000);
        e.banc->avancer_ms(5500 + secondes * 1000 - e.banc->horloge.millisecondes());
        fenetre->rafraichir();
    }
    QString texte(ui::Panneau* p) { return p->text(); }

    EssaiCompteur e{le_10_mars(14, 0, 0)};
    std::unique_ptr<TForm1> fenetre;
    QList<QUrl> urls;
};

}  // namespace lumi::essai
