#include "platform/windows/acces_distant_ras.hpp"

// winsock2 avant windows.h : sinon l'ancien winsock.h vient avec lui et les deux se contredisent.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumi {

std::string commande_numerotation_ras(std::string_view entree) {
    return "rundll32.exe rnaui.dll,RnaDial " + std::string(entree);
}

namespace {

// Les connexions en cours, dans l'ordre du système. dwSize vaut la taille de la structure de ce
// système : une autre taille (celle d'une édition plus ancienne) y est refusée.
std::vector<RASCONNA> enumerer() {
    std::vector<RASCONNA> tampon(connexions_ras_max);
    for (auto& c : tampon) c.dwSize = sizeof(RASCONNA);
    DWORD octets = static_cast<DWORD>(tampon.size() * sizeof(RASCONNA));
    DWORD nombre = 0;
    if (::RasEnumConnectionsA(tampon.data(), &octets, &nombre) != ERROR_SUCCESS) return {};
    tampon.resize(std::min<DWORD>(nombre, connexions_ras_max));
    return tampon;
}

}  // namespace

std::vector<ConnexionDistante> AccesDistantRas::connexions() const {
    std::vector<ConnexionDistante> resultat;
    for (const RASCONNA& c : enumerer()) {
        ConnexionDistante connexion;
        connexion.nom_entree = std::string(c.szEntryName, ::strnlen(c.szEntryName, sizeof c.szEntryName));
        RASCONNSTATUSA statut{};
        statut.dwSize = sizeof statut;
        if (::RasGetConnectStatusA(c.hrasconn, &statut) == ERROR_SUCCESS) {
            connexion.etat = static_cast<int>(statut.rasconnstate);
            connexion.erreur = static_cast<int>(statut.dwError);
        } else {
            // Finie entre l'énumération et l'état : elle compte comme déconnectée.
            connexion.etat = etat_ras_deconnecte;
        }
        resultat.push_back(std::move(connexion));
    }
    return resultat;
}

std::vector<std::string> AccesDistantRas::entrees_annuaire() const {
    std::vector<RASENTRYNAMEA> tampon(1);
    tampon[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD octets = sizeof(RASENTRYNAMEA);
    DWORD nombre = 0;
    DWORD code = ::RasEnumEntriesA(nullptr, nullptr, tampon.data(), &octets, &nombre);
    if (code == ERROR_BUFFER_TOO_SMALL) {
        tampon = std::vector<RASENTRYNAMEA>(octets / sizeof(RASENTRYNAMEA) + 1);
        for (auto& e : tampon) e.dwSize = sizeof(RASENTRYNAMEA);
        octets = static_cast<DWORD>(tampon.size() * sizeof(RASENTRYNAMEA));
        code = ::RasEnumEntriesA(nullptr, nullptr, tampon.data(), &octets, &nombre);
    }
    std::vector<std::string> noms;
    if (code != ERROR_SUCCESS) return noms;
    for (DWORD i = 0; i < nombre && i < tampon.size(); ++i) {
        noms.emplace_back(tampon[i].szEntryName,
                          ::strnlen(tampon[i].szEntryName, sizeof tampon[i].szEntryName));
    }
    return noms;
}

std::string AccesDistantRas::origine_annuaire() const {
    return "l'Accès réseau à distance de Windows";
}

bool AccesDistantRas::numeroter(std::string_view entree) {
    std::string ligne = commande_numerotation_ras(entree);
    STARTUPINFOA demarrage{};
    demarrage.cb = sizeof demarrage;
    PROCESS_INFORMATION processus{};
    if (!::CreateProcessA(nullptr, ligne.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &demarrage,
                          &processus)) {
        return false;
    }
    // La boîte de numérotation vit sa vie : on ne l'attend pas.
    ::CloseHandle(processus.hThread);
    ::CloseHandle(processus.hProcess);
    return true;
}

bool AccesDistantRas::raccrocher() {
    const auto en_cours = enumerer();
    if (en_cours.empty()) return false;
    return ::RasHangUpA(en_cours.front().hrasconn) == ERROR_SUCCESS;
}

std::string AdresseWinsock::adresse_ip_locale() const {
    WSADATA donnees{};
    if (::WSAStartup(MAKEWORD(2, 2), &donnees) != 0) return {};
    std::string adresse;
    char nom[256] = {};
    if (::gethostname(nom, sizeof nom - 1) == 0) {
        addrinfo indications{};
        indications.ai_family = AF_INET;
        addrinfo* resultats = nullptr;
        if (::getaddrinfo(nom, nullptr, &indications, &resultats) == 0 && resultats) {
            char texte[INET_ADDRSTRLEN] = {};
            const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(resultats->ai_addr);
            if (::inet_ntop(AF_INET, &ipv4->sin_addr, texte, sizeof texte)) adresse = texte;
            ::freeaddrinfo(resultats);
        }
    }
    ::WSACleanup();
    return adresse;
}

}  // namespace lumi
