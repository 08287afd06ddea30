// lumicompteur-outil tarifs : relit le fichier des tarifs comme le programme et écrit ce qu'il en a
// compris, une ligne par élément ; à la première valeur refusée, le message du chargeur (fichier,
// section, clé) et le code 1. Celui qui écrit ses propres tarifs les vérifie avant de se connecter.
#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/dates.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "cli/commandes.hpp"
#include "cli/outils_tarif.hpp"
#include "settings/fichier_ini.hpp"
#include "settings/registre_memoire.hpp"
#include "tariff/calendrier.hpp"
#include "tariff/chargeur.hpp"
#include "tariff/plages.hpp"

namespace lumi::cli {

namespace {

constexpr std::string_view details_usage =
    "  --dossier DIR    dossier de données dont lire tarifs.ini\n"
    "  --fichier F      fichier des tarifs à lire (à la place de celui du dossier)\n"
    "  Écrit une ligne par élément, champs séparés par une tabulation : fichier=, tva=, taux=, tarif=,\n"
    "  option=, bande= ; ou l'erreur et le code 1.\n";

int usage(Flux flux, std::string_view detail) {
    const int code = erreur_usage(flux, "tarifs", detail);
    flux.erreur << details_usage;
    return code;
}

// Une ligne : « quoi=nom », puis les champs, séparés par une tabulation (les noms ont des blancs).
class Ligne {
public:
    Ligne(std::ostream& sortie, std::string_view quoi, std::string_view nom) : sortie_(sortie) {
        sortie_ << quoi << '=' << nom;
    }
    Ligne& champ(std::string_view cle, std::string_view valeur) {
        sortie_ << '\t' << cle << '=' << valeur;
        return *this;
    }
    Ligne& champ(std::string_view cle, std::int64_t valeur) { return champ(cle, std::to_string(valeur)); }
    ~Ligne() { sortie_ << '\n'; }

private:
    std::ostream& sortie_;
};

std::string prix(double valeur) {
    return six_decimales(valeur);
}

// Un tarif ou une option nommé dans une liste doit avoir sa section : le programme la refuserait au
// moment de la choisir, c'est-à-dire à la connexion.
void exiger_section_nommee(const FichierIni& ini, std::string_view quoi, std::string_view nom,
                           std::string_view section_liste, std::string_view cle) {
    if (ini.section_existe(nom)) return;
    throw ErreurConversion(
        std::string(quoi) + " « " + std::string(nom) + " » n'a pas de section [" + std::string(nom) +
        "] : " + decrire({ini.chemin().string(), std::string(section_liste), std::string(cle)}) + ".");
}

// Les listes de plages p1 à p3 d'une section, vérifiées comme au chargement.
void ecrire_bandes(std::ostream& sortie, const TroisListes& listes, std::string_view section) {
    for (const auto& liste : listes) {
        Ligne l(sortie, "bande", section);
        const int code = liste.code_jour();
        // Les noms de jours tiennent sur deux lignes dans la fenêtre : ici sur une.
        std::string jours(get_jour_plage_horaire(code));
        std::replace(jours.begin(), jours.end(), '\r', ' ');
        l.champ("liste", liste.origine().cle).champ("code_jour", code).champ("jours", jours);
        for (const auto& groupe : liste.groupes()) {
            std::string heures;
            for (const auto& iv : groupe.intervalles) {
                if (!heures.empty()) heures += ',';
                heures += formater_heure(iv.debut) + '-' + formater_heure(iv.fin);
            }
            l.champ("taux" + std::to_string(groupe.indice_taux), heures);
        }
    }
}

void ecrire_tarif(std::ostream& sortie, const FichierIni& ini, std::string_view nom, int numero) {
    exiger_section_nommee(ini, "Le tarif", nom, sections_tarifs::liste_tarifications,
                          "tarif n\u00b0 " + std::to_string(numero));
    const auto t = GetTarification(ini, nom);
    const auto listes = lire_3_listes_plages_horaires(ini, nom);
    verifier_listes(listes, true);
    Ligne(sortie, "tarif", nom)
        .champ("duree_credit_temps", t.credit_temps)
        .champ("cout_ht_credit_temps", prix(t.cout_ht_credit_temps))
        .champ("cout_ht_plein_tarif", prix(t.cout_ht_plein_tarif))
        .champ("cout_ht_tarif_reduit", prix(t.cout_ht_tarif_reduit))
        .champ("cout_ht_connexion", prix(t.cout_ht_connexion))
        .champ("pas", t.pas_tarif)
        .champ("cout_ht_tarif_supp", prix(t.cout_ht_tarif_supp))
        .champ("reduc_compatible", t.reduc_compatible);
    ecrire_bandes(sortie, listes, nom);
}

void ecrire_option(std::ostream& sortie, const FichierIni& ini, int numero) {
    const auto cle = "option" + std::to_string(numero);
    const auto ref = lire_option_tarifaire(ini, numero, "ref");
    if (ref.empty()) return;  // le programme saute de même une option sans référence
    exiger_section_nommee(ini, "L'option", ref, sections_tarifs::liste_options, cle);
    const RegistreMemoire sans_temps;  // le temps restant des forfaits n'est pas dans ce fichier
    const auto r = lire_parametres_reduction(ini, sans_temps, ref);
    // La priorité départage les options au choix automatique, qui la lit sans défaut.
    const auto priorite = lire_entier_tarifs(ini, ref, "priorite", "");
    const auto listes = lire_3_listes_plages_horaires(ini, ref);
    verifier_listes(listes, false);
    // Un forfait épuisé ou qui apporte son tarif bascule sur un tarif nommé : il doit exister.
    const auto tarif_apporte = ini.lire(ref, "tarif");
    for (const auto& [cle_tarif, nom] :
         {std::pair<std::string_view, const std::string&>{"tariff", r.tarif_apres_forfait},
          {"tarif", tarif_apporte}}) {
        if (!nom.empty()) exiger_section_nommee(ini, "Le tarif", nom, ref, cle_tarif);
    }

    {
        Ligne l(sortie, "option", ref);
        l.champ("designation", ini.lire(ref, "designation"));
        l.champ("type", r.type_forfait == type_forfait_f    ? "F"
                        : r.type_forfait == type_forfait_fi ? "Fi"
                                                            : "R");
        l.champ("priorite", priorite).champ("taux", r.taux);
        if (r.type_forfait == type_forfait_r) {
            for (int w = 1; w <= 3; ++w) {
                l.champ("t" + std::to_string(w), r.t[w]).champ("dt" + std::to_string(w), r.dt[w]);
            }
        } else {
            l.champ("duree", r.duree_forfait).champ("unite", r.unite_decompte).champ("raz", r.raz);
            l.champ("raz_le", r.raz_le).champ("tariff", r.tarif_apres_forfait).champ("tarif", tarif_apporte);
        }
    }  // la ligne de l'option finie avant celles de ses plages
    ecrire_bandes(sortie, listes, ref);
}

}  // namespace

int commande_tarifs(std::span<const std::string> arguments, Flux flux) {
    OptionsCommande o;
    if (auto detail = analyser_options(arguments, {"--dossier", "--fichier"}, {}, o); !detail.empty()) {
        return usage(flux, detail);
    }
    try {
        std::filesystem::path chemin;
        if (const auto fichier = o.valeur("--fichier")) {
            chemin = chemin_utf8(*fichier);
        } else {
            chemin = ouvrir_dossier_tarifaire(o.valeur("--dossier")).fichier_tarifs();
        }
        // Absent, le programme se contente des défauts sans prix ; ici c'est une erreur.
        if (const auto defaut = defaut_fichier_tarifs(chemin)) throw ErreurFichier(*defaut);
        const FichierIni ini(chemin);

        // Tout est lu avant d'écrire : une erreur ne laisse pas croire à un fichier à moitié bon.
        std::ostringstream texte;
        Ligne(texte, "fichier", chemin.string());
        const float tva = lire_taux_tva(ini);
        const auto reductions = lire_valeurs_taux(ini);
        Ligne(texte, "tva", prix(tva));
        for (int i = 0; i < nb_indices_taux; ++i) {
            if (reductions[static_cast<std::size_t>(i)] != 0) {
                Ligne(texte, "taux", std::to_string(i))
                    .champ("reduction", prix(reductions[static_cast<std::size_t>(i)]));
            }
        }
        // La liste saute les noms vides : on retrouve le numéro de la clé de chaque nom pour la nommer
        // si sa section manque.
        int numero = 0;
        for (const auto& nom : lire_liste_des_tarifications(ini)) {
            while (ini.lire(sections_tarifs::liste_tarifications,
                            "tarif n\u00b0 " + std::to_string(++numero)) != nom) {
            }
            ecrire_tarif(texte, ini, nom, numero);
        }
        // Le nombre d'options borné comme pour les listes de la fenêtre (sans l'en-tête).
        const int nb_options = static_cast<int>(lecture_liste_reduc_tarifaires(ini, false).size()) - 1;
        for (int k = 1; k <= nb_options; ++k) ecrire_option(texte, ini, k);
        flux.sortie << texte.str();
        return sortie_ok;
    } catch (const ErreurConversion& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    } catch (const ErreurFichier& e) {
        flux.erreur << "Erreur : " << e.what() << '\n';
    }
    return sortie_erreur;
}

}  // namespace lumi::cli
