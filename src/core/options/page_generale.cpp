#include "core/options/page_generale.hpp"

#include <string>
#include <utility>
#include <vector>

#include "base/decimal.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"

namespace lumi {

namespace {

using I = Interrupteur;

// Les groupes qui se comportent comme un choix.
const std::vector<std::vector<Interrupteur>>& groupes() {
    static const std::vector<std::vector<Interrupteur>> g = {
        {I::detection_1, I::detection_2, I::detection_3},
        {I::taille_normale, I::taille_reduite},
        {I::deux_decimales, I::trois_decimales},
        {I::prix_ttc, I::prix_ht},
        {I::total_sans_reduc, I::total_avec_reduc},
    };
    return g;
}

}  // namespace

std::string_view texte_interrupteur(Interrupteur i) {
    switch (i) {
        case I::detection_1: return "1 - Détecter toutes les communications téléphoniques compatibles TAPI";
        case I::detection_2: return "2 - Détecter les connexions Internet compatibles TAPI et RAS";
        case I::detection_3: return "3 - Détecter uniquement les connexions Internet compatibles RAS";
        case I::selection_auto:
            return "Toujours afficher la boite de sélection de l'utilisateur en fin de connexion";
        case I::utiliser_profil: return "Utiliser le nom du profil utilisateur au démarrage";
        case I::anti_crash: return "Sauvegarder la connexion en cours";
        case I::demarrage_automatique:
            return "Lancer automatiquement Lumicompteur 2000 au démarrage de Windows";
        case I::taille_normale: return "Taille normale";
        case I::taille_reduite: return "Taille réduite (Afficheur ou barre)";
        case I::alsace: return "Prendre en compte les jours fériés du Haut-Rhin, Bas-Rhin et la Moselle";
        case I::afficher_auto: return "Afficher Lumicompteur 2000 si une connexion est détectée";
        case I::cacher_auto: return "Masquer Lumicompteur 2000 à la fin de la connexion";
        case I::deux_decimales: return "Affichage avec 2 décimales";
        case I::trois_decimales: return "Affichage avec 3 décimales";
        case I::prix_ttc: return "Affichage des prix TTC";
        case I::prix_ht: return "Affichage des prix hors taxes";
        case I::total_sans_reduc: return "Afficher le Total de la connexion SANS réductions";
        case I::total_avec_reduc: return "Afficher le Total de la connexion AVEC réductions";
        case I::notifications_bureau: return "Notifications du bureau";
        case I::notification_fin_connexion: return "Aussi à chaque fin de connexion";
    }
    return {};
}

void PageGenerale::charger(const Registre& registre, const FichierIni& reglages, bool demarrage_automatique) {
    auto mettre = [this](Interrupteur i, bool v) { etats_[static_cast<std::size_t>(i)] = v; };
    const bool ras = actif(registre, parametres::detection_ras);
    const bool seulement_ras = actif(reglages, parametres::only_ras);
    mettre(I::detection_1, !ras && !seulement_ras);
    mettre(I::detection_2, ras && !seulement_ras);
    mettre(I::detection_3, seulement_ras);
    mettre(I::selection_auto, actif(registre, parametres::selection_auto));
    mettre(I::utiliser_profil, actif(registre, parametres::utiliser_profil));
    mettre(I::anti_crash, actif(registre, parametres::anti_crash));
    plafond_ = saisie_rangee(registre);
    if (plafond_.alerte.empty()) plafond_.alerte = std::to_string(plafond::alerte_par_defaut);
    if (plafond_.action.empty()) plafond_.action = plafond::avertir;
    plafond_modifie_ = false;
    mettre(I::demarrage_automatique, demarrage_automatique);
    const bool normale = lire(registre, parametres::taille) == "normale";
    mettre(I::taille_normale, normale);
    mettre(I::taille_reduite, !normale);
    mettre(I::alsace, actif(registre, parametres::alsace));
    mettre(I::afficher_auto, actif(registre, parametres::afficher_auto));
    mettre(I::cacher_auto, actif(registre, parametres::cacher_auto));
    const bool trois = lire(reglages, parametres::nb_de_decimales_fenetre_options) == "3";
    mettre(I::deux_decimales, !trois);
    mettre(I::trois_decimales, trois);
    const bool ttc = lire(reglages, parametres::affichage) == "ttc";
    mettre(I::prix_ttc, ttc);
    mettre(I::prix_ht, !ttc);
    const bool avec = actif(registre, parametres::total_avec_reduc);
    mettre(I::total_sans_reduc, !avec);
    mettre(I::total_avec_reduc, avec);
    mettre(I::notifications_bureau, actif(registre, parametres::notifications_bureau));
    mettre(I::notification_fin_connexion, actif(registre, parametres::notification_fin_connexion));
    // Une valeur hors de 0 à 3 montre le défaut.
    const auto f = lire_entier(lire(registre, parametres::frequence_save_crash));
    frequence_ = f && *f >= 0 && *f <= 3 ? *f : 1;
    modifiee_ = false;
}

void PageGenerale::appuyer(Interrupteur i) {
    auto& e = etats_[static_cast<std::size_t>(i)];
    e = !e;
    for (const auto& groupe : groupes()) {
        bool dedans = false;
        for (auto g : groupe) dedans = dedans || g == i;
        if (!dedans) continue;
        for (auto g : groupe) {
            if (g != i) etats_[static_cast<std::size_t>(g)] = !e;
        }
    }
    modifiee_ = true;
}

void PageGenerale::modifier_plafond(SaisiePlafond saisie) {
    plafond_ = std::move(saisie);
    plafond_modifie_ = true;
    modifiee_ = true;
}

void PageGenerale::choisir_frequence(int frequence) {
    if (frequence < 0 || frequence > 3 || frequence == frequence_) return;
    frequence_ = frequence;
    modifiee_ = true;
}

}  // namespace lumi
