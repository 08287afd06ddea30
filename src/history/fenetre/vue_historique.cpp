#include "history/fenetre/vue_historique.hpp"

#include <algorithm>
#include <map>

#include "base/texte.hpp"
#include "history/facture.hpp"
#include "history/fichiers_historique.hpp"
#include "settings/parametres.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

int annee_de(NumeroJour jour) { return static_cast<int>(date_du_jour(jour).year()); }
unsigned mois_de(NumeroJour jour) { return static_cast<unsigned>(date_du_jour(jour).month()); }

std::string entree_mois(std::string_view nom, int annee) {
    return "mois de " + std::string(nom) + " " + std::to_string(annee);
}

}  // namespace

std::optional<TypeHistorique> type_historique(int indice) {
    if (indice < 0 || indice > 5) return std::nullopt;
    return static_cast<TypeHistorique>(indice);
}

ListeMois liste_mois_historique(const fs::path& dossier_historique, NumeroJour aujourdhui) {
    // Clé de tri : 3000 moins l'année, puis le rang du mois : le plus récent vient en tête.
    std::map<std::string, std::string> tries;
    // Un mois dont les fichiers portent plusieurs graphies n'a qu'une entrée, au nom de cette édition.
    for (const auto& [mois, chiffres] : InventaireHistorique(dossier_historique).mois_presents()) {
        if (chiffres[0] < '0' || chiffres[0] > '9' || chiffres[1] < '0' || chiffres[1] > '9') continue;
        const int deux = (chiffres[0] - '0') * 10 + (chiffres[1] - '0');
        const int annee = deux > 96 ? 1900 + deux : 2000 + deux;
        const std::string nom = nom_fichier_historique(mois, annee).mois;
        tries[std::to_string(3000 - annee) + rang_du_mois(nom)] = entree_mois(nom, annee);
    }
    ListeMois liste;
    for (auto& [cle, entree] : tries) liste.entrees.push_back(std::move(entree));
    const auto nom = nom_fichier_historique(mois_de(aujourdhui), annee_de(aujourdhui));
    const std::string courant = entree_mois(nom.mois, annee_de(aujourdhui));
    const auto it = std::find(liste.entrees.begin(), liste.entrees.end(), courant);
    if (it == liste.entrees.end()) {
        liste.entrees.insert(liste.entrees.begin(), courant);
        liste.choisi = 0;
    } else {
        liste.choisi = static_cast<int>(it - liste.entrees.begin());
    }
    return liste;
}

std::optional<std::pair<NumeroJour, NumeroJour>> plage_du_mois(std::string_view entree) {
    constexpr std::string_view prefixe = "mois de ";
    if (entree.substr(0, prefixe.size()) != prefixe) return std::nullopt;
    const auto blanc = entree.rfind(' ');
    if (blanc == std::string_view::npos || blanc < prefixe.size()) return std::nullopt;
    const std::string_view nom = entree.substr(prefixe.size(), blanc - prefixe.size());
    const std::string_view annee_texte = entree.substr(blanc + 1);
    if (annee_texte.size() < 2) return std::nullopt;
    const std::string_view deux = annee_texte.substr(annee_texte.size() - 2);
    if (deux[0] < '0' || deux[0] > '9' || deux[1] < '0' || deux[1] > '9') return std::nullopt;
    const int chiffres = (deux[0] - '0') * 10 + (deux[1] - '0');
    const int annee = chiffres < 88 ? 2000 + chiffres : 1900 + chiffres;
    const std::string rang = rang_du_mois(nom);
    if (rang == "-1") return std::nullopt;
    const unsigned mois = 13 - static_cast<unsigned>(std::stoi(rang));
    using namespace std::chrono;
    const year_month ym{year{annee}, month{mois}};
    const auto debut = numero_jour(ym / 1);
    const auto fin = numero_jour(year_month_day{ym / last});
    return std::pair{debut, fin};
}

ReglagesAffichageHistorique lire_reglages_historique(const FichierIni& reglages, const FichierIni& tarifs,
                                                     const Registre& registre, const ValeursLocales& locale) {
    ReglagesAffichageHistorique r;
    r.ttc = lire_affichage_ttc(reglages);
    r.nb_decimales = lire_nb_decimales(reglages);
    r.taux_tva = lire_taux_tva(tarifs);
    r.avec_reductions = actif(registre, parametres::total_avec_reduc);
    r.separateur = locale.separateur_decimal;
    r.devise = texte_devise(locale.symbole_monetaire);
    return r;
}

NumeroJour lire_date_facture(const FichierIni& reglages, NumeroJour aujourdhui) {
    const auto texte = reglages.lire(parametres::section_parametres_historique, cle_date_fin_derniere_facture);
    return lire_date(texte).value_or(aujourdhui - 30);
}

std::string legende_date_facture(NumeroJour debut) { return "Consommation depuis le " + formater_date(debut); }

NoteFacture note_date_facture(NumeroJour debut, NumeroJour aujourdhui) {
    if (aujourdhui - jours_facture >= debut) return {"Période de facturation supérieur à 60 jours !", true};
    return {"Prochaine période de facturation dans " + std::to_string(debut + jours_facture - aujourdhui) +
                " jours environ, vers le " + formater_date(debut + jours_facture) + ".",
            false};
}

