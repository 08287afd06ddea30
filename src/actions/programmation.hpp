#pragma once
// La déconnexion programmée : une seule programmation armée à la fois, tenue par le compteur (qu'elle
// voit par VueCompteur) et regardée toutes les 250 ms (Timer3). Quand son déclencheur part,
// fin_programmation sonne l'alarme, raccroche et éteint la machine si on l'a demandé, après un
// décompte que l'utilisateur peut annuler.
// Le chemin du déclenchement au raccrochage est écrit une seule fois, ici.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "actions/minuterie.hpp"
#include "actions/telechargements.hpp"
#include "actions/vue_compteur.hpp"
#include "base/dates.hpp"

namespace lumi {

class Registre;
class AccesDistant;
class Dialogue;
class Son;
class Horloge;
class AvisBureau;

enum class TypeProgrammation : int { telechargement = 0, heure = 1, duree = 2, cout = 3 };

// Qui déclenche la déconnexion : la programmation armée, ou le plafond de la facture atteint (qui
// raccroche toujours, sans éteindre la machine, et laisse armée la programmation de l'utilisateur).
enum class OrigineDeclenchement { programmation, plafond };

// La programmation armée (en mémoire seulement). Seuil : type heure "HH:mm:00" ; durée, des
// secondes entières ; coût, un montant TTC en texte décimal au séparateur du système.
struct ProgrammationArmee {
    TypeProgrammation type = TypeProgrammation::telechargement;
    std::string seuil;
    // Le pas de taxation commencé est payé en entier : le raccrochage attend sa fin (3 s avant le
    // pas suivant).
    bool attendre_fin_du_pas = false;
};

// Les fenêtres que la coquille montre pendant l'exécution.
class EcransProgrammation {
public:
    virtual ~EcransProgrammation() = default;
    // La fenêtre du décompte (TcofirmForm), qui reste au-dessus ; elle rappelle la séquence de
    // déconnexion ou l'annule.
    virtual void ouvrir_decompte() = 0;
    // La fenêtre "Déconnexion en cours..." montrée (ou son texte changé) et peinte aussitôt.
    virtual void montrer_deconnexion(std::string_view texte) = 0;
    virtual void fermer_deconnexion() = 0;
    // Une attente qui laisse la fenêtre peinte (1500 ms après le raccrochage, 1000 ms avant l'échec).
    virtual void attendre(int ms) = 0;
};

// L'arrêt de la machine. La réponse peut tarder (une autorisation demandée à l'utilisateur, un
// service qui ne répond pas) : elle arrive par `fin`, tout de suite ou plus tard, et le programme
// continue de tourner entre-temps. Refusé ou impossible, `raison` dit pourquoi, en français.
class ArretSysteme {
public:
    using Fin = std::function<void(bool eteinte, const std::string& raison)>;
    virtual ~ArretSysteme() = default;
    virtual void eteindre(Fin fin) = 0;
};

struct CouturesProgrammation {
    EcransProgrammation* ecrans = nullptr;
    ArretSysteme* arret = nullptr;
    const FenetresSysteme* fenetres = nullptr;
    const TraficReseau* trafic = nullptr;
};

class Programmation {
public:
    Programmation(VueCompteur& compteur, const Horloge& horloge, Registre& registre, AccesDistant& acces,
                  Dialogue& dialogue, Son& son, std::filesystem::path dossier);
    ~Programmation();

    // Les coutures de la plate-forme ; la surveillance des téléchargements sera refaite sur elles.
    void brancher(CouturesProgrammation coutures);
    // Les notifications du bureau (le décompte qui s'ouvre) ; rien sans elles.
    void definir_avis_bureau(AvisBureau* avis) { avis_ = avis; }

    // --- La programmation armée ---
    bool armee() const { return armee_.has_value(); }
    const std::optional<ProgrammationArmee>& programmation() const { return armee_; }
    // Arme et allume le voyant de programmation.
    void armer(ProgrammationArmee programmation);
    // Désarme : plus de clignotement, l'icône du produit, le voyant éteint.
    void desarmer();

