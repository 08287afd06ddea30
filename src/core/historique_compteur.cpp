#include "core/historique_compteur.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iterator>

#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/parametres.hpp"
#include "tariff/enregistrements.hpp"

namespace lumi {

namespace {

constexpr std::string_view suite_echec_fichier =
    "La connexion n'est pas perdue : elle est gardée dans la base de réglages et sera écrite dans "
    "l'historique dès que le fichier pourra l'être, au plus tard au prochain démarrage.";

// Ce que le programme fait d'un enregistrement qui attend : l'utilisateur sait quand il réessaie.
std::string texte_nouvel_essai(int periode) {
    return " Un nouvel essai est fait toutes les " + std::to_string(periode) +
           " secondes et à la fin de chaque connexion.";
}

// Des numéros croissants sur six chiffres : l'ordre des noms est celui des connexions.
std::string nom_attente(long long numero) {
    char nom[24];
    std::snprintf(nom, sizeof nom, "%06lld", numero);
    return nom;
}

const std::string& cle_attente() {
    static const std::string cle = cles::section(cles::enregistrements_en_attente);
    return cle;
}

// "secondes&jour&seconde&position&ligne" : la ligne en dernier (elle peut contenir des "&") ;
// secondes vide quand la facture contient déjà la connexion.
std::string encoder(std::optional<std::int32_t> secondes, Moment debut, std::int64_t position,
                    const std::string& ligne) {
    return (secondes ? std::to_string(*secondes) : std::string()) + "&" + std::to_string(debut.jour) + "&" +
           std::to_string(debut.seconde) + "&" + std::to_string(position) + "&" + ligne;
}

struct AttenteLue {
    std::optional<std::int32_t> secondes;
    Moment debut;
    std::int64_t position = 0;
    std::string ligne;
};

std::optional<AttenteLue> decoder(const std::string& texte) {
    std::array<std::string, 4> champs;
    std::size_t debut = 0;
    for (auto& champ : champs) {
        const auto fin = texte.find('&', debut);
        if (fin == std::string::npos) return std::nullopt;
        champ = texte.substr(debut, fin - debut);
        debut = fin + 1;
    }
    AttenteLue a;
    a.ligne = texte.substr(debut);
    if (!champs[0].empty()) {
        a.secondes = lire_entier(champs[0]);
        if (!a.secondes) return std::nullopt;
    }
    const auto jour = lire_entier(champs[1]);
    const auto seconde = lire_entier(champs[2]);
    std::int64_t position = 0;
    const auto [fin, erreur] =
        std::from_chars(champs[3].data(), champs[3].data() + champs[3].size(), position);
    if (!jour || !seconde || erreur != std::errc() || fin != champs[3].data() + champs[3].size() ||
        a.ligne.empty()) {
        return std::nullopt;
    }
    a.debut = {*jour, *seconde};
    a.position = position;
    return a;
}

std::string moment_lisible(Moment m) {
    return "du " + formater_date(m.jour) + " à " + formater_heure(m.seconde).substr(0, 5);
}

// Les boîtes de la vérification de période, sur la couture des boîtes du compteur.
class QuestionsDialogue final : public QuestionsFacturation {
public:
    explicit QuestionsDialogue(Dialogue& dialogue) : dialogue_(dialogue) {}
    bool question_oui_non(std::string_view texte) override {
        return dialogue_.question(texte) == Reponse::oui;
    }
    void information(std::string_view texte) override { dialogue_.information(texte); }

private:
    Dialogue& dialogue_;
};

}  // namespace

HistoriqueCompteur::HistoriqueCompteur(Registre& registre, Dialogue& dialogue,
                                       std::filesystem::path dossier_donnees, char separateur_decimal)
    : registre_(registre),
      dialogue_(dialogue),
      dossier_donnees_(std::move(dossier_donnees)),
      facture_(registre, separateur_decimal),
      sauvegarde_(registre, separateur_decimal),
      ecrivain_(dossier_donnees_, separateur_decimal) {
    try {
        facture_.lire();
    } catch (const ErreurConversion&) {
        // Montrée par lecture_total_facure_en_cours au démarrage.
    }
    charger_en_attente();
    // Un instantané laissé par une exécution précédente garde une connexion qui n'est nulle part
    // ailleurs : tant que l'offre du démarrage ne l'a pas réglée, rien ne le remplace ni ne l'efface.
    instantane_a_garder_ = !sauvegarde_.ligne_sauvegardee().empty();
}

std::vector<OperationRegistre> HistoriqueCompteur::effacement_instantane() const {
    if (instantane_a_garder_) return {};
    return SauvegardeCrash::operations_effacement();
}

int HistoriqueCompteur::periode_essais() const {
    return parametres::periode_sauvegarde_crash(registre_);
}

void HistoriqueCompteur::charger_en_attente() {
    en_attente_.clear();
    for (const auto& nom : registre_.lister_valeurs(cle_attente())) {
        const auto lue = decoder(registre_.lire_valeur(cle_attente(), nom));
        // Une valeur abîmée à la main ne peut être rejouée ; elle reste là, sans bloquer les autres.
        if (!lue) continue;
        en_attente_.push_back({nom, lue->ligne, lue->debut, lue->position, lue->secondes});
    }
}

long long HistoriqueCompteur::dernier_numero() const {
    long long dernier = 0;
    for (const auto& nom : registre_.lister_valeurs(cle_attente())) {
        dernier = std::max(dernier, std::atoll(nom.c_str()));
    }
    for (const auto& a : en_attente_) {
        if (!a.nom.empty()) dernier = std::max(dernier, std::atoll(a.nom.c_str()));
    }
    return dernier;
}

OperationRegistre HistoriqueCompteur::operation_en_attente(const EnAttente& a) const {
    return {cle_attente(), a.nom, encoder(a.secondes, a.debut, a.position, a.ligne)};
}

bool HistoriqueCompteur::ranger_en_attente(std::vector<OperationRegistre> autres) {
    std::vector<OperationRegistre> operations;
    std::vector<std::string> noms;
    long long numero = dernier_numero();
    std::int32_t secondes = 0;
    double cout = 0;
    for (auto a : en_attente_) {
        if (!a.nom.empty()) continue;
        a.nom = nom_attente(++numero);
        operations.push_back(operation_en_attente(a));
        noms.push_back(a.nom);
        if (a.secondes) {
            secondes += *a.secondes;
            cout += lire_decimal(champs_ligne(a.ligne)[7]).value_or(0);
        }
    }
    // Un instantané gardé recopiera sa facture à la reprise, et les attentes ne seront alors plus
    // facturées : sa facture les compte dès qu'elles sont rangées, dans le même lot.
    if (instantane_a_garder_ && !noms.empty()) {
        if (auto o = sauvegarde_.operation_facture_augmentee(cout, secondes))
            operations.push_back(std::move(*o));
    }
    std::move(autres.begin(), autres.end(), std::back_inserter(operations));
    if (operations.empty()) return true;
    if (!registre_.appliquer_et_vider(operations)) return false;
    auto n = noms.begin();
    for (auto& a : en_attente_) {
        if (a.nom.empty()) a.nom = *n++;
    }
    return true;
}

std::pair<std::int64_t, double> HistoriqueCompteur::a_facturer() const {
    std::int64_t secondes = 0;
    double cout = 0;
    for (const auto& a : en_attente_) {
        if (!a.secondes) continue;
        secondes += *a.secondes;
        cout += lire_decimal(champs_ligne(a.ligne)[7]).value_or(0);
    }
    return {secondes, cout};
}

void HistoriqueCompteur::avertir(const std::string& texte) {
    // Une même cause n'est montrée qu'une fois : les nouveaux essais ne rouvrent pas de boîte.
    if (!avertissements_montres_.insert(texte).second) return;
    dialogue_.avis(GenreBoite::avertissement, texte);
}

const std::string& HistoriqueCompteur::designation(const std::string& option) {
    auto it = designations_.find(option);
    if (it == designations_.end()) {
        const FichierIni tarifs(dossier_donnees_ / fichier_tarifs);
        it = designations_.emplace(option, tarifs.lire(option, "designation")).first;
    }
    return it->second;
}

std::string HistoriqueCompteur::utilisateur_courant() const {
    return selection_->utilisateur_selectionne().value_or(std::string(nom_utilisateur_non_identifie));
}

void HistoriqueCompteur::completer(DonneesConnexion& connexion, const std::string& utilisateur) {
    connexion.utilisateur = utilisateur;
    if (connexion.type_forfait == type_forfait_f && !connexion.forfait_en_cours.empty()) {
        connexion.designation_forfait = designation(connexion.forfait_en_cours);
    }
}

void HistoriqueCompteur::enregistrer_historique(const std::function<DonneesConnexion()>& connexion,
                                                const std::function<void()>& instantane) {
    const auto selectionne = selection_->utilisateur_selectionne();
    if (!selectionne) {
        ecrire_enregistrement(connexion(), std::string(nom_utilisateur_non_identifie));
        return;
    }
    if (!selection_->utilisateur_protege() && !actif(registre_, parametres::selection_auto)) {
        ecrire_enregistrement(connexion(), *selectionne);
        return;
    }
    // La connexion est prise maintenant : une autre peut commencer avant la réponse.
    attendent_selection_.push_back(connexion());
    if (selection_en_cours_) return;
    selection_en_cours_ = true;
    if (instantane) instantane();
    selection_->demander_utilisateur([this](const std::string& utilisateur) {
        selection_en_cours_ = false;
        auto connexions = std::move(attendent_selection_);
        attendent_selection_.clear();
        for (auto& c : connexions) ecrire_enregistrement(std::move(c), utilisateur);
        if (instantane_apres_selection) instantane_apres_selection();
    });
}

void HistoriqueCompteur::ecrire_enregistrement(DonneesConnexion connexion, const std::string& utilisateur) {
    completer(connexion, utilisateur);
    const Moment debut{connexion.date_debut, connexion.seconde_debut};
    en_attente_.push_back({{},
                           ecrivain_.get_donnees_a_enregistrer(connexion),
                           debut,
                           ecrivain_.position_fin(debut.jour),
                           secondes_facturees(connexion)});
    // 1. L'attente et l'effacement de l'instantané d'un seul lot : à tout instant, la connexion est
    // dans l'un ou dans l'autre, jamais dans les deux.
    if (!ranger_en_attente(effacement_instantane())) {
        en_attente_.back().annoncee = true;
        const bool instantane = !instantane_des_lignes_en_memoire().empty();
        avertir("La connexion " + moment_lisible(debut) +
                " n'a pu être mise à l'abri dans la base de réglages. Elle est gardée en mémoire et sera "
                "enregistrée dès que la base pourra être écrite." +
                texte_nouvel_essai(periode_essais()) +
                (instantane ? " Si le programme s'arrête avant, elle sera proposée au prochain démarrage "
                              "telle que le dernier instantané la garde."
                            : " Si le programme s'arrête avant, elle sera perdue : laissez-le ouvert."));
        return;
    }
    if (point_arret) point_arret(EtapeFinConnexion::en_attente_rangee);
    terminer_enregistrements_en_attente();
}

bool HistoriqueCompteur::terminer_enregistrements_en_attente() {
    // Dans l'ordre : le fichier reste chronologique. Une attente encore en mémoire arrête la file :
    // elle doit d'abord être rangée dans le magasin.
    while (!en_attente_.empty() && !en_attente_.front().nom.empty()) {
        const EnAttente& a = en_attente_.front();
        // 2. La ligne, sauf si un arrêt brutal a suivi son ajout.
        try {
            ecrivain_.enregistrement_dans_historique(a.ligne, a.debut, a.position);
        } catch (const ErreurFichier& e) {
            en_attente_.front().annoncee = true;
            avertir(std::string(e.what()) + "\r" + std::string(suite_echec_fichier) +
                    texte_nouvel_essai(periode_essais()));
            return false;
        }
        if (point_arret) point_arret(EtapeFinConnexion::ligne_ajoutee);
        // 3. La facture et la fin de l'attente d'un seul lot.
        std::vector<OperationRegistre> operations;
        std::optional<FactureEnCours::Totaux> totaux;
        if (a.secondes) {
            totaux = facture_.totaux_avec(*a.secondes, lire_decimal(champs_ligne(a.ligne)[7]).value_or(0));
            operations = FactureEnCours::operations(*totaux, facture_.separateur_decimal());
        }
        operations.push_back({cle_attente(), a.nom, std::nullopt});
        if (!registre_.appliquer_et_vider(operations)) {
            en_attente_.front().annoncee = true;
            avertir("La connexion " + moment_lisible(a.debut) +
                    " est écrite dans l'historique, mais la facture en cours n'a pu être mise à jour dans "
                    "la base de réglages ; elle le sera dès que la base pourra être écrite, au plus tard "
                    "au prochain démarrage.");
            return false;
        }
        if (totaux) facture_.prendre(*totaux);
        const bool annoncee = a.annoncee;
        const Moment debut = a.debut;
        en_attente_.erase(en_attente_.begin());
        if (totaux && facture_mise_a_jour) facture_mise_a_jour();
        // Son attente a été dite : sa fin l'est aussi.
        if (annoncee) {
            dialogue_.avis(GenreBoite::information,
                           "La connexion " + moment_lisible(debut) +
                               ", qui attendait de pouvoir être écrite, est maintenant enregistrée dans "
                               "l'historique.");
        }
    }
    return en_attente_.empty();
}

void HistoriqueCompteur::reessayer_enregistrements_en_attente(bool instantanes_en_cours) {
    if (en_attente_.empty()) return;
    if (++tops_avant_essai_ < periode_essais()) return;
    tops_avant_essai_ = 0;
    // Une attente restée en mémoire emporte l'effacement de l'instantané, qui est le sien ; pendant
    // un comptage qui prend des instantanés, c'est l'instantané suivant qui la range (le lot qui
    // efface l'ancien écrit le nouveau).
    if (!instantanes_en_cours) ranger_en_attente(effacement_instantane());
    // Celles que la base tient déjà vont au fichier du mois, jusqu'à la première restée en mémoire.
    terminer_enregistrements_en_attente();
}

void HistoriqueCompteur::enregistrer_parametres_de_sauvegarde(DonneesConnexion connexion,
                                                              std::int32_t temps_restant_forfait) {
    InstantaneConnexion instantane;
    try {
        completer(connexion, utilisateur_courant());
        instantane.ligne = ecrivain_.get_donnees_a_enregistrer(connexion);
    } catch (const std::exception&) {
        return;  // l'instantané suivant réessaie
    }
    instantane.forfait = connexion.type_forfait == type_forfait_f;
    instantane.temps_restant_forfait = temps_restant_forfait;
    instantane.forfait_en_cours = connexion.forfait_en_cours;
    // La facture de l'instantané compte aussi les connexions en attente : une reprise la recopie
    // telle quelle, et ces connexions ne sont alors plus facturées une seconde fois.
    const auto [secondes_attente, cout_attente] = a_facturer();
    instantane.montant_facture = static_cast<double>(facture_.cout_total()) + cout_attente +
                                 connexion.prix_communication - connexion.montant_reduction;
    const std::int64_t secondes =
        std::int64_t{facture_.total_time()} + secondes_attente + secondes_facturees(connexion);
    instantane.secondes_facture = static_cast<std::int32_t>(std::min<std::int64_t>(secondes, INT32_MAX));
    // Les attentes restées en mémoire vont au magasin dans le même lot : l'instantané qui remplace
    // le leur ne les fait pas oublier. Un échec est signalé par le magasin ; le suivant réessaie.
    // Un instantané qui garde une autre connexion, jamais enregistrée, n'est pas remplacé : seules
    // les attentes sont rangées, et la connexion en cours reste sans instantané.
    ranger_en_attente(instantane_a_garder_ ? std::vector<OperationRegistre>{}
                                           : sauvegarde_.operations_instantane(instantane));
}

void HistoriqueCompteur::effacer_cle_sauvegarde_crash() {
    fermer_instantane();
    // Ce que seule la mémoire tient se perd avec le programme : il le dit, et dit ce qui en reste.
    // (Ce que la base tient sera écrit au prochain démarrage, comme son avertissement l'a dit.)
    const auto perdues = lignes_en_memoire();
    if (perdues.empty()) return;
    std::string texte = perdues.size() > 1
                            ? "Ces connexions n'ont pu être enregistrées (disque plein ?) ; elles "
                              "seront perdues en quittant :"
                            : "Cette connexion n'a pu être enregistrée (disque plein ?) ; elle "
                              "sera perdue en quittant :";
    const auto resume = [](const std::string& ligne) {
        const auto c = champs_ligne(ligne);
        return "le " + c[2] + " à " + c[3] + ", durée " + c[4] + ", " + c[7] + " HT";
    };
    for (const auto& l : perdues) texte += "\r- " + resume(l);
    const std::string instantane = instantane_des_lignes_en_memoire();
    texte += instantane.empty()
                 ? "\rAucun instantané ne la garde. Libérez de la place et laissez le programme ouvert : il "
                   "réessaie."
                 : "\rLe dernier instantané (" + resume(instantane) +
                       ") sera proposé au prochain démarrage. Pour tout garder, libérez de la place et "
                       "laissez le programme ouvert : il réessaie.";
    dialogue_.avertissement(texte);
}

std::string HistoriqueCompteur::instantane_des_lignes_en_memoire() const {
    if (instantane_a_garder_ || lignes_en_memoire().empty()) return {};
    return sauvegarde_.ligne_sauvegardee();
}

void HistoriqueCompteur::fermer_instantane() {
    // L'instantané reste s'il garde un enregistrement que le magasin n'a pu prendre (l'échec du lot
    // ci-dessous), ou une connexion d'une exécution précédente (instantane_a_garder_).
    if (selection_en_cours_) {
        // La boîte de sélection attend encore : l'instantané garde la connexion pour le prochain
        // démarrage. Sans instantané ("anti crash" à "non"), rien ne la garderait : elle est écrite
        // maintenant, au nom de personne plutôt que d'un utilisateur qui ne l'a pas confirmée ; une
        // réponse venue ensuite n'écrit plus rien.
        if (!instantane_a_garder_ && !sauvegarde_.ligne_sauvegardee().empty()) return;
        selection_en_cours_ = false;
        auto connexions = std::move(attendent_selection_);
        attendent_selection_.clear();
        for (auto& c : connexions)
            ecrire_enregistrement(std::move(c), std::string(nom_utilisateur_non_identifie));
        return;
    }
    if (ranger_en_attente(effacement_instantane())) terminer_enregistrements_en_attente();
}

void HistoriqueCompteur::lecture_total_facure_en_cours(LignesEtat& lignes_etat) {
    try {
        facture_.lecture_total_facure_en_cours(lignes_etat);
    } catch (const ErreurConversion& e) {
        dialogue_.avertissement(e.what());
    }
}

std::string HistoriqueCompteur::texte_ligne_etat_3(bool compteur_actif, std::int32_t duree_connexion,
                                                   double prix_affiche,
                                                   const ReglagesMonnaie& monnaie) const {
    return facture_.texte_ligne_etat_3(compteur_actif ? duree_connexion : 0,
                                       compteur_actif ? prix_affiche : 0, monnaie);
}

bool HistoriqueCompteur::remise_a_jour_periodes_facturation(FichierIni& reglages, NumeroJour aujourdhui,
                                                            const std::function<void()>& actualiser) {
    QuestionsDialogue questions(dialogue_);
    try {
        return lumi::remise_a_jour_periodes_facturation(reglages, facture_, aujourdhui, questions,
                                                        actualiser);
    } catch (const ErreurConversion& e) {
        dialogue_.avertissement(e.what());
    } catch (const ErreurFichier& e) {
        dialogue_.avertissement(e.what());
    }
    return false;
}

RepriseConnexion HistoriqueCompteur::proposer_reprise_connexion(const FichierIni& reglages,
                                                                const ReglagesMonnaie& monnaie,
                                                                NumeroJour aujourdhui,
                                                                LignesEtat& lignes_etat,
                                                                std::function<void()> rafraichir_prix) {
    // Une fin de connexion interrompue par un arrêt brutal se termine d'abord.
    terminer_enregistrements_en_attente();

    const auto enregistrer = [&](const std::string& ligne, Moment debut) {
        // La facture et le forfait de l'instantané, l'attente de la connexion et l'effacement de
        // l'instantané d'un seul lot. La facture de l'instantané compte déjà la connexion et celles
        // qui attendent encore : aucune n'est plus à facturer.
        std::vector<EnAttente> apres = en_attente_;
        auto operations = sauvegarde_.operations_restauration();
        for (auto& a : apres) {
            if (!a.secondes) continue;
            a.secondes.reset();
            if (!a.nom.empty()) operations.push_back(operation_en_attente(a));
        }
        apres.push_back({{}, ligne, debut, ecrivain_.position_fin(debut.jour), std::nullopt});
        std::swap(en_attente_, apres);
        const auto effacement = SauvegardeCrash::operations_effacement();
        operations.insert(operations.end(), effacement.begin(), effacement.end());
        if (!ranger_en_attente(std::move(operations))) {
            std::swap(en_attente_, apres);
            avertir(
                "La connexion gardée n'a pu être enregistrée : la base de réglages ne peut être écrite. "
                "Elle reste gardée et vous sera proposée au prochain démarrage.");
            return false;
        }
        lecture_total_facure_en_cours(lignes_etat);
        if (rafraichir_prix) rafraichir_prix();
        return terminer_enregistrements_en_attente();
    };
    const auto effacer = [this] { registre_.appliquer_et_vider(SauvegardeCrash::operations_effacement()); };
    const auto reprise = lumi::proposer_reprise_connexion(
        {sauvegarde_, dialogue_, reglages, monnaie, aujourdhui, enregistrer, effacer});
    // Réglée, l'offre laisse la place aux instantanés de ce programme ; un instantané resté (base
    // qui refuse d'écrire) garde sa connexion pour le démarrage suivant.
    instantane_a_garder_ = !sauvegarde_.ligne_sauvegardee().empty();
    return reprise;
}

std::vector<std::string> HistoriqueCompteur::lignes_en_memoire() const {
    std::vector<std::string> lignes;
    for (const auto& a : en_attente_) {
        if (a.nom.empty()) lignes.push_back(a.ligne);
    }
    return lignes;
}

}  // namespace lumi