CorrectionDateFacture corriger_date_facture(NumeroJour debut, NumeroJour aujourdhui) {
    if (debut > aujourdhui) {
        return {aujourdhui, "Attention, la date sélectionnée est supérieur à la date d'aujourd'hui !"};
    }
    if (debut + jours_facture < aujourdhui) {
        return {aujourdhui - (jours_facture - 1),
                "Attention, votre période de facturation est supérieur à 60 jours !\r"
                "Sélectionnez une date plus récente pour obtenir une période de facturation valide."};
    }
    return {debut, {}};
}

VueHistorique::VueHistorique(fs::path dossier_historique, ReglagesAffichageHistorique reglages,
                             NumeroJour aujourdhui, Messages messages)
    : dossier_(std::move(dossier_historique)),
      reglages_(std::move(reglages)),
      aujourdhui_(aujourdhui),
      messages_(std::move(messages)),
      mois_(liste_mois_historique(dossier_, aujourdhui)),
      periode_du_(aujourdhui),
      periode_au_(aujourdhui),
      date_facture_(aujourdhui - 30) {
    criteres_.utilisateur.valeur = tous_les_utilisateurs;
    criteres_.tarification.valeur = toutes_les_tarifications;
    criteres_.provider.valeur = tous_les_providers;
    appliquer_plage();
}

void VueHistorique::appliquer_plage() {
    switch (type_) {
        case TypeHistorique::facture_en_cours:
            debut_ = date_facture_;
            fin_ = date_facture_ + jours_facture;
            break;
        case TypeHistorique::periode_definie:
            debut_ = std::min(periode_du_, periode_au_);
            fin_ = std::max(periode_du_, periode_au_);
            break;
        case TypeHistorique::mensuel:
            if (const auto p = plage_du_mois(mois_.entrees.at(static_cast<std::size_t>(mois_.choisi)))) {
                std::tie(debut_, fin_) = *p;
            }
            break;
        case TypeHistorique::semaine: {
            // Lundi 1 .. dimanche 7.
            const int jour = (jour_de_semaine(aujourdhui_) + 5) % 7 + 1;
            debut_ = aujourdhui_ + 1 - jour;
            fin_ = aujourdhui_ + 7 - jour;
            break;
        }
        case TypeHistorique::jour:
            debut_ = fin_ = aujourdhui_;
            break;
        case TypeHistorique::effacees:
            debut_ = plage_du_mois(mois_.entrees.back()).value_or(std::pair{aujourdhui_, aujourdhui_}).first;
            fin_ = aujourdhui_;
            break;
    }
}

void VueHistorique::choisir_type(TypeHistorique type) {
    if (type != type_) force_ = true;
    type_ = type;
    appliquer_plage();
    calcul_mois_historique();
}

void VueHistorique::definir_periode(NumeroJour du, NumeroJour au) {
    periode_du_ = du;
    periode_au_ = au;
    appliquer_plage();
    calcul_mois_historique();
}

void VueHistorique::choisir_mois(int indice) {
    if (indice < 0 || indice >= static_cast<int>(mois_.entrees.size())) return;
    mois_.choisi = indice;
    appliquer_plage();
    calcul_mois_historique();
}

std::string VueHistorique::quitter_date_facture() {
    const auto correction = corriger_date_facture(date_facture_, aujourdhui_);
    date_facture_ = correction.debut;
    appliquer_plage();
    calcul_mois_historique();
    return correction.avertissement;
}

std::string VueHistorique::titre() const {
    switch (type_) {
        case TypeHistorique::mensuel:
            return "Historique du " + date_longue_avec_jour(debut_) + "\nau " + date_longue_avec_jour(fin_);
        case TypeHistorique::semaine:
            return "Historique du  " + date_longue_avec_jour(debut_) + "  au  " + date_longue_avec_jour(fin_);
        case TypeHistorique::jour:
            return "Historique des connexions du  " + date_longue_avec_jour(aujourdhui_);
        case TypeHistorique::effacees:
            return "Liste des connexions effacées de l'historique.";
        case TypeHistorique::facture_en_cours:
            return legende_date_facture(date_facture_);
        case TypeHistorique::periode_definie:
            break;
    }
    return "Du " + date_longue_avec_jour(debut_) + " au " + date_longue_avec_jour(fin_);
}

namespace {
// Un filtre prend l'entrée choisie ; la première entrée de sa liste (ou un texte vide) le rend
// inactif. Rend vrai quand il change.
bool changer_filtre(FiltreHistorique& filtre, std::string_view entree, std::string_view tous) {
    FiltreHistorique nouveau{std::string(entree), !entree.empty() && entree != tous};
    if (nouveau == filtre) return false;
    filtre = std::move(nouveau);
    return true;
}
}  // namespace

bool VueHistorique::filtrer_utilisateur(std::string_view entree) {
    const bool change = changer_filtre(criteres_.utilisateur, entree, tous_les_utilisateurs);
    force_ = force_ || change;
    calcul_mois_historique();
    return change;
}

