// lumicompteur-outil historique : la vue de la fenêtre de l'historique sans fenêtre. Les totaux et
// les statistiques en lignes cle=valeur (point décimal, pleine précision), et avec --lignes une
// ligne= par ligne de la liste, dans l'ordre de la liste.
#include <algorithm>
#include <charconv>
#include <string>

#include "base/dates.hpp"
#include "base/decimal.hpp"
#include "base/erreurs.hpp"
#include "base/horloge.hpp"
#include "base/locale.hpp"
#include "base/texte.hpp"
#include "cli/commandes.hpp"
#include "cli/export_historique.hpp"
#include "cli/outils_tarif.hpp"
#include "history/facture.hpp"
#include "history/fenetre/analyses_historique.hpp"
#include "history/fenetre/vue_historique.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/parametres.hpp"
#include "settings/registre_local.hpp"
#include "tariff/monnaie.hpp"

namespace lumi::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view details_usage =
    "  --type 0..5           0 facture en cours, 1 période définie, 2 mois, 3 semaine, 4 jour,\n"
    "                        5 connexions effacées (par défaut : 1 avec --du, 2 avec --mois, sinon 0)\n"
    "  --du/--au JJ/MM/AAAA  la période définie ; --mois MM/AAAA le mois\n"
    "  --utilisateur, --tarification, --provider NOM, --option CODE : les filtres\n"
    "  --ht                  montants hors taxes ; --sans-reductions : réductions rajoutées au coût\n"
    "  --lignes              une ligne= par ligne de la liste\n"
    "  --format csv|json     les connexions de la sélection, la plus ancienne d'abord, en CSV (« ; »,\n"
    "                        virgule décimale) ou en JSON avec les totaux, au lieu des lignes cle=valeur\n"
    "  --facture             type 0 : range le recomptage comme facture en cours\n"
    "  --pdf FICHIER         écrit le rapport imprimé dans ce fichier PDF (pdf=FICHIER)\n"
    "  --graphique FICHIER   le coût des douze derniers mois en image PNG (graphique=FICHIER)\n"
    "  --retarifer TARIF     les connexions montrées reprises sous ce tarif (et --retarifer-option REF)\n"
    "  Le type 0 écrit aussi projection_cout= et projection_date= (début de la facture + 60 jours).\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "historique", detail);
    flux.erreur << details_usage;
    return code;
}

std::optional<std::pair<int, unsigned>> lire_mois(std::string_view texte) {
    const auto jour = lire_date_commande("01/" + std::string(texte));
    if (!jour) return std::nullopt;
    const auto d = date_du_jour(*jour);
    return std::pair{static_cast<int>(d.year()), static_cast<unsigned>(d.month())};
}

// Le coût de la période est en simple précision : ses chiffres à lui, sans le bruit du double.
std::string texte_simple_precision(float valeur) {
    char tampon[32];
    const auto [fin, erreur] = std::to_chars(tampon, tampon + sizeof tampon, valeur);
    return erreur == std::errc{} ? std::string(tampon, fin) : std::string("0");
}

}  // namespace

