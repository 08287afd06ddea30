#pragma once
// Pour les essais qui lancent le vrai lumicompteur-outil dans un processus à part : sa sortie, et
// les enregistrements qu'il laisse dans un fichier du mois.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../commun/soutien.hpp"
#include "base/texte.hpp"
#include "history/fichiers_historique.hpp"
#include "history/ligne_historique.hpp"

namespace lumi::cli {

#ifdef _WIN32
// _pclose rend le code de sortie lui-même ; un arrêt brutal (TerminateProcess) y rend 128 + 9.
#define WIFEXITED(statut) true
#define WEXITSTATUS(statut) (statut)
#define WIFSIGNALED(statut) false
#endif

struct Sortie {
    int statut;  // tel que pclose le rend
    std::string texte;
};

// Une commande du shell telle que l'interpréteur du système la lit. Sous Windows, c'est cmd.exe :
// les arguments s'y citent entre guillemets droits, le puits est NUL, et l'outil se nomme avec des
// barres obliques inverses (une barre oblique y ouvrirait une option).
inline std::string pour_le_shell(std::string commande) {
#ifdef _WIN32
    const auto remplacer = [&](const std::string& avant, const std::string& apres) {
        for (auto p = commande.find(avant); p != std::string::npos;
             p = commande.find(avant, p + apres.size())) {
            commande.replace(p, avant.size(), apres);
        }
    };
    remplacer(LUMI_OUTIL, std::filesystem::path(LUMI_OUTIL).make_preferred().string());
    std::replace(commande.begin(), commande.end(), '\'', '"');
    remplacer("/dev/null", "NUL");
#endif
    return commande;
}

// Une commande du shell, sorties d'erreur comprises.
inline Sortie lancer_shell(const std::string& commande) {
    FILE* tube = ::popen((pour_le_shell(commande) + " 2>&1").c_str(), "r");
    if (tube == nullptr) return {-1, ""};
    std::string texte;
    char tampon[256];
    while (const auto n = std::fread(tampon, 1, sizeof tampon, tube)) texte.append(tampon, n);
    return {::pclose(tube), texte};
}
inline std::string lancer_commande(const std::string& commande) {
    return lancer_shell(commande).texte;
}

// Lance l'outil par le shell (`arguments` déjà cités), sorties d'erreur comprises.
inline Sortie lancer_programme(const std::string& arguments) {
    return lancer_shell(std::string(LUMI_OUTIL) + " " + arguments);
}

// Les enregistrements (UTF-8) du fichier du mois, en-tête ôté ; une ligne coupée par un arrêt
// brutal n'en est pas un : le lecteur la saute.
inline std::vector<std::string> enregistrements_du_mois(const std::filesystem::path& dossier,
                                                        const std::string& fichier = "mars00.fct") {
    std::vector<std::string> lignes;
    const auto lu = lire_fichier_historique(dossier / "Historique" / fichier);
    if (!lu) return lignes;
    for (auto& ligne : lu->enregistrements()) {
        if (decoder_ligne_historique(ligne)) lignes.push_back(std::move(ligne));
    }
    return lignes;
}

}  // namespace lumi::cli
