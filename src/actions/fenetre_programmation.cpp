#include "actions/fenetre_programmation.hpp"

#include <cctype>
#include <filesystem>

#include "actions/dialogue.hpp"
#include "base/dates.hpp"
#include "base/decimal.hpp"
#include "plans/son.hpp"
#include "settings/parametres.hpp"
#include "tariff/monnaie.hpp"

namespace lumi {

namespace {

// Le champ "%1.2d" qui ne dépasse pas ses bornes.
void augmenter(int& valeur, int maximum) {
    if (valeur < maximum) ++valeur;
}
void diminuer(int& valeur) {
    if (valeur > 0) --valeur;
}

std::string legende_du_delai(int delai) {
    if (delai == 0) return "Aucun message d'attente ";
    return "Durée du message d'attente : " + champ_2(delai) + " seconde" + (delai == 1 ? " " : "s ");
}

std::string legende_decompte(int secondes) {
    return " Attention, déconnexion dans " + champ_2(secondes) + " seconde" + (secondes < 2 ? " !" : "s !");
}

}  // namespace

ModeleTdeconectform::ModeleTdeconectform(Programmation& programmation) : p_(programmation) {}

const std::vector<std::string>& ModeleTdeconectform::types() {
    static const std::vector<std::string> liste{"A la fin d'un téléchargement",
                                                "Au delà d'une certaine heure", "Au delà d'un certain temps",
                                                "Au delà d'un certain coût"};
    return liste;
}

void ModeleTdeconectform::FormCreate() {
    Registre& r = p_.registre();
    deconnecter.caption = "Se déconnecter";
    quitter.caption = "Quitter Windows";
    quitter.coche = actif(r, parametres::exit_window);
    deconnecter.coche = actif(r, parametres::se_deconnecter);
    quitter.enabled = deconnecter.coche;
    alarme.coche = actif(r, parametres::alarme_download);
    boutons_son_enabled = alarme.coche;
    fin_du_pas.caption = "Attendre la fin du pas de taxation en cours";
    fin_du_pas.enabled = p_.compteur().tarification().pas_tarif > 1;
    fin_du_pas.coche = fin_du_pas.enabled;

    const std::int32_t dans_un_instant = (p_.horloge().seconde_du_jour() + 86) % secondes_par_jour;
    heure = dans_un_instant / 3600;
    minute = (dans_un_instant % 3600) / 60;

    const auto type_lu = lire_entier(lire(r, parametres::type_programmation));
    const auto delai_lu = lire_entier(lire(r, parametres::delai_auto_validation));
    TrackBar1(delai_lu.value_or(10));
    son = p_.chemin_alarme().string();
    legende_son();
    choisir_type(type_lu.value_or(0));
}

void ModeleTdeconectform::FormActivate() {
    const VueCompteur& c = p_.compteur();
    if (!c.connexion_comptee()) return;
    // Le prix affiché ("12,950 F") : les unités avant le séparateur, les deux chiffres qui le
    // suivent plus dix centièmes.
    const std::string& prix = c.prix_affiche();
    const char separateur = c.monnaie().locale.separateur_decimal;
    const auto position = prix.find(separateur);
    std::string avant;
    for (std::size_t i = 0; i < prix.size() && i < position; ++i) {
        if (std::isdigit(static_cast<unsigned char>(prix[i]))) avant += prix[i];
    }
    std::string apres;
    if (position != std::string::npos) {
        for (std::size_t i = position + 1; i < prix.size() && apres.size() < 2; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(prix[i]))) break;
            apres += prix[i];
        }
    }
    while (apres.size() < 2) apres += '0';
    unites = avant.empty() ? 0 : lire_entier(avant).value_or(0);
    centiemes = lire_entier(apres).value_or(0) + 10;
    if (centiemes >= 100) {
        centiemes -= 100;
        ++unites;
    }
}