int commande_historique(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(
            arguments,
            {"--dossier", "--type", "--du", "--au", "--mois", "--utilisateur", "--tarification", "--provider",
             "--option", "--pdf", "--graphique", "--retarifer", "--retarifer-option", "--format"},
            {"--ht", "--sans-reductions", "--lignes", "--facture"}, o);
        !detail.empty()) {
        return usage(flux, detail);
    }
    std::optional<TypeHistorique> type;
    if (const auto t = o.valeur("--type")) {
        const auto n = lire_entier(*t);
        type = n ? type_historique(*n) : std::nullopt;
        if (!type) return usage(flux, "--type « " + *t + " » : un nombre de 0 à 5.");
    }
    std::optional<NumeroJour> du, au;
    for (const auto& [nom, date] : {std::pair{"--du", &du}, std::pair{"--au", &au}}) {
        if (const auto t = o.valeur(nom)) {
            *date = lire_date_commande(*t);
            if (!*date) return usage(flux, std::string(nom) + " « " + *t + " » n'est pas une date JJ/MM/AAAA.");
        }
    }
    if (du.has_value() != au.has_value()) return usage(flux, "--du et --au vont ensemble.");
    std::optional<std::pair<int, unsigned>> mois;
    if (const auto t = o.valeur("--mois")) {
        mois = lire_mois(*t);
        if (!mois) return usage(flux, "--mois « " + *t + " » n'est pas un mois MM/AAAA.");
    }
    if (!type) {
        type = du ? TypeHistorique::periode_definie : mois ? TypeHistorique::mensuel : TypeHistorique::facture_en_cours;
    }
    if (*type == TypeHistorique::periode_definie && !du) return usage(flux, "--type 1 attend --du et --au.");
    if (*type == TypeHistorique::mensuel && !mois) return usage(flux, "--type 2 attend --mois.");
    if (o.drapeau("--facture") && *type != TypeHistorique::facture_en_cours) {
        return usage(flux, "--facture ne sert qu'avec le type 0.");
    }
    std::optional<FormatExport> format;
    if (const auto f = o.valeur("--format")) {
        format = lire_format_export(*f);
        if (!format) return usage(flux, "--format « " + *f + " » : csv ou json.");
        for (const char* autre : {"--lignes", "--pdf", "--graphique", "--retarifer"}) {
            if (o.drapeau(autre) || o.valeur(autre))
                return usage(flux, std::string("--format ne va pas avec ") + autre + ".");
        }
    }

    try {
        const auto donnees = ouvrir_dossier_tarifaire(o.valeur("--dossier"));
        const FichierIni reglages(donnees.dossier / fichier_reglages);
        const FichierIni tarifs(donnees.fichier_tarifs());
        const HorlogeSysteme horloge;
        const NumeroJour aujourdhui = horloge.aujourdhui();
        auto affichage =
            lire_reglages_historique(reglages, tarifs, *donnees.registre, lire_valeurs_locales_systeme());
        if (o.drapeau("--ht")) affichage.ttc = false;
        if (o.drapeau("--sans-reductions")) affichage.avec_reductions = false;

        VueHistorique vue(donnees.dossier / "Historique", affichage, aujourdhui,
                          [&](int n) { return message_utilisateur(reglages, n); });
        vue.differer_lecture(true);
        const auto pdf = o.valeur("--pdf");
        if (pdf && !export_pdf()) {
            flux.erreur << "Erreur : l'export PDF n'est pas disponible dans ce programme.\n";
            return sortie_erreur;
        }
        const auto graphique = o.valeur("--graphique");
        if (graphique && !export_graphique()) {
            flux.erreur << "Erreur : le graphique n'est pas disponible dans ce programme.\n";
            return sortie_erreur;
        }
        const auto retarifer = o.valeur("--retarifer");
        // La liste n'est gardée que pour le rapport et la comparaison ; --lignes seul l'écrit au fil
        // de la lecture, en mémoire constante quelle que soit la longueur de l'historique.
        vue.garder_lignes(pdf || retarifer);
        if (du) vue.definir_periode(*du, *au);
        vue.changer_date_facture(lire_date_facture(reglages, aujourdhui));
        if (mois) {
            const std::string entree = "mois de " + nom_fichier_historique(mois->second, mois->first).mois + " " +
                                       std::to_string(mois->first);
            const auto& entrees = vue.liste_mois().entrees;
            const auto it = std::find(entrees.begin(), entrees.end(), entree);
            if (it == entrees.end()) {
                flux.erreur << "Erreur : aucun fichier d'historique pour le " << entree << ".\n";
                return sortie_erreur;
            }
            vue.choisir_mois(static_cast<int>(it - entrees.begin()));
        }
        vue.filtrer_utilisateur(o.valeur("--utilisateur").value_or(""));
        vue.filtrer_tarification(o.valeur("--tarification").value_or(""));
        vue.filtrer_provider(o.valeur("--provider").value_or(""));
        vue.filtrer_option(o.valeur("--option").value_or(""));
        auto& out = flux.sortie;
        std::optional<ExportHistorique> exporter;
        if (format) exporter.emplace(*format, out);
        vue.differer_lecture(false);
        vue.choisir_type(*type);

        const auto& a = vue.accumulateurs();
        const auto s = vue.statistiques();
        const double total = affichage.ttc ? a.total_ttc : a.total_ht;
        // Les mêmes clés et les mêmes textes pour la sortie cle=valeur et les totaux JSON.
        std::vector<ValeurTotal> totaux = {
            {"nb", std::to_string(a.nb)},
            {"nb_auto", std::to_string(a.nb_auto)},
            {"nb_manuelles", std::to_string(a.nb_manuelles)},
            {"duree_totale", s.duree_totale, false},
            {"duree_moyenne", s.duree_moyenne, false},
            {"cout_moyen", texte_montant(a.nb > 0 ? total / a.nb : 0.0)},
            {"total_ht", texte_montant(a.total_ht)},
            {"tva", texte_montant(a.total_ttc - a.total_ht)},
            {"total_ttc", texte_montant(a.total_ttc)},
            {"periode_cout", texte_simple_precision(a.cout_periode)},
            {"periode_secondes", std::to_string(a.secondes_periode)},
            {"lignes_illisibles", std::to_string(a.lignes_illisibles())},
        };
        if (!a.illisibles.empty()) totaux.push_back({"illisibles", vue.texte_illisibles(), false});
        if (exporter) {
            // Les lignes dans l'ordre de la liste de la fenêtre, relues au fil après les totaux.
            exporter->commencer();
            vue.parcourir_lignes([&](LigneListeHistorique&& l) { exporter->ligne(l); });
            if (*type == TypeHistorique::facture_en_cours) {
                const auto p = projection_de_la_vue(vue, aujourdhui);
                totaux.push_back({"projection_cout", texte_montant(p.montant)});
                totaux.push_back({"projection_date", formater_date(p.date), false});
            }
            exporter->finir(totaux);
            // Une sortie pleine ou fermée ne passe pas pour un export réussi.
            if (!out.flush()) {
                flux.erreur << "Erreur : l'export n'a pu être écrit en entier.\n";
                return sortie_erreur;
            }
        } else {
            for (const auto& t : totaux) out << t.cle << '=' << t.texte << '\n';
        }
        if (o.drapeau("--lignes")) {
            std::string texte;
            const auto ecrire = [&](const LigneListeHistorique& l) {
                texte = "ligne=";
                for (int c = 0; c < LigneListeHistorique::nb_colonnes; ++c) {
                    if (c > 0) texte += ';';
                    texte += l.colonne(c);
                }
                texte += '\n';
                out << texte;
            };
            if (pdf || retarifer) {
                for (const auto& l : vue.lignes()) ecrire(l);
            } else {
                vue.parcourir_lignes([&](LigneListeHistorique&& l) { ecrire(l); });
            }
        }
        if (*type == TypeHistorique::facture_en_cours && !exporter) {
            const auto p = projection_de_la_vue(vue, aujourdhui);
            out << "projection_cout=" << texte_montant(p.montant) << '\n'
                << "projection_date=" << formater_date(p.date) << '\n';
        }
        if (retarifer) {
            const auto c = comparer_tarification(vue, donnees.fichier_tarifs(), *retarifer,
                                                 o.valeur("--retarifer-option").value_or(""),
                                                 actif(*donnees.registre, parametres::alsace));
            out << "total_ht_retarife=" << texte_montant(c.total_ht_retarife) << '\n'
                << "total_ttc_retarife=" << texte_montant(c.total_ttc_retarife) << '\n'
                << "difference_ht=" << texte_montant(c.total_ht_retarife - c.total_ht) << '\n'
                << "difference_ttc=" << texte_montant(c.total_ttc_retarife - c.total_ttc) << '\n'
                << "retarifes=" << c.comptees << '\n'
                << "retarifes_ignores=" << c.ignorees << '\n'
                << "note=" << note_forfaits_recomptes << '\n';
        }
        if (graphique) {
            ReglagesMonnaie monnaie;
            monnaie.locale.separateur_decimal = affichage.separateur;
            monnaie.locale.symbole_monetaire = std::string(rogner(affichage.devise));
            if (!export_graphique()(*graphique, graphique_de_la_vue(vue, aujourdhui, monnaie))) {
                flux.erreur << "Erreur : le fichier « " << *graphique << " » n'a pu être écrit.\n";
                return sortie_erreur;
            }
            out << "graphique=" << *graphique << '\n';
        }
        bool rien_a_imprimer = false;
        if (pdf && vue.lignes().empty()) {
            // Comme « &Imprimer » de la fenêtre, grisé tant que la liste est vide : rien n'est écrit,
            // et la raison est la vraie.
            flux.erreur << "Rien à imprimer : aucune connexion dans la sélection ; le fichier « " << *pdf
                        << " » n'est pas écrit.\n";
            rien_a_imprimer = true;
        } else if (pdf) {
            // Les mêmes pages que « Exporter en PDF... » de la fenêtre.
            const RapportPdf rapport{
                "Du " + date_longue_avec_jour(vue.debut()) + " au " + date_longue_avec_jour(vue.fin()),
                &vue.lignes(),
                s,
                vue.titre_colonne_total(),
                affichage.devise,
                affichage.separateur};
            if (!export_pdf()(*pdf, rapport)) {
                flux.erreur << "Erreur : le fichier « " << *pdf << " » n'a pu être écrit.\n";
                return sortie_erreur;
            }
            out << "pdf=" << *pdf << '\n';
        }
        if (o.drapeau("--facture")) {
            // Le recomptage remplace la facture : il faut pouvoir écrire dans le magasin.
            RegistreLocal registre(donnees.dossier / RegistreLocal::nom_fichier);
            registre.definir_signalement(
                [&](const std::string& message) { flux.erreur << "Erreur : " << message << '\n'; });
            FactureEnCours facture(registre, affichage.separateur);
            if (!facture.remplacer({a.cout_periode, static_cast<std::int32_t>(a.secondes_periode)})) {
                flux.erreur << "Erreur : la facture en cours n'a pu être rangée.\n";
                return sortie_erreur;
            }
        }
        return rien_a_imprimer ? sortie_usage : sortie_ok;
    } catch (const ErreurConversion& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

}  // namespace lumi::cli
