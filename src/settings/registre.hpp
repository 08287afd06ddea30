#pragma once
// Le magasin de réglages : un arbre de clés aux valeurs texte, à la manière du registre.
// Les chemins de clé sont complets ("Software\...\Lumicompteur 99\options"), niveaux séparés
// par "\". Noms de clés et de valeurs comparés sans casse (plier_casse) mais gardés tels qu'écrits.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumi {

// Une opération d'un lot : écrire `texte` dans la valeur, ou l'effacer quand il est absent.
struct OperationRegistre {
    std::string cle;
    std::string nom;
    std::optional<std::string> texte;
};

class Registre {
public:
    virtual ~Registre() = default;

    // "" quand la clé ou la valeur n'existe pas ; ne signale jamais d'erreur.
    virtual std::string lire_valeur(std::string_view cle, std::string_view nom) const = 0;
    // Crée chaque niveau manquant ; rend faux si la clé n'a pu être ouverte ou créée.
    virtual bool ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) = 0;
    // Comme ecrire_valeur, mais durable sur le disque au retour (survit à une coupure).
    virtual bool ecrire_valeur_et_vider(std::string_view cle, std::string_view nom,
                                        std::string_view texte) = 0;
    // Plusieurs valeurs d'une même clé, durables au retour. Par défaut une à une ; un magasin
    // transactionnel les écrit ensemble (toutes ou aucune) avec un seul vidage. Rend faux si l'une
    // n'a pu être écrite.
    using ValeursAEcrire = std::vector<std::pair<std::string, std::string>>;
    virtual bool ecrire_valeurs_et_vider(std::string_view cle, const ValeursAEcrire& valeurs);
    // Un lot d'écritures et d'effacements, durable au retour. Par défaut une à une ; un magasin
    // transactionnel les applique ensemble (toutes ou aucune) avec un seul vidage. Rend faux si
    // l'une n'a pu l'être.
    virtual bool appliquer_et_vider(const std::vector<OperationRegistre>& operations);
    // Une clé ou une valeur absente n'est pas une erreur ; rend faux si l'effacement a échoué.
    virtual bool effacer_valeur(std::string_view cle, std::string_view nom) = 0;
    // Noms des sous-clés directes, ou des valeurs, dans l'ordre de création ; vide si la clé manque.
    virtual std::vector<std::string> lister_sous_cles(std::string_view cle) const = 0;
    virtual std::vector<std::string> lister_valeurs(std::string_view cle) const = 0;

    virtual bool cle_existe(std::string_view cle) const = 0;
    // Crée la clé et ses niveaux manquants (sans valeur).
    virtual bool creer_cle(std::string_view cle) = 0;
    // Efface une clé sans sous-clé, avec ses valeurs ; rend faux si elle a des sous-clés ou manque.
    virtual bool effacer_cle_feuille(std::string_view cle) = 0;

    // Efface une clé et tout ce qui est dessous : descend dans la première sous-clé jusqu'à une
    // feuille, l'efface, et recommence du haut jusqu'à effacer la clé elle-même.
    virtual void effacer_arborescence(std::string_view cle);

    // Source présente et destination absente : la destination est créée avec toutes les valeurs
    // et, récursivement, toutes les sous-clés de la source. Destination présente : ses propres
    // valeurs restent telles quelles, et la même règle s'applique un niveau plus bas à chaque
    // sous-clé de la source (seules les sous-clés manquantes sont remplies). Avec
    // effacer_source, la source est ensuite effacée par effacer_arborescence.
    // Une destination égale à la source ou située sous elle est refusée (rien n'est fait) :
    // la copie ne finirait pas, ou l'effacement de la source emporterait la copie.
    virtual void copier_arborescence(std::string_view source, std::string_view destination,
                                     bool effacer_source);

    // Chaque écriture ratée est signalée ici (message français qui nomme le fichier et la cause),
    // en plus du résultat faux : un appelant qui n'a rien à défaire n'a pas à s'en soucier, et
    // l'échec n'est jamais pris pour un succès. Le receveur dédoublonne.
    using Signalement = std::function<void(const std::string& message)>;
    void definir_signalement(Signalement signalement) { signalement_ = std::move(signalement); }

protected:
    void signaler_echec_ecriture(const std::string& message) const {
        if (signalement_) signalement_(message);
    }

private:
    Signalement signalement_;
};

// Les niveaux d'un chemin de clé, séparés par "" ; les segments vides sont ignorés, si bien que
// "" (ou "\") désigne la racine elle-même, qui existe toujours.
std::vector<std::string> decouper_chemin(std::string_view cle);

// Vrai si `cle` est `ancetre` ou se trouve sous lui (niveaux comparés sans casse).
bool est_sous_cle_ou_egale(std::string_view cle, std::string_view ancetre);

}  // namespace lumi