bool VueHistorique::filtrer_tarification(std::string_view entree) {
    const bool change = changer_filtre(criteres_.tarification, entree, toutes_les_tarifications);
    force_ = force_ || change;
    calcul_mois_historique();
    return change;
}

bool VueHistorique::filtrer_provider(std::string_view entree) {
    const bool change = changer_filtre(criteres_.provider, entree, tous_les_providers);
    force_ = force_ || change;
    calcul_mois_historique();
    return change;
}

bool VueHistorique::filtrer_option(std::string_view code) {
    const bool change = changer_filtre(criteres_.option, code, "1");
    force_ = force_ || change;
    calcul_mois_historique();
    return change;
}

bool VueHistorique::choisir_total_avec_reductions(bool avec) {
    if (reglages_.avec_reductions == avec) return false;
    reglages_.avec_reductions = avec;
    force_ = true;
    calcul_mois_historique();
    return true;
}

void VueHistorique::remise_a_zero_variable() {
    acc_ = AccumulateursHistorique{};
    lignes_.clear();
}

void VueHistorique::oublier_derniere_plage() { derniere_plage_.reset(); }

bool VueHistorique::calcul_mois_historique() {
    if (differee_) return false;
    if (fin_ < debut_) std::swap(debut_, fin_);
    const std::pair plage{debut_, fin_};
    if (derniere_plage_ == plage && !force_) return false;
    force_ = false;
    derniere_plage_ = plage;
    remise_a_zero_variable();
    criteres_.debut = debut_;
    criteres_.fin = fin_;
    criteres_.effacees = type_ == TypeHistorique::effacees;
    LigneMontree rappel;
    if (garder_lignes_) rappel = [this](LigneListeHistorique&& l) { lignes_.push_back(std::move(l)); };
    parcourir_plage_historique(dossier_, criteres_, reglages_, acc_, rappel);
    // Chaque ligne lue va en haut de la liste : la plus récente en tête.
    std::reverse(lignes_.begin(), lignes_.end());
    if (type_ == TypeHistorique::facture_en_cours) facture_a_relire_ = true;
    ++lectures_;
    return true;
}

void VueHistorique::parcourir_lignes(const LigneMontree& rappel) const {
    parcourir_lignes_plage_historique(dossier_, criteres_, reglages_, rappel);
}

LignesAvis VueHistorique::avis() const {
    LignesAvis a;
    if (!acc_.rien_affiche) return a;
    const auto message = [this](int n) { return messages_ ? messages_(n) : std::string(); };
    a.visibles = true;
    if (type_ == TypeHistorique::effacees) {
        a.premiere = message(31);
        return a;
    }
    a.premiere = message(1);
    a.seconde = type_ == TypeHistorique::jour
                    ? message(3)
                    : message(2) + " " + formater_date(debut_) + " au " + formater_date(fin_);
    return a;
}

ActionLigne VueHistorique::action_suppression(bool ctrl) const {
    if (type_ != TypeHistorique::effacees) return ActionLigne::marquer;
    return ctrl ? ActionLigne::oter : ActionLigne::restaurer;
}

std::string VueHistorique::question_suppression(ActionLigne action) {
    switch (action) {
        case ActionLigne::marquer:
            return "Etes vous sûr(e) de vouloir effacer cette connexion\rde l'historique ?";
        case ActionLigne::restaurer:
            return "Etes vous sûr(e) de vouloir restaurer cette connexion\rdans l'historique ?";
        case ActionLigne::oter:
            break;
    }
    return "Etes vous sûr(e) de vouloir supprimer cette connexion\rde l'historique ?\r"
           "Attention suppression irréversible !";
}

std::string VueHistorique::legende_bouton(bool ctrl) const {
    switch (action_suppression(ctrl)) {
        case ActionLigne::marquer: return "&Effacer";
        case ActionLigne::restaurer: return "&Restaurer";
        case ActionLigne::oter: break;
    }
    return "&Détruire";
}

bool VueHistorique::supprimer(std::int32_t localisateur, ActionLigne action, std::string* erreur) {
    const auto l = lire_localisateur(localisateur);
    if (!l) {
        if (erreur) *erreur = "Cette ligne ne désigne aucun enregistrement de l'historique.";
        return false;
    }
    // Le numéro suit les fichiers du mois sous toutes leurs graphies : c'est celui qui porte
    // l'enregistrement qu'on récrit, sous son nom à lui.
    const auto situe = situer_enregistrement(dossier_, l->mois, 1900 + localisateur % 100, l->numero);
    // Hors des fichiers du mois : le fichier de ce nom dit lui-même ce qui manque.
    const bool ok = situe ? modifier_ligne_historique(action, situe->numero, dossier_,
                                                      situe->fichier.filename().string(), erreur)
                          : modifier_ligne_historique(action, l->numero, dossier_, l->fichier, erreur);
    if (!ok) return false;
    derniere_plage_.reset();
    calcul_mois_historique();
    return true;
}

}  // namespace lumi
