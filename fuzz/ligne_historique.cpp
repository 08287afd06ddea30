// Lignes d'historique : n'importe quel fichier mensuel se lit ligne à ligne sans plantage (un champ
// illisible donne une erreur française), et la ligne d'une connexion se relit comme elle a été écrite.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.hpp"
#include "base/erreurs.hpp"
#include "base/texte.hpp"
#include "fuzz/commun.hpp"
#include "history/fenetre/passage_historique.hpp"
#include "history/fichiers_historique.hpp"
#include "history/ligne_historique.hpp"
#include "tariff/enregistrements.hpp"

namespace {

using namespace lumi;
using namespace std::chrono;
using fuzz::echec;

// Un octet de contrôle (sous 0x20, hors tabulation et CR final) : la marque d'un contenu binaire.
bool porte_un_controle(std::string_view ligne) {
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
    return std::any_of(ligne.begin(), ligne.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

void lire_fichier_mensuel(std::string_view octets) {
    const std::string texte = decoder_fichier_texte(octets);
    std::string_view reste = texte;
    while (!reste.empty()) {
        const auto nl = reste.find('\n');
        const std::string_view ligne = reste.substr(0, nl);
        reste.remove_prefix(nl == std::string_view::npos ? reste.size() : nl + 1);
        try {
            if (decoder_ligne_historique(ligne) && porte_un_controle(ligne))
                echec("une ligne binaire n'est jamais un enregistrement", ligne);
        } catch (const ErreurConversion&) {
        }
        resume_connexion(ligne, ReglagesMonnaie{});
    }
}

// Le passage sur un mois (lecture en place, conversion ligne à ligne, nombres et dates lus sans
// détour) voit ce que voient le lecteur des fichiers et le décodeur complet : mêmes lignes montrées
// dans le même ordre, mêmes montants au bit près, mêmes lignes illisibles.
void comparer_passage(std::string_view octets) {
    const auto chemin = fuzz::fichier_temporaire("janvier00.fct", octets);
    CriteresHistorique criteres;  // toutes les dates, aucun filtre, les enregistrements vivants
    criteres.debut = numero_jour(year{1} / 1 / 1);
    criteres.fin = numero_jour(year{9999} / 12 / 31);
    ReglagesAffichageHistorique reglages;
    AccumulateursHistorique acc;
    std::vector<std::string> montrees;
    if (!lecture_historique(chemin, 1, 2000, criteres, reglages, acc, [&](LigneListeHistorique&& l) {
            montrees.push_back(l.utilisateur + ";" + l.duree);
        }))
        echec("un fichier écrit se lit");

    // Binaire après l'en-tête (chaque ligne porte un octet de contrôle), ou fichier qu'on ne sait pas
    // couper en lignes : aucune connexion n'en sort, ni dans la liste ni dans la facture.
    const auto lu = lire_fichier_historique(chemin);
    if (!lu) echec("un fichier écrit se lit");
    const auto illisible = fichier_historique_illisible(octets);
    bool binaire = true;
    for (std::size_t numero = 1; numero <= lu->nb_enregistrements(); ++numero)
        binaire = binaire && (rogner(lu->enregistrement(numero)).empty() ||
                              porte_un_controle(lu->enregistrement(numero)));
    if ((illisible || binaire) &&
        (acc.nb != 0 || acc.cout_periode != 0 || acc.secondes_periode != 0 || !montrees.empty()))
        echec("un contenu binaire ne donne aucune connexion");
    if (illisible) {
        if (acc.lignes_illisibles() != illisible->lignes || acc.illisibles.empty() ||
            acc.illisibles.front().raison != illisible->raison)
            echec("un fichier illisible en entier est compté et nommé avec sa raison");
        return;
    }
    std::vector<std::string> attendues;
    double total_ht = 0;
    int illisibles = 0;
    for (std::size_t numero = 1; numero <= lu->nb_enregistrements(); ++numero) {
        try {
            const auto e = decoder_ligne_historique(lu->enregistrement(numero));
            if (!e) continue;
            // La date lue sans détour (et celle de la ligne d'avant, gardée) est celle de la lecture
            // complète : une date fausse ne reçoit jamais le jour d'une autre.
            if (!e->jour || e->jour != lire_date(e->date))
                echec("la date d'un enregistrement se lit", e->date);
            if (e->efface) continue;
            attendues.push_back(std::string(rogner(e->utilisateur)) + ";" + e->duree);
            total_ht += e->cout;
        } catch (const ErreurConversion&) {
            ++illisibles;
        }
    }
    if (montrees != attendues) {
        const auto liste = [](const std::vector<std::string>& v) {
            std::string t;
            for (const auto& l : v) t += "\n  « " + l + " »";
            return t;
        };
        echec("le passage montre les lignes du lecteur",
              "passage :" + liste(montrees) + "\nlecteur :" + liste(attendues));
    }
    if (acc.nb != static_cast<int>(attendues.size())) echec("le passage compte les lignes montrées");
    if (acc.total_ht != total_ht) echec("le passage additionne les coûts du lecteur");
    if (acc.lignes_illisibles() != illisibles) echec("le passage compte les lignes illisibles");
}

// Un nom de n'importe quels octets, comme les fichiers et l'annuaire peuvent en donner.
std::string nom(fuzz::LecteurOctets& lecteur) {
    return lecteur.texte(24);
}

// Ce que la ligne garde d'un nom : ni ";" ni caractère de contrôle (fin de ligne, octet nul), qui la
// décaleraient ou la rendraient illisible, ni marque d'état ("|", "¤"), que l'effacement prendrait
// pour la vraie.
std::string nom_ecrit(std::string t) {
    std::string ecrit;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == ';') {
            ecrit += ',';
        } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            ecrit += ' ';
        } else if (c == '|') {
            ecrit += '/';
        } else if (t.compare(i, 2, "\xC2\xA4") == 0) {
            ecrit += '*';
            ++i;
        } else {
            ecrit += c;
        }
    }
    return ecrit;
}