    // La commande de programmation : vrai s'il faut ouvrir la fenêtre ; armée, le résumé est montré
    // et Oui l'annule.
    bool Programmation1Click();
    std::string texte_resume() const;

    // --- Timer3 : 250 ms ---
    Minuterie& Timer3() { return Timer3_; }
    const Minuterie& Timer3() const { return Timer3_; }
    void Timer3Timer();
    // Vrai si le déclencheur de la programmation armée est atteint.
    bool declencheur_atteint();

    // Les actions, une fois le déclencheur atteint.
    void fin_programmation(OrigineDeclenchement origine = OrigineDeclenchement::programmation);
    // Raccroche, puis éteint la machine si on l'a demandé (fin_programmation et le décompte).
    // L'arrêt demandé, la séquence rend la main : sa réponse ferme la fenêtre et dit l'échec.
    void sequence_deconnexion();
    // Un arrêt est demandé et sa réponse n'est pas encore venue.
    bool arret_en_attente() const { return arret_en_attente_; }
    void jouer_alarme();
    std::filesystem::path chemin_alarme() const;

    // --- Ce que la fenêtre de programmation demande ---
    SurveillanceTelechargements& telechargements();
    // Secondes de la connexion en cours (0 sans connexion).
    std::int32_t duree_en_cours() const;
    // Le montant à payer de la connexion en cours, TTC, arrondi aux décimales de l'affichage
    // (0 sans connexion).
    double montant_ttc_en_cours() const;
    std::string message(int numero) const;
    const Horloge& horloge() const { return horloge_; }
    Registre& registre() { return registre_; }
    VueCompteur& compteur() { return compteur_; }
    const VueCompteur& compteur() const { return compteur_; }
    Son& son() { return son_; }
    Dialogue& dialogue() { return dialogue_; }
    const std::filesystem::path& dossier() const { return dossier_; }

    // Le nombre de déclenchements et l'instant du dernier (pour les rejeux).
    int declenchements() const { return declenchements_; }
    const std::optional<Moment>& dernier_declenchement() const { return dernier_declenchement_; }
    // Le déclencheur est atteint et le raccrochage attend la fin du pas en cours : son instant.
    const std::optional<Moment>& raccrochage_fin_du_pas() const { return fin_du_pas_; }
    // La durée du décompte qui s'ouvre : toute l'attente jusqu'au raccrochage en fin de pas quand
    // elle est demandée, sinon le délai réglé (10 s s'il ne se lit pas).
    int secondes_decompte() const;

private:
    bool raccrocher();
    void fin_arret(bool eteinte, const std::string& raison);
    // Le décompte s'ouvrira-t-il au déclenchement, et pour combien de secondes réglées.
    bool decompte_montre() const;
    int delai_decompte() const;

    VueCompteur& compteur_;
    const Horloge& horloge_;
    Registre& registre_;
    AccesDistant& acces_;
    Dialogue& dialogue_;
    Son& son_;
    std::filesystem::path dossier_;
    CouturesProgrammation coutures_;
    AvisBureau* avis_ = nullptr;
    std::unique_ptr<SurveillanceTelechargements> telechargements_;
    std::optional<ProgrammationArmee> armee_;
    // Active seulement pendant qu'une programmation est armée : au repos, le programme ne se
    // réveille pas quatre fois par seconde pour rien.
    Minuterie Timer3_{"Timer3", 250, false};
    int declenchements_ = 0;
    std::optional<Moment> dernier_declenchement_;
    std::optional<Moment> fin_du_pas_;
    std::optional<int> decompte_fin_du_pas_;
    bool arret_en_attente_ = false;
    // La déconnexion en cours vient du plafond de la facture.
    bool pour_plafond_ = false;
};

}  // namespace lumi
