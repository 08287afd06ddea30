#pragma once
// La facture en cours : coût total (hors taxes, réductions déduites) et temps facturé des connexions
// depuis le début de la période de facturation de 60 jours. Rangés dans "\options", "cout total"
// (trois décimales) et "total time" (secondes) ; absents ou vides, ils valent 0.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "plans/raz_forfaits.hpp"  // jours_periode_facturation
#include "settings/fichier_ini.hpp"
#include "settings/registre.hpp"
#include "tariff/jauges.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

inline constexpr std::string_view texte_total_facture_en_cours = "Total facture en cours :";
inline constexpr std::string_view cle_date_fin_derniere_facture = "date fin derniere facture";

class FactureEnCours {
public:
    FactureEnCours(Registre& registre, char separateur_decimal);

    float cout_total() const { return cout_total_; }
    std::int32_t total_time() const { return total_time_; }

    // Relit les deux valeurs du magasin (le coût avec "," ou "."). Une valeur illisible vaut 0 et
    // lève ErreurConversion (message français nommant la valeur) une fois l'autre lue.
    void lire();

    // Ligne d'état 2 := "Total facture en cours :", puis lire(). Le rafraîchissement du prix
    // affiché revient à l'appelant.
    void lecture_total_facure_en_cours(LignesEtat& lignes_etat);

    // Les deux valeurs rangées (relues d'abord : la fenêtre de l'historique a pu les recompter) avec
    // une connexion de plus, à écrire dans un lot ; la facture en mémoire les prend par prendre().
    struct Totaux {
        float cout_total = 0;
        std::int32_t total_time = 0;
    };
    Totaux totaux_avec(std::int32_t secondes, double cout);
    static std::vector<OperationRegistre> operations(const Totaux& totaux, char separateur_decimal);
    void prendre(const Totaux& totaux) {
        cout_total_ = totaux.cout_total;
        total_time_ = totaux.total_time;
    }

    // Ajoute une connexion enregistrée aux valeurs rangées et les récrit aussitôt, ensemble ; rend
    // faux (facture en mémoire inchangée) si le magasin n'a pu les écrire.
    bool ajouter_connexion(std::int32_t secondes, double cout);

    // Le recomptage de la fenêtre de l'historique remplace les deux valeurs, ensemble et durablement ;
    // rend faux (facture en mémoire inchangée) si le magasin n'a pu les écrire.
    bool remplacer(const Totaux& totaux);

    char separateur_decimal() const { return separateur_decimal_; }

    // Nouvelle période : "0" dans les deux valeurs, et en mémoire.
    void remettre_a_zero();

    // Ligne d'état 3 : temps (HHhMMmSSs) " - " montant et devise, la connexion en cours comprise
    // (`secondes_en_cours` et `montant_en_cours` valent 0 hors connexion).
    std::string texte_ligne_etat_3(std::int32_t secondes_en_cours, double montant_en_cours,
                                   const ReglagesMonnaie& monnaie) const;

private:
    Registre& registre_;
    char separateur_decimal_;
    float cout_total_ = 0;
    std::int32_t total_time_ = 0;
};

// Les boîtes dont la vérification de la période a besoin ; le compteur les relie à ses boîtes.
class QuestionsFacturation {
public:
    virtual ~QuestionsFacturation() = default;
    // Question "&Oui" / "&Non" ; vrai pour Oui.
    virtual bool question_oui_non(std::string_view texte) = 0;
    // Information avec le seul bouton OK.
    virtual void information(std::string_view texte) = 0;
};

// Vérification du démarrage : 60 jours après le début de la facture en cours (lumicompteur.ini,
// "Paramètres de l'historique", "date fin derniere facture", aujourd'hui par défaut), propose une
// nouvelle période (messages 119, 123, 124, 122). Sur Oui : aujourd'hui devient le début, la
// facture revient à 0, `actualiser` rafraîchit prix, forfaits et tarif, puis l'information (messages
// 125, 126, 120, 121). Rend vrai quand une nouvelle période a commencé. Une date illisible lève
// ErreurConversion (message nommant fichier, section et clé) sans rien changer ; un échec d'écriture
// du fichier lève ErreurFichier avant toute remise à zéro.
bool remise_a_jour_periodes_facturation(FichierIni& reglages, FactureEnCours& facture, NumeroJour aujourdhui,
                                        QuestionsFacturation& questions,
                                        const std::function<void()>& actualiser);

}  // namespace lumi