float montant(fuzz::LecteurOctets& lecteur) {
    const auto v = lecteur.valeur<float>();
    return std::isfinite(v) ? v : 0.0f;
}

bool proche(double lu, double ecrit) {
    // Sept chiffres significatifs, puis trois décimales.
    return std::fabs(lu - ecrit) <= 0.0005 + std::fabs(ecrit) * 1e-6;
}

void aller_retour(fuzz::LecteurOctets& lecteur) {
    static const NumeroJour premier_jour = numero_jour(year{1} / 1 / 1);
    static const NumeroJour dernier_jour = numero_jour(year{9999} / 12 / 31);
    constexpr std::uint8_t types[] = {type_forfait_f, type_forfait_r, type_forfait_fi};

    DonneesConnexion d;
    d.utilisateur = nom(lecteur);
    d.tarif_en_cours = nom(lecteur);
    d.forfait_en_cours = nom(lecteur);
    d.type_forfait = types[lecteur.octet() % 3];
    d.designation_forfait = nom(lecteur);
    d.unite_decompte = lecteur.valeur<std::int32_t>() % 100000;
    d.date_debut =
        premier_jour + static_cast<NumeroJour>(lecteur.valeur<std::uint32_t>() %
                                               static_cast<std::uint32_t>(dernier_jour - premier_jour + 1));
    d.seconde_debut = static_cast<std::int32_t>(lecteur.valeur<std::uint32_t>() % secondes_par_jour);
    d.duree_connexion =
        static_cast<std::int32_t>(lecteur.valeur<std::uint32_t>() % (366 * secondes_par_jour));
    d.plage_au_debut = lecteur.octet() % 4;
    d.plage_a_la_fin = lecteur.octet() % 4;
    d.mode_manuel = lecteur.octet() % 2 == 1;
    d.prix_communication = montant(lecteur);
    d.montant_reduction = montant(lecteur);
    d.nom_connexion = nom(lecteur);
    d.separateur_decimal = lecteur.octet() % 2 == 0 ? ',' : '.';

    const std::string ligne = get_donnees_a_enregistrer(d);
    std::optional<EnregistrementHistorique> e;
    try {
        e = decoder_ligne_historique(ligne);
    } catch (const ErreurConversion& erreur) {
        echec("une ligne écrite se relit", std::string(erreur.what()) + " : " + ligne);
    }
    if (!e) echec("une ligne écrite n'est pas coupée", ligne);

    const auto erreur = [&](std::string_view champ) {
        echec("une ligne écrite se relit", std::string(champ) + " : " + ligne);
    };
    if (e->utilisateur != (d.utilisateur.empty() ? nom_utilisateur_non_identifie : nom_ecrit(d.utilisateur)))
        erreur("utilisateur");
    if (std::count(ligne.begin(), ligne.end(), ';') != nb_champs_ligne) erreur("treize champs");
    if (e->jour != d.date_debut) erreur("date");
    if (e->secondes != secondes_facturees(d)) erreur("durée");
    if (e->mode != (d.mode_manuel ? "M" : "A")) erreur("mode");
    if (!proche(e->cout, static_cast<double>(d.prix_communication) - d.montant_reduction)) erreur("coût");
    const std::string option = d.forfait_en_cours.empty() ? "0" : nom_ecrit(d.forfait_en_cours);
    if (e->code_option != option) erreur("option");
    const bool avec_option = option != "0";
    if (!proche(e->reduction, avec_option ? d.montant_reduction : 0.0)) erreur("réduction");
    if (e->efface) erreur("marque");
    if (e->provider != (d.mode_manuel ? "" : nom_ecrit(d.nom_connexion))) erreur("connexion");
    if (e->periode != texte_periode(d.plage_au_debut, d.plage_a_la_fin)) erreur("période");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
    lire_fichier_mensuel({reinterpret_cast<const char*>(donnees), taille});
    comparer_passage({reinterpret_cast<const char*>(donnees), taille});
    fuzz::LecteurOctets lecteur(donnees, taille);
    aller_retour(lecteur);
    return 0;
}