void ModeleTdeconectform::choisir_type(int type) {
    type_ = type >= 0 && type <= 3 ? type : 0;
    champs_visibles = type_ != 0;
    statut_visible = type_ == 0;
    bouton_ajuster_visible = type_ == 1;
    bouton_raz_visible = type_ == 2 || type_ == 3;
    switch (type_) {
        case 0:
            legende_groupe = "Statut ";
            hint_champ.clear();
            hint_raz.clear();
            Timer_statut();
            break;
        case 1:
            legende_groupe = "Heure de déclenchement ";
            hint_champ = "Heure de programmation de la déconnexion ou de l'alarme";
            hint_raz.clear();
            break;
        case 2:
            legende_groupe = "Durée de la connexion au déclenchement ";
            hint_champ = "Durée de la connexion en cours, au déclenchement";
            hint_raz = "Remise à zéro de la durée";
            break;
        default:
            legende_groupe = p_.compteur().monnaie().ttc ? "Coût TTC de la connexion au déclenchement "
                                                         : "Coût Ht de la connexion au déclenchement ";
            hint_champ = "Coût de la connexion en cours, au déclenchement";
            hint_raz = "Remise à zéro du coût de déclenchement";
            break;
    }
}

void ModeleTdeconectform::fleche(Fleche f) {
    // Le grand champ et le petit du type choisi, leurs bornes et le pas du petit.
    int* grand = nullptr;
    int* petit = nullptr;
    int grand_max = 0, petit_max = 59, pas = 1;
    switch (type_) {
        case 1:
            grand = &heure, petit = &minute, grand_max = 23;
            break;
        case 2:
            grand = &duree_heures, petit = &duree_minutes, grand_max = 12;
            break;
        case 3:
            grand = &unites, petit = &centiemes, grand_max = 99, petit_max = 90, pas = 10;
            break;
        default:
            return;
    }
    switch (f) {
        case Fleche::grande_haut:
            augmenter(*grand, grand_max);
            break;
        case Fleche::grande_bas:
            diminuer(*grand);
            break;
        case Fleche::petite_haut:
            if (*petit >= petit_max) {
                if (*grand >= grand_max) return;
                *petit = 0;
                ++*grand;
            } else {
                *petit += pas;
            }
            break;
        case Fleche::petite_bas:
            if (*petit < pas) {
                if (*grand == 0) return;
                *petit = petit_max;
                --*grand;
            } else {
                *petit -= pas;
            }
            break;
    }
}

void ModeleTdeconectform::remise_a_zero() {
    if (type_ == 2) {
        duree_heures = duree_minutes = 0;
    } else {
        unites = centiemes = 0;
    }
}

void ModeleTdeconectform::ajuster_heure() {
    const std::int32_t maintenant = p_.horloge().seconde_du_jour();
    heure = maintenant / 3600;
    minute = (maintenant % 3600) / 60;
}

std::string ModeleTdeconectform::texte_champ() const {
    switch (type_) {
        case 1:
            return "   " + champ_2(heure) + ":" + champ_2(minute);
        case 2:
            return "   " + champ_2(duree_heures) + "h" + champ_2(duree_minutes) + "m";
        case 3:
            return "   " + champ_2(unites) + p_.compteur().monnaie().locale.separateur_decimal +
                   champ_2(centiemes) + texte_devise(p_.compteur().monnaie());
        default:
            return {};
    }
}

void ModeleTdeconectform::appui(Fleche f) {
    fleche(f);
    appui_ = Appui{f, p_.horloge().millisecondes()};
}

void ModeleTdeconectform::relacher() {
    appui_.reset();
}

bool ModeleTdeconectform::tic_repetition() {
    if (!appui_ || p_.horloge().millisecondes() - appui_->depuis_ms <= attente_repetition_ms) return false;
    fleche(appui_->fleche);
    return true;
}

void ModeleTdeconectform::CheckBox_deconnecter(bool coche) {
    deconnecter.coche = coche;
    quitter.enabled = coche;
    if (!coche) {
        quitter.coche = false;
        if (!alarme.coche) CheckBox_alarme(true);
    }
}

void ModeleTdeconectform::CheckBox_quitter(bool coche) {
    if (quitter.enabled) quitter.coche = coche;
}

void ModeleTdeconectform::CheckBox_alarme(bool coche) {
    alarme.coche = coche;
    boutons_son_enabled = coche;
    if (!coche && !deconnecter.coche) CheckBox_deconnecter(true);
}

void ModeleTdeconectform::TrackBar1(int valeur) {
    delai = valeur < 0 ? 0 : valeur > delai_max ? delai_max : valeur;
    legende_delai = legende_du_delai(delai);
}

void ModeleTdeconectform::legende_son() {
    alarme.caption = "Alarme sonore  ( " + std::filesystem::path(son).filename().string() + " ) ";
}

