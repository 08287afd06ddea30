// La détection du programme sur les vraies coutures de Windows (TAPI et RAS) : sans ligne de
// téléphonie, comme la donne Wine, elle rend la téléphonie et scrute l'accès à distance.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "actions/dialogue.hpp"
#include "base/horloge.hpp"
#include "commun/actions_notees.hpp"
#include "commun/soutien.hpp"
#include "core/detection.hpp"
#include "platform/windows/acces_distant_ras.hpp"
#include "platform/windows/telephonie_tapi.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"

namespace lumi::essai {
namespace {

// La vraie téléphonie, dont chaque appel et sa réponse sont notés au passage.
class TelephonieNotee final : public Telephonie {
public:
    std::int32_t initialiser(RappelLigne rappel, PoigneeTapi& hLineApp, std::uint32_t& nb_lignes) override {
        const auto code = tapi_.initialiser(std::move(rappel), hLineApp, nb_lignes);
        journal.push_back("lineInitialize " + std::to_string(code) + " lignes=" + std::to_string(nb_lignes));
        return code;
    }
    std::int32_t negocier_version(PoigneeTapi hLineApp, std::uint32_t ligne, std::uint32_t basse,
                                  std::uint32_t haute, std::uint32_t& version) override {
        const auto code = tapi_.negocier_version(hLineApp, ligne, basse, haute, version);
        journal.push_back("lineNegotiateAPIVersion " + std::to_string(code));
        return code;
    }
    std::int32_t ouvrir_ligne(PoigneeTapi hLineApp, std::uint32_t ligne, PoigneeTapi& hLine,
                              std::uint32_t version, std::uint32_t privileges, std::uint32_t modes) override {
        const auto code = tapi_.ouvrir_ligne(hLineApp, ligne, hLine, version, privileges, modes);
        journal.push_back("lineOpen " + std::to_string(code));
        return code;
    }
    std::int32_t liberer_appel(PoigneeTapi hCall) override { return tapi_.liberer_appel(hCall); }
    std::int32_t fermer_ligne(PoigneeTapi hLine) override {
        journal.push_back("lineClose");
        return tapi_.fermer_ligne(hLine);
    }
    std::int32_t arreter(PoigneeTapi hLineApp) override {
        journal.push_back("lineShutdown");
        return tapi_.arreter(hLineApp);
    }

    std::vector<std::string> journal;

private:
    TelephonieTapi tapi_;
};

TEST(DetectionWindows, SansLigneDeTelephonieLaDetectionScruteLAccesADistance) {
    DossierTemporaire dossier{"lumi-detection"};
    // « only RAS » à « non » : si la scrutation est choisie, c'est la téléphonie qui l'a voulu.
    ecrire_octets(dossier / fichier_reglages, "[detection automatique]\r\nonly RAS=non\r\n");
    HorlogeFactice horloge;
    RegistreMemoire registre;
    AccesDistantRas ras;
    TelephonieNotee tapi;
    DialogueScripte dialogue;
    ActionsNotees actions;
    std::vector<std::string> apres_le_choix;
    {
        Detection detection(CouturesDetection{horloge, registre, ras, tapi, dialogue}, actions,
                            dossier.chemin());
        detection.choix_de_la_source();

        // Wine : lineInitialize réussit sans aucune ligne ; la téléphonie est aussitôt rendue.
        ASSERT_FALSE(tapi.journal.empty());
        const std::string& initialisation = tapi.journal.front();
        if (initialisation.rfind("lineInitialize 0 ", 0) == 0) {
            EXPECT_EQ(tapi.journal, (std::vector<std::string>{"lineInitialize 0 lignes=0", "lineShutdown"}));
        } else {
            // Un système où lineInitialize échoue : rien à rendre.
            EXPECT_EQ(tapi.journal.size(), 1u) << initialisation;
        }
        EXPECT_TRUE(detection.surveillance_par_ras());
        EXPECT_EQ(detection.texte_etat_source(), "Supervision en cours");
        EXPECT_EQ(detection.hLineApp(), 0u);
        EXPECT_EQ(detection.hLine(), 0u);
        apres_le_choix = tapi.journal;

        // La scrutation interroge le vrai RAS : aucune connexion, aucune action ni trace.
        for (int i = 0; i < 20; ++i) {
            detection.Timer5Timer();
            horloge.avancer_ms(100);
        }
        EXPECT_TRUE(actions.journal.empty());
        EXPECT_FALSE(FichierIni(dossier / fichier_reglages).section_existe(section_trace_detection));

        // Ctrl+Shift+Enter passe à la téléphonie, qui n'a rien ouvert : la scrutation ne fait plus rien.
        detection.basculer_source();
        EXPECT_FALSE(detection.surveillance_par_ras());
        detection.Timer5Timer();
        EXPECT_TRUE(actions.journal.empty());
    }
    // La fermeture n'a rien à rendre : la téléphonie l'a déjà été.
    EXPECT_EQ(tapi.journal, apres_le_choix);
}

}  // namespace
}  // namespace lumi::essai
