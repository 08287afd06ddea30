#pragma once
// Les modèles sans Qt des fenêtres de la déconnexion programmée : la fenêtre de programmation
// (Tdeconectform : déclencheur, champs et leurs flèches, cases liées, curseur du délai, son de
// l'alarme, refus de "&Programmer") et la fenêtre du décompte (TcofirmForm).
#include <cstdint>
#include <string>
#include <vector>

#include "actions/programmation.hpp"

namespace lumi {

inline constexpr std::uint32_t couleur_bleue = 0xFF0000;  // clBlue (0x00BBGGRR)

// Une case à cocher de la fenêtre.
struct CaseProgrammation {
    bool coche = false;
    bool enabled = true;
    std::string caption;
};

// Les quatre flèches des champs.
enum class Fleche { grande_haut, grande_bas, petite_haut, petite_bas };

class ModeleTdeconectform {
public:
    static constexpr int delai_max = 30;
    static constexpr int repetition_ms = 100;          // minuterie de la répétition
    static constexpr int attente_repetition_ms = 300;  // avant que l'appui répète

    explicit ModeleTdeconectform(Programmation& programmation);

    // --- Ouverture ---
    // Cases, champ de l'heure (maintenant + 86,4 s), déclencheur, curseur et son lus des réglages.
    void FormCreate();
    // Pendant une connexion, le champ du coût part du prix affiché + 0,10.
    void FormActivate();

    // --- Déclencheur (ComboBox1) ---
    void choisir_type(int type);
    int type() const { return type_; }
    static const std::vector<std::string>& types();

    // --- Champs ---
    void fleche(Fleche f);
    void remise_a_zero();
    void ajuster_heure();
    // Le champ du type choisi, comme il est montré ("   12:05", "   2h30m", "   13,05 F").
    std::string texte_champ() const;
    int heure = 0, minute = 0;                // type heure
    int duree_heures = 0, duree_minutes = 0;  // type durée
    int unites = 0, centiemes = 0;            // type coût

    // Appui tenu sur une flèche : la minuterie de 100 ms répète le clic après 300 ms.
    void appui(Fleche f);
    void relacher();
    // Vrai si la flèche tenue a été répétée.
    bool tic_repetition();
    bool repetition_active() const { return appui_.has_value(); }

    // --- Cases et curseur ---
    void CheckBox_deconnecter(bool coche);
    void CheckBox_quitter(bool coche);
    void CheckBox_alarme(bool coche);
    void TrackBar1(int valeur);
    // Le son choisi (fichier existant) : joué, légende et "son alarme" écrits aussitôt.
    void choisir_son(const std::string& chemin);
    void tester_alarme();

    CaseProgrammation deconnecter;
    CaseProgrammation quitter;
    CaseProgrammation alarme;
    // Active quand le tarif en cours a un pas au-dessus d'une seconde ; cochée alors d'emblée.
    CaseProgrammation fin_du_pas;
    bool boutons_son_enabled = false;  // "Tester l'alarme" et le choix du son
    int delai = 10;
    std::string legende_delai;
    std::string son;  // chemin du son de l'alarme

    // --- Vue du type choisi ---
    std::string legende_groupe;  // GroupBox
    std::string hint_champ;
    bool champs_visibles = false;
    bool statut_visible = false;
    bool bouton_ajuster_visible = false;
    bool bouton_raz_visible = false;
    std::string hint_raz;

    // --- Statut du téléchargement (type 0, minuterie de 100 ms) ---
    void Timer_statut();
    std::string statut;
    std::uint32_t couleur_statut = couleur_rouge_statut;
    std::string surveillance;  // ce qui est regardé
    static constexpr std::uint32_t couleur_rouge_statut = 0x0000FF;

    // --- Boutons ---
    // "&Programmer" : vrai si la programmation est armée (la fenêtre se ferme) ; un refus montre
    // son avertissement et laisse la fenêtre ouverte.
    bool Programmer();
    // Toute fermeture range les réglages.
    void FormClose();
    // Les numéros des messages du dernier refus (vide : armée).
    const std::vector<int>& dernier_refus() const { return dernier_refus_; }

private:
    void ranger_reglages();
    void refuser(std::initializer_list<int> messages);
    void legende_son();

    Programmation& p_;
    int type_ = 0;
    struct Appui {
        Fleche fleche;
        std::int64_t depuis_ms;
    };
    std::optional<Appui> appui_;
    std::vector<int> dernier_refus_;
};

// Le décompte avant la déconnexion : jauge de 0 à 10 × le délai, un pas toutes les 100 ms.
class ModeleTcofirmForm {
public:
    static constexpr int intervalle_ms = 100;

    explicit ModeleTcofirmForm(Programmation& programmation);

    void FormActivate();
    // Un pas ; vrai quand la jauge est pleine. La coquille fait alors exactement ce que fait
    // "&Se déconnecter..." : la fenêtre cachée d'abord, puis SeDeconnecter.
    bool Timer1Timer();
    // "&Se déconnecter..." : la séquence de déconnexion.
    void SeDeconnecter();
    // "&Annuler" : rien, la programmation reste désarmée.
    void Annuler();

    std::string texte;    // messages 21 et 22
    std::string caption;  // " Attention, déconnexion dans 05 secondes !"
    int maximum = 100;
    int position = 0;
    bool minuterie_active = false;
    bool fermee = false;

private:
    Programmation& p_;
    int delai_ = 10;
};

}  // namespace lumi