void ModeleTdeconectform::choisir_son(const std::string& chemin) {
    std::error_code erreur;
    if (!std::filesystem::is_regular_file(chemin, erreur)) return;
    son = chemin;
    p_.son().jouer(son);
    legende_son();
    ecrire(p_.registre(), parametres::son_alarme, son);
}

void ModeleTdeconectform::tester_alarme() {
    p_.son().jouer(son);
}

void ModeleTdeconectform::Timer_statut() {
    auto& surveillance_ = p_.telechargements();
    surveillance_.decouvrir();
    if (surveillance_.telechargement_en_cours()) {
        statut = "Un ou plusieurs téléchargements sont en cours.";
        couleur_statut = couleur_bleue;
    } else {
        statut = "Aucun téléchargement n'est en cours.";
        couleur_statut = couleur_rouge_statut;
    }
    surveillance = surveillance_.texte_surveillance();
}

void ModeleTdeconectform::refuser(std::initializer_list<int> messages) {
    dernier_refus_.assign(messages);
    std::string texte;
    for (const int n : messages) {
        if (!texte.empty()) texte += "\r";
        texte += p_.message(n);
    }
    p_.dialogue().avertissement(texte);
}

bool ModeleTdeconectform::Programmer() {
    dernier_refus_.clear();
    ProgrammationArmee armee;
    armee.type = static_cast<TypeProgrammation>(type_);
    switch (type_) {
        case 0:
            if (!p_.telechargements().telechargement_en_cours()) {
                refuser({23, 24});
                return false;
            }
            break;
        case 1: {
            const std::int32_t seuil = seconde_du_jour(heure, minute, 0);
            if (p_.horloge().seconde_du_jour() >= seuil) {
                refuser({29});
                return false;
            }
            armee.seuil = formater_heure(seuil);
            break;
        }
        case 2: {
            const std::int32_t seuil = duree_heures * 3600 + duree_minutes * 60;
            if (seuil <= p_.duree_en_cours()) {
                refuser({23, 25});
                return false;
            }
            armee.seuil = std::to_string(seuil);
            break;
        }
        default: {
            const ReglagesMonnaie& monnaie = p_.compteur().monnaie();
            armee.seuil = std::to_string(unites) + monnaie.locale.separateur_decimal + champ_2(centiemes);
            // Les prix montrés hors taxes : le montant choisi est rangé TTC.
            if (!monnaie.ttc) armee.seuil = formater_montant(armee.seuil, true, 0, monnaie);
            if (p_.montant_ttc_en_cours() >= lire_decimal(armee.seuil).value_or(0)) {
                refuser({23, 57, 58});
                return false;
            }
            break;
        }
    }
    armee.attendre_fin_du_pas = fin_du_pas.enabled && fin_du_pas.coche;
    ranger_reglages();
    p_.armer(std::move(armee));
    return true;
}

void ModeleTdeconectform::FormClose() {
    relacher();
    ranger_reglages();
}

void ModeleTdeconectform::ranger_reglages() {
    Registre& r = p_.registre();
    ecrire(r, parametres::type_programmation, std::to_string(type_));
    ecrire_drapeau(r, parametres::se_deconnecter, deconnecter.coche);
    ecrire_drapeau(r, parametres::exit_window, quitter.coche);
    ecrire_drapeau(r, parametres::alarme_download, alarme.coche);
    ecrire(r, parametres::delai_auto_validation, std::to_string(delai));
}

// ---------------------------------------------------------------------------------------------
// Le décompte

ModeleTcofirmForm::ModeleTcofirmForm(Programmation& programmation) : p_(programmation) {
    texte = p_.message(21) + " " + p_.message(22);
    delai_ = p_.secondes_decompte();
    maximum = 10 * delai_;
}

void ModeleTcofirmForm::FormActivate() {
    caption = " Attention, déconnexion dans " + champ_2(delai_) + " secondes !";
    minuterie_active = true;
    if (actif(p_.registre(), parametres::alarme_download)) p_.jouer_alarme();
}

bool ModeleTcofirmForm::Timer1Timer() {
    if (!minuterie_active) return false;
    ++position;
    caption = legende_decompte((maximum - position) / 10 + 1);
    if (position < maximum) return false;
    minuterie_active = false;
    return true;
}

void ModeleTcofirmForm::SeDeconnecter() {
    minuterie_active = false;
    fermee = true;
    p_.sequence_deconnexion();
}

void ModeleTcofirmForm::Annuler() {
    minuterie_active = false;
    fermee = true;
}

}  // namespace lumi
