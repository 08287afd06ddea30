// lumicompteur-outil simuler : rejoue une connexion dans le vrai compteur, top par top, sur l'accès
// à distance simulé (numérotation, authentification au début, fin), ou avec les boutons de
// démarrage et d'arrêt manuels. Les écritures du magasin (temps des forfaits, dates de remise à
// zéro, facture, instantanés) vont au magasin du dossier de données et l'enregistrement au fichier
// du mois de son dossier Historique, comme pendant une vraie connexion. `--tuer-apres` arrête le
// processus en pleine connexion comme un arrêt brutal ; `--reprendre` joue ensuite l'offre du
// démarrage.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <signal.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "actions/fenetre_programmation.hpp"
#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/horloge.hpp"
#include "base/locale.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "platform/simulation/banc_compteur.hpp"
#include "settings/cles.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/registre_local.hpp"

namespace lumi::cli {

namespace {

// Un arrêt brutal, sans rien vider ni fermer, comme une coupure : SIGKILL, TerminateProcess sous Windows.
[[noreturn]] void tuer_le_processus() {
#ifdef _WIN32
    ::TerminateProcess(::GetCurrentProcess(), 137);
#else
    ::raise(SIGKILL);
#endif
    std::abort();
}

namespace fs = std::filesystem;

constexpr std::string_view details_usage =
    "  --entree NOM       entrée d'annuaire de la connexion (le fournisseur)\n"
    "  --debut, --fin     authentification et fin de la connexion, \"JJ/MM/AAAA HH:MM:SS\"\n"
    "  --manuel           boutons de démarrage et d'arrêt manuels au lieu d'une connexion\n"
    "  --anticipation S   délai d'anticipation du fournisseur pour ce rejeu (0 à 999 secondes)\n"
    "  --tuer-apres S     le processus se tue (SIGKILL) après S secondes de connexion, sans fin de\n"
    "                     connexion ni nettoyage ; écrit tue_apres= et duree= juste avant\n"
    "  --tuer-a-l-etape E le processus se tue (SIGKILL) à l'étape E de la fin de la connexion :\n"
    "                     « attente » (enregistrement mis en attente, instantané effacé) ou\n"
    "                     « ligne » (ligne ajoutée à l'historique, facture pas encore)\n"
    "  --reprendre        démarrage suivant : l'offre de la connexion gardée par l'instantané,\n"
    "                     réponse Oui (--refuser : Non) ; --debut donne l'instant du démarrage\n"
    "  --programmer P     une déconnexion programmée au début du rejeu, par la fenêtre de\n"
    "                     programmation : duree:HH:MM, heure:HH:MM, cout:MONTANT (tel qu'affiché,\n"
    "                     TTC ou HT) ou telechargement ; --delai S le décompte (0 à 30, 0 par\n"
    "                     défaut), --sans-deconnexion l'alarme seule, --alarme l'alarme aussi.\n"
    "                     Les choix sont rangés comme par la fenêtre. Écrit programmation=armee ou\n"
    "                     programmation=refusee:23,25 (numéros des messages), declenchement=, les\n"
    "                     fenêtres du décompte et de la déconnexion, puis le reste ci-dessous\n"
    "  Le plafond de la facture rangé dans les options s'applique : plafond_alerte= et\n"
    "  plafond_atteint= donnent ses instants (vides s'il n'est pas franchi) ; avec « raccrocher »,\n"
    "  la connexion finit au plafond, après le décompte.\n"
    "  Écrit duree=, prix_sans_reduction=, reduction=, montant= (francs HT), tarif=, option=,\n"
    "  temps_restant_forfait= (forfait en cours), etat=, chaque boîte et avis montré, puis\n"
    "  ligne= (l'enregistrement écrit dans l'historique) ; code 1 si le fichier des tarifs n'a pu se\n"
    "  charger (le prix n'est pas le sien). Avec --reprendre : reprise=, les boîtes,\n"
    "  ligne= (l'enregistrement repris), facture_cout= et facture_secondes=.\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "simuler", detail);
    flux.erreur << details_usage;
    return code;
}

// Une ligne cle=valeur par boîte : les retours à la ligne s'écrivent \r et \n.
std::string sur_une_ligne(std::string_view texte) {
    std::string resultat;
    for (const char c : texte) {
        if (c == '\r') {
            resultat += "\\r";
        } else if (c == '\n') {
            resultat += "\\n";
        } else {
            resultat += c;
        }
    }
    return resultat;
}

std::string_view cle_boite(GenreBoite genre) {
    switch (genre) {
        case GenreBoite::avertissement:
            return "avertissement";
        case GenreBoite::information:
            return "information";
        case GenreBoite::question:
            return "question";
    }
    return "boite";
}

std::int64_t secondes_absolues(Moment m) {
    return std::int64_t{m.jour} * secondes_par_jour + m.seconde;
}

Moment moment_de(std::int64_t secondes) {
    return {static_cast<NumeroJour>(secondes / secondes_par_jour),
            static_cast<std::int32_t>(secondes % secondes_par_jour)};
}

// Le délai donné pour ce rejeu remplace le délai rangé, qui est remis tel qu'il était à la fin.
class AnticipationTemporaire {
public:
    AnticipationTemporaire(Registre& registre, std::string entree, std::optional<std::string> valeur)
        : registre_(registre), cle_(cles::cle_provider(entree)) {
        if (!valeur) return;
        actif_ = true;
        const auto valeurs = registre_.lister_valeurs(cle_);
        existait_ = std::any_of(valeurs.begin(), valeurs.end(),
                                [](const std::string& n) { return n == "anticipation"; });
        ancienne_ = registre_.lire_valeur(cle_, "anticipation");
        registre_.ecrire_valeur(cle_, "anticipation", *valeur);
    }
    ~AnticipationTemporaire() { remettre(); }
    // Remet le délai rangé (avant un arrêt brutal, qui ne passe pas par le destructeur).
    void remettre() {
        if (!actif_) return;
        actif_ = false;
        if (existait_) {
            registre_.ecrire_valeur(cle_, "anticipation", ancienne_);
        } else {
            registre_.effacer_valeur(cle_, "anticipation");
        }
    }
    AnticipationTemporaire(const AnticipationTemporaire&) = delete;
    AnticipationTemporaire& operator=(const AnticipationTemporaire&) = delete;

private:
    Registre& registre_;
    std::string cle_;
    bool actif_ = false;
    bool existait_ = false;
    std::string ancienne_;
};

void ecrire_boites(Flux flux, const DialogueScripte& dialogue) {
    for (const auto& boite : dialogue.boites()) {
        flux.sortie << cle_boite(boite.genre) << '=' << sur_une_ligne(boite.texte) << '\n';
    }
}

// Le dossier de données choisi et amorcé, comme au démarrage du programme.
fs::path ouvrir_dossier(const OptionsCommande& o) {
    const fs::path executable = dossier_executable_courant();
    std::optional<fs::path> option_dossier;
    if (const auto d = o.valeur("--dossier")) option_dossier = chemin_utf8(*d);
    const fs::path dossier = choisir_dossier_donnees(option_dossier, executable);
    amorcer_dossier_donnees(dossier, dossier_donnees_par_defaut(executable));
    return dossier;
}

std::string_view texte_reprise(RepriseConnexion r) {
    switch (r) {
        case RepriseConnexion::aucune:
            return "aucune";
        case RepriseConnexion::enregistree:
            return "enregistree";
        case RepriseConnexion::refusee:
            return "refusee";
        case RepriseConnexion::echec_ecriture:
            return "echec_ecriture";
    }
    return "aucune";
}

// Le démarrage qui suit un arrêt brutal : l'offre de la connexion gardée par l'instantané.
int reprendre(const OptionsCommande& o, Flux flux) {
    Moment maintenant = HorlogeSysteme().maintenant();
    if (const auto d = o.valeur("--debut")) {
        const auto lu = lire_moment_commande(*d);
        if (!lu) return usage(flux, "--debut « " + *d + " » n'est pas un instant JJ/MM/AAAA HH:MM:SS.");
        maintenant = *lu;
    }
    try {
        const fs::path dossier = ouvrir_dossier(o);
        RegistreLocal registre(dossier / RegistreLocal::nom_fichier);
        if (registre.avertissement()) flux.erreur << "Avertissement : " << *registre.avertissement() << '\n';
        ReglagesCompteur reglages;
        reglages.locale = lire_valeurs_locales_systeme();
        BancCompteur banc(maintenant, registre, dossier, reglages);
        banc.dialogue.prevoir_reponse(o.drapeau("--refuser") ? Reponse::non : Reponse::oui);
        banc.compteur.charger_tarifs();  // la TVA du résumé
        const auto reprise = banc.compteur.proposer_reprise_connexion();
        flux.sortie << "reprise=" << texte_reprise(reprise) << '\n';
        ecrire_boites(flux, banc.dialogue);
        const auto& historique = banc.compteur.historique();
        if (!historique.ecrivain().derniere_ligne().empty()) {
            flux.sortie << "ligne=" << historique.ecrivain().derniere_ligne() << '\n';
        }
        flux.sortie << "facture_cout=" << six_decimales(historique.facture().cout_total()) << '\n'
                    << "facture_secondes=" << historique.facture().total_time() << '\n';
        return sortie_ok;
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

// La programmation demandée : le déclencheur et ses champs, tels que la fenêtre les règle.
struct ProgrammationDemandee {
    int type = 0;
    int grand = 0;
    int petit = 0;
};

std::optional<ProgrammationDemandee> lire_programmation(const std::string& texte) {
    ProgrammationDemandee p;
    const auto deux_points = texte.find(':');
    const std::string genre = texte.substr(0, deux_points);
    const std::string valeur = deux_points == std::string::npos ? "" : texte.substr(deux_points + 1);
    const auto chiffres = [](const std::string& t) {
        return !t.empty() && t.size() <= 2 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    if (genre == "telechargement" && deux_points == std::string::npos) return p;
    if (genre == "duree" || genre == "heure") {
        const auto sep = valeur.find(':');
        if (sep == std::string::npos || !chiffres(valeur.substr(0, sep)) || !chiffres(valeur.substr(sep + 1)))
            return std::nullopt;
        p.type = genre == "heure" ? 1 : 2;
        p.grand = *lire_entier(valeur.substr(0, sep));
        p.petit = *lire_entier(valeur.substr(sep + 1));
        if (p.petit > 59 || p.grand > (p.type == 1 ? 23 : 12)) return std::nullopt;
        return p;
    }
    if (genre == "cout") {
        const auto sep = valeur.find_first_of(",.");
        const std::string unites = valeur.substr(0, sep);
        std::string centiemes = sep == std::string::npos ? "0" : valeur.substr(sep + 1);
        if (!chiffres(unites) || !chiffres(centiemes)) return std::nullopt;
        if (centiemes.size() == 1) centiemes += '0';
        p.type = 3;
        p.grand = *lire_entier(unites);
        p.petit = *lire_entier(centiemes);
        return p;
    }
    return std::nullopt;
}

std::string joindre_numeros(const std::vector<int>& numeros) {
    std::string texte;
    for (const int n : numeros) texte += (texte.empty() ? "" : ",") + std::to_string(n);
    return texte;
}

}  // namespace

int commande_simuler(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail =
            analyser_options(arguments,
                             {"--dossier", "--entree", "--debut", "--fin", "--anticipation", "--tuer-apres",
                              "--tuer-a-l-etape", "--programmer", "--delai"},
                             {"--manuel", "--reprendre", "--refuser", "--sans-deconnexion", "--alarme"}, o);
        !detail.empty()) {
        return usage(flux, detail);
    }
    if (o.drapeau("--reprendre")) {
        for (const char* autre :
             {"--entree", "--fin", "--anticipation", "--tuer-apres", "--tuer-a-l-etape"}) {
            if (o.valeur(autre))
                return usage(flux, std::string(autre) + " ne s'emploie pas avec --reprendre.");
        }
        if (o.drapeau("--manuel")) return usage(flux, "--manuel ne s'emploie pas avec --reprendre.");
        return reprendre(o, flux);
    }
    if (o.drapeau("--refuser")) return usage(flux, "--refuser ne s'emploie qu'avec --reprendre.");
    const bool manuel = o.drapeau("--manuel");
    const auto entree = o.valeur("--entree");
    if (!manuel && (!entree || entree->empty()))
        return usage(flux, "--entree est obligatoire sans --manuel.");
    if (!o.valeur("--debut") || !o.valeur("--fin")) return usage(flux, "--debut et --fin sont obligatoires.");
    const auto debut = lire_moment_commande(*o.valeur("--debut"));
    const auto fin = lire_moment_commande(*o.valeur("--fin"));
    if (!debut)
        return usage(flux,
                     "--debut « " + *o.valeur("--debut") + " » n'est pas un instant JJ/MM/AAAA HH:MM:SS.");
    if (!fin)
        return usage(flux, "--fin « " + *o.valeur("--fin") + " » n'est pas un instant JJ/MM/AAAA HH:MM:SS.");
    if (*fin < *debut) return usage(flux, "la fin est avant le début.");
    const auto anticipation = o.valeur("--anticipation");
    if (anticipation) {
        if (manuel) return usage(flux, "--anticipation ne s'emploie pas avec --manuel.");
        const auto s = lire_entier(*anticipation);
        if (!s || *s < 0 || *s > 999 || anticipation->empty() ||
            anticipation->find_first_not_of("0123456789") != std::string::npos) {
            return usage(flux, "--anticipation « " + *anticipation + " » n'est pas un nombre de 0 à 999.");
        }
    }
    std::optional<std::int64_t> tuer_apres;
    if (const auto t = o.valeur("--tuer-apres")) {
        const auto s = lire_entier(*t);
        if (!s || *s < 0 || t->find_first_not_of("0123456789") != std::string::npos) {
            return usage(flux, "--tuer-apres « " + *t + " » n'est pas un nombre de secondes.");
        }
        if (*s >= secondes_absolues(*fin) - secondes_absolues(*debut)) {
            return usage(flux, "--tuer-apres doit tomber avant la fin de la connexion.");
        }
        tuer_apres = *s;
    }

    std::optional<ProgrammationDemandee> programmation;
    int delai_programmation = 0;
    if (const auto p = o.valeur("--programmer")) {
        programmation = lire_programmation(*p);
        if (!programmation) {
            return usage(flux,
                         "--programmer « " + *p +
                             " » n'est ni duree:HH:MM, ni heure:HH:MM, ni cout:MONTANT, ni telechargement.");
        }
        if (const auto d = o.valeur("--delai")) {
            const auto lu = lire_entier(*d);
            if (!lu || *lu < 0 || *lu > ModeleTdeconectform::delai_max ||
                d->find_first_not_of("0123456789") != std::string::npos) {
                return usage(flux, "--delai « " + *d + " » n'est pas un nombre de 0 à 30.");
            }
            delai_programmation = *lu;
        }
    } else {
        for (const char* autre : {"--delai"}) {
            if (o.valeur(autre))
                return usage(flux, std::string(autre) + " ne s'emploie qu'avec --programmer.");
        }
        for (const char* autre : {"--sans-deconnexion", "--alarme"}) {
            if (o.drapeau(autre))
                return usage(flux, std::string(autre) + " ne s'emploie qu'avec --programmer.");
        }
    }

    std::optional<EtapeFinConnexion> tuer_a_l_etape;
    if (const auto e = o.valeur("--tuer-a-l-etape")) {
        if (*e == "attente") {
            tuer_a_l_etape = EtapeFinConnexion::en_attente_rangee;
        } else if (*e == "ligne") {
            tuer_a_l_etape = EtapeFinConnexion::ligne_ajoutee;
        } else {
            return usage(flux, "--tuer-a-l-etape « " + *e + " » n'est ni « attente » ni « ligne ».");
        }
    }

    try {
        const fs::path dossier = ouvrir_dossier(o);
        RegistreLocal registre(dossier / RegistreLocal::nom_fichier);
        if (registre.avertissement()) flux.erreur << "Avertissement : " << *registre.avertissement() << '\n';
        AnticipationTemporaire delai(registre, entree.value_or(""), anticipation);

        // Le programme tourne depuis cinq secondes quand la ligne s'authentifie ; les événements
        // tombent entre deux tops, comme en vrai.
        const std::int64_t depart = secondes_absolues(*debut) - 5;
        const std::int64_t ms_debut = 5500;
        const std::int64_t ms_fin =
            std::max<std::int64_t>((secondes_absolues(*fin) - depart) * 1000 + 500, ms_debut + 100);

        ReglagesCompteur reglages;
        reglages.locale = lire_valeurs_locales_systeme();
        BancCompteur banc(moment_de(depart), registre, dossier, reglages);
        if (tuer_a_l_etape) {
            banc.compteur.historique().point_arret = [&, etape = *tuer_a_l_etape](EtapeFinConnexion e) {
                if (e != etape) return;
                delai.remettre();
                std::fflush(nullptr);
                tuer_le_processus();
            };
        }
        if (manuel) {
            banc.demarrer();
            banc.ordonnanceur.planifier(ms_debut, [&banc] { banc.compteur.SpeedButton1Click(); });
            banc.ordonnanceur.planifier(ms_fin, [&banc] { banc.compteur.SpeedButton4Click(); });
        } else {
            banc.acces.definir_annuaire({*entree});
            std::vector<EtapeConnexion> etapes{{2500, etat_ras_connexion_peripherique, 0},
                                               {ms_debut, etat_ras_authentification, 0}};
            if (ms_debut + 1000 < ms_fin) etapes.push_back({ms_debut + 1000, etat_ras_connecte, 0});
            etapes.push_back({ms_fin, etat_aucune_connexion, 0});
            banc.acces.ajouter_connexion(*entree, std::move(etapes));
            banc.demarrer();
            banc.relayer_connexions();
        }

        if (programmation) {
            // La fenêtre de programmation ouverte une seconde après le démarrage, avant la connexion.
            banc.ordonnanceur.avancer_jusqu_a(1000);
            ModeleTdeconectform fenetre(banc.compteur.programmation());
            fenetre.FormCreate();
            fenetre.FormActivate();
            fenetre.choisir_type(programmation->type);
            int& grand = programmation->type == 1   ? fenetre.heure
                         : programmation->type == 2 ? fenetre.duree_heures
                                                    : fenetre.unites;
            int& petit = programmation->type == 1   ? fenetre.minute
                         : programmation->type == 2 ? fenetre.duree_minutes
                                                    : fenetre.centiemes;
            grand = programmation->grand;
            petit = programmation->petit;
            fenetre.CheckBox_alarme(o.drapeau("--alarme") || o.drapeau("--sans-deconnexion"));
            fenetre.CheckBox_deconnecter(!o.drapeau("--sans-deconnexion"));
            fenetre.CheckBox_quitter(false);
            fenetre.TrackBar1(delai_programmation);
            const bool armee = fenetre.Programmer();
            fenetre.FormClose();
            flux.sortie << "programmation="
                        << (armee ? std::string("armee")
                                  : "refusee:" + joindre_numeros(fenetre.dernier_refus()))
                        << '\n';
        }

        if (tuer_apres) {
            // Arrêt brutal en pleine connexion : ni fin de connexion, ni nettoyage ; seuls restent ce
            // que le compteur a déjà rangé (instantanés, temps des forfaits).
            banc.ordonnanceur.avancer_jusqu_a(ms_debut + *tuer_apres * 1000);
            delai.remettre();  // l'échafaudage du rejeu, pas le compteur
            const auto& etat = banc.compteur.etat();
            flux.sortie << "tue_apres=" << *tuer_apres << '\n'
                        << "duree=" << (etat.texte_duree.empty() ? "00:00:00" : etat.texte_duree) << '\n';
            flux.sortie.flush();
            flux.erreur.flush();
            std::fflush(nullptr);
            tuer_le_processus();
        }
        banc.ordonnanceur.avancer_jusqu_a(ms_fin + 1500);

        const auto& etat = banc.compteur.etat();
        const auto& choix = banc.compteur.choix();
        const auto& option = banc.compteur.moteur().reduction();
        const double montant = static_cast<double>(etat.prix_communication) - etat.montant_reduction;
        flux.sortie << "duree=" << (etat.texte_duree.empty() ? "00:00:00" : etat.texte_duree) << '\n'
                    << "prix_sans_reduction=" << six_decimales(etat.prix_communication) << '\n'
                    << "reduction=" << six_decimales(etat.montant_reduction) << '\n'
                    << "montant=" << six_decimales(montant) << '\n'
                    << "tarif=" << choix.tarif_en_cours << '\n'
                    << "option=" << choix.forfait_en_cours << '\n';
        if (!option.nom.empty() && option.type_forfait == type_forfait_f) {
            flux.sortie << "temps_restant_forfait=" << option.temps_restant_forfait << '\n';
        }
        if (programmation) {
            if (const auto& d = banc.compteur.programmation().dernier_declenchement()) {
                flux.sortie << "declenchement=" << formater_date(d->jour) << ' ' << formater_heure(d->seconde)
                            << '\n';
            }
            for (const auto& ligne : banc.ecrans.journal) flux.sortie << sur_une_ligne(ligne) << '\n';
        }
        if (banc.compteur.plafond().montant) {
            const auto instant = [](const std::optional<Moment>& m) {
                return m ? formater_date(m->jour) + ' ' + formater_heure(m->seconde) : std::string();
            };
            flux.sortie << "plafond_alerte=" << instant(banc.compteur.instant_alerte_plafond()) << '\n'
                        << "plafond_atteint=" << instant(banc.compteur.instant_plafond_atteint()) << '\n';
            if (!programmation) {
                for (const auto& ligne : banc.ecrans.journal) flux.sortie << sur_une_ligne(ligne) << '\n';
            }
        }
        flux.sortie << "etat=" << banc.compteur.fenetre().lignes_etat[ligne_etat::etat] << '\n';
        ecrire_boites(flux, banc.dialogue);
        for (const auto& avis : banc.compteur.fenetre().avis_fin_forfait) {
            flux.sortie << "avis_fin_forfait=" << sur_une_ligne(avis.texte) << '\n';
        }
        for (const auto& son : banc.son.joues()) flux.sortie << "son=" << son.filename().string() << '\n';
        const auto& ligne = banc.compteur.historique().ecrivain().derniere_ligne();
        if (!ligne.empty()) flux.sortie << "ligne=" << ligne << '\n';
        // Un enregistrement que seule la mémoire tient se perd avec la fin du rejeu : un échec, qui
        // dit ce qui reste et où.
        auto& historique = banc.compteur.historique();
        if (historique.enregistrement_en_attente()) historique.terminer_enregistrements_en_attente();
        if (const auto perdues = historique.lignes_en_memoire(); !perdues.empty()) {
            for (const auto& l : perdues) flux.sortie << "non_enregistree=" << l << '\n';
            const std::string instantane = historique.instantane_des_lignes_en_memoire();
            if (!instantane.empty()) flux.sortie << "instantane=" << instantane << '\n';
            flux.erreur << "Erreur : " << perdues.size()
                        << (perdues.size() > 1 ? " connexions n'ont pu être enregistrées"
                                               : " connexion n'a pu être enregistrée")
                        << " (ni dans l'historique, ni dans la base de réglages) ; "
                        << (instantane.empty() ? "rien n'en reste après ce rejeu."
                                               : "il n'en reste que le dernier instantané (instantane=), "
                                                 "proposé au prochain démarrage.")
                        << '\n';
            return sortie_erreur;
        }
        // La durée est enregistrée, mais pas au prix du fichier des tarifs : ce n'est pas un succès.
        if (const auto echec = banc.compteur.moteur().echec_chargement()) {
            flux.erreur << "Erreur : " << *echec << '\n';
            return sortie_erreur;
        }
        return sortie_ok;
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

}  // namespace lumi::cli
