#include "history/fenetre/modele_thistoform.hpp"

#include <algorithm>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "history/facture.hpp"
#include "history/plafond_facture.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/moteur_tarifaire.hpp"

namespace lumi {

namespace {

constexpr std::string_view section_parametres = parametres::section_parametres_historique;
constexpr std::string_view cle_debut_periode = "date debut periode definie";
constexpr std::string_view cle_fin_periode = "date fin periode definie";
// L'annuaire en donnait cent au plus.
constexpr std::size_t nb_max_providers = 100;

// Un nom rencontré rejoint son filtre s'il n'y est pas déjà, casse mise à part.
void ajouter_absents(std::vector<std::string>& liste, const std::vector<std::string>& noms) {
    for (const auto& n : noms) {
        if (std::none_of(liste.begin(), liste.end(),
                         [&](const std::string& l) { return egal_sans_casse(l, n); }))
            liste.push_back(n);
    }
}

// Les options de tarifs.ini comme le moteur les liste : désignation et code de chacune. Une option
// sans désignation se montre sous son code plutôt qu'en ligne vide.
void lister_options(const FichierIni& tarifs, std::vector<std::string>& designations,
                    std::vector<std::string>& codes) {
    const auto liste = lecture_liste_reduc_tarifaires(tarifs, false);
    for (std::size_t k = 1; k < liste.size(); ++k) {
        auto code = lire_option_tarifaire(tarifs, static_cast<int>(k), "ref");
        if (code.empty()) continue;
        designations.push_back(liste[k].empty() ? code : liste[k]);
        codes.push_back(std::move(code));
    }
}

}  // namespace

ModeleThistoform::ModeleThistoform(std::filesystem::path dossier_donnees, Registre& registre,
                                   Annuaire entrees_annuaire)
    : dossier_(std::move(dossier_donnees)),
      registre_(registre),
      entrees_annuaire_(std::move(entrees_annuaire)),
      reglages_(dossier_ / fichier_reglages) {}

ModeleThistoform::~ModeleThistoform() = default;

std::vector<std::string> ModeleThistoform::ouvrir(NumeroJour aujourdhui, const ValeursLocales& locale) {
    reglages_.recharger();
    aujourdhui_ = aujourdhui;
    facture_recomptee_ = false;
    std::vector<std::string> avertissements;
    ReglagesAffichageHistorique affichage;
    try {
        affichage =
            lire_reglages_historique(reglages_, FichierIni(dossier_ / fichier_tarifs), registre_, locale);
    } catch (const ErreurConversion& e) {
        // Un taux de TVA illisible n'empêche pas de relire l'historique : il est dit, et les montants
        // hors taxes sont comptés au taux habituel, comme le compteur le fait au démarrage.
        avertissements.emplace_back(e.what());
        affichage = lire_reglages_historique(reglages_, FichierIni({}), registre_, locale);
    }
    vue_ = std::make_unique<VueHistorique>(
        dossier_ / "Historique", affichage, aujourdhui,
        [reglages = reglages_](int n) { return message_utilisateur(reglages, n); });
    // Rien n'est lu avant que le type rangé soit choisi : une seule lecture à l'ouverture.
    vue_->differer_lecture(true);
    // Sans dates rangées, la période définie entoure aujourd'hui d'un mois de chaque côté.
    const auto date_rangee = [&](std::string_view cle, NumeroJour defaut) {
        return lire_date(reglages_.lire(section_parametres, cle)).value_or(defaut);
    };
    vue_->definir_periode(date_rangee(cle_debut_periode, aujourdhui - 30),
                          date_rangee(cle_fin_periode, aujourdhui + 30));
    vue_->changer_date_facture(lire_date_facture(reglages_, aujourdhui));
    remplir_filtres(avertissements);
    return avertissements;
}

void ModeleThistoform::remplir_filtres(std::vector<std::string>& avertissements) {
    utilisateurs_.assign(1, std::string(tous_les_utilisateurs));
    for (auto& nom : parametres::lire_noms_utilisateurs(registre_)) {
        if (!nom.empty()) utilisateurs_.push_back(std::move(nom));
    }
    providers_.assign(1, std::string(tous_les_providers));
    if (entrees_annuaire_) {
        auto entrees = entrees_annuaire_();
        if (entrees.size() > nb_max_providers) entrees.resize(nb_max_providers);
        for (auto& e : entrees) providers_.push_back(std::move(e));
    }

    // Les tarifs et les options comme le moteur tarifaire les liste pour la fenêtre principale :
    // un nombre de tarifs démesuré est borné, un nombre illisible est dit au lieu d'être tu.
    tarifications_.assign(1, std::string(toutes_les_tarifications));
    options_.assign(1, std::string(toutes_les_reductions));
    codes_options_.assign(1, std::string());
    const MoteurTarifaire moteur(dossier_ / fichier_tarifs, registre_);
    try {
        for (auto& t : moteur.liste_des_tarifications()) tarifications_.push_back(std::move(t));
    } catch (const std::exception& e) {
        avertissements.emplace_back(e.what());
    }
    try {
        lister_options(FichierIni(moteur.fichier_tarifs()), options_, codes_options_);
    } catch (const std::exception& e) {
        avertissements.emplace_back(e.what());
    }
}

TailleHistorique ModeleThistoform::taille(int largeur_ecran, int hauteur_ecran) const {
    const auto cote = [&](std::string_view cle, int ecran, int defaut) {
        const auto lu =
            lire_entier(reglages_.lire(section_parametres, std::string(cle) + std::to_string(ecran)));
        // Une taille nulle ou négative ferait une fenêtre réduite à rien : la taille dessinée.
        return lu && *lu > 0 ? *lu : defaut;
    };
    return {cote("largeur ", largeur_ecran, taille_dessinee_historique.largeur),
            cote("hauteur ", hauteur_ecran, taille_dessinee_historique.hauteur)};
}

LargeursColonnesHistorique ModeleThistoform::largeurs_colonnes(int largeur_liste) const {
    constexpr int nb = LigneListeHistorique::nb_colonnes;
    const int place = largeur_liste - 21;
    const int defaut = std::max(largeur_min_colonne_historique, place / nb);
    LargeursColonnesHistorique largeurs{};
    long long somme = 0;
    for (std::size_t c = 0; c < largeurs.size(); ++c) {
        const auto l = lire_entier(reglages_.lire(parametres::section_taille_des_colonnes,
                                                  parametres::cle_colonne(static_cast<int>(c) + 1)));
        // Une largeur rangée ne cache jamais une colonne : ni nulle, ni plus large que la liste.
        largeurs[c] = std::clamp(l.value_or(defaut), largeur_min_colonne_historique,
                                 std::max(largeur_min_colonne_historique, place));
        somme += largeurs[c];
    }
    // Plus larges ensemble que la liste, elles pousseraient le total hors de vue derrière
    // l'ascenseur : elles y sont ramenées, dans leurs proportions.
    if (somme > place && place > 0) {
        for (int& l : largeurs)
            l = std::max(largeur_min_colonne_historique,
                         static_cast<int>(l * static_cast<long long>(place) / somme));
    }
    return largeurs;
}

int ModeleThistoform::type_range() const {
    return std::clamp(lire_entier(lire(reglages_, parametres::selection)).value_or(0), 0, 5);
}

std::string ModeleThistoform::bulle_date_facture() const {
    std::string bulle;
    for (int n = 32; n <= 39; ++n) {
        if (n > 32) bulle += '\n';
        bulle += message_utilisateur(reglages_, n);
    }
    return bulle;
}

std::string ModeleThistoform::ligne_plafond() const {
    if (vue_->type() != TypeHistorique::facture_en_cours) return {};
    const auto plafond = lire_reglages_plafond(registre_);
    if (!plafond.montant) return {};
    const auto& r = vue_->reglages();
    ReglagesMonnaie monnaie;
    monnaie.taux_tva = r.taux_tva;
    monnaie.nb_decimales = r.nb_decimales;
    monnaie.ttc = r.ttc;
    monnaie.locale.separateur_decimal = r.separateur;
    // La devise est déjà " F" ou " Frs" : son symbole la redonne telle quelle.
    monnaie.locale.symbole_monetaire = r.devise.empty() ? std::string("F") : r.devise.substr(1);
    const double montant = montant_affiche(vue_->accumulateurs().cout_periode, monnaie);
    return lumi::ligne_plafond(plafond, montant, monnaie);
}

void ModeleThistoform::choisir_option(int indice) {
    if (indice < 0 || indice >= static_cast<int>(codes_options_.size())) return;
    vue_->filtrer_option(codes_options_[static_cast<std::size_t>(indice)]);
}

void ModeleThistoform::apres_lecture() {
    const auto& acc = vue_->accumulateurs();
    ajouter_absents(utilisateurs_, acc.utilisateurs);
    ajouter_absents(providers_, acc.providers);
    if (vue_->type() == TypeHistorique::facture_en_cours) {
        FactureEnCours facture(registre_, vue_->reglages().separateur);
        if (facture.remplacer({acc.cout_periode, static_cast<std::int32_t>(acc.secondes_periode)}))
            facture_recomptee_ = true;
    }
}

void ModeleThistoform::choisir_total_avec_reductions(bool avec) {
    vue_->choisir_total_avec_reductions(avec);
    ecrire(registre_, parametres::total_avec_reduc, avec ? "oui" : "non");
}

ModeleThistoform::ListesComparaison ModeleThistoform::listes_comparaison() const {
    // Le rejeu charge une option par son code : une désignation passée à sa place ne se trouvait
    // pas, et l'en-tête « Aucune réduction... » non plus. La boîte offre « aucune » à part.
    const MoteurTarifaire moteur(dossier_ / fichier_tarifs, registre_);
    ListesComparaison l{moteur.liste_des_tarifications(), {}, {}};
    lister_options(FichierIni(moteur.fichier_tarifs()), l.options, l.codes_options);
    return l;
}

std::string ModeleThistoform::comparer(const std::string& tarif, const std::string& code_option) const {
    const auto c = comparer_tarification(*vue_, dossier_ / fichier_tarifs, tarif, code_option,
                                         actif(registre_, parametres::alsace));
    return texte_comparaison(c, vue_->reglages());
}

std::string ModeleThistoform::ranger(const LargeursColonnesHistorique& colonnes,
                                     std::optional<Ecran> ecran) const {
    if (!vue_) return {};
    try {
        FichierIni reglages(dossier_ / fichier_reglages);
        for (std::size_t c = 0; c < colonnes.size(); ++c) {
            reglages.ecrire(parametres::section_taille_des_colonnes,
                            parametres::cle_colonne(static_cast<int>(c) + 1), std::to_string(colonnes[c]));
        }
        reglages.ecrire(section_parametres, cle_debut_periode, formater_date(vue_->periode_definie().first));
        reglages.ecrire(section_parametres, cle_fin_periode, formater_date(vue_->periode_definie().second));
        reglages.ecrire(section_parametres, cle_date_fin_derniere_facture,
                        formater_date(vue_->date_facture()));
        reglages.ecrire(section_parametres, parametres::selection.cle,
                        std::to_string(static_cast<int>(vue_->type())));
        if (ecran) {
            reglages.ecrire(section_parametres, "hauteur " + std::to_string(ecran->ecran.hauteur),
                            std::to_string(ecran->fenetre.hauteur));
            reglages.ecrire(section_parametres, "largeur " + std::to_string(ecran->ecran.largeur),
                            std::to_string(ecran->fenetre.largeur));
        }
    } catch (const ErreurFichier& e) {
        return e.what();
    }
    return {};
}

bool ModeleThistoform::fermer() {
    if (vue_) vue_->oublier_derniere_plage();
    return std::exchange(facture_recomptee_, false);
}

}  // namespace lumi
