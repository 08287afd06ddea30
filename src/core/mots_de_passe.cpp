#include "core/mots_de_passe.hpp"

#include <sodium.h>

#include <stdexcept>

#include "base/texte.hpp"

namespace lumi {

namespace {

void initialiser_sodium() {
    // sodium_init se rappelle sans danger ; -1 seulement si le générateur aléatoire manque.
    static const bool pret = sodium_init() >= 0;
    if (!pret) throw std::runtime_error("La bibliothèque de chiffrement n'a pu être initialisée.");
}

}  // namespace

std::string mot_de_passe_saisi(std::string_view texte) {
    std::string minuscules = plier_casse(texte);
    // Coupé sur un caractère entier : 50 caractères, pas 50 octets.
    std::size_t caracteres = 0;
    for (std::size_t i = 0; i < minuscules.size(); ++i) {
        if ((static_cast<unsigned char>(minuscules[i]) & 0xC0) == 0x80) continue;
        if (caracteres++ == longueur_max_mot_de_passe) {
            minuscules.resize(i);
            break;
        }
    }
    return minuscules;
}

std::string hacher_mot_de_passe(std::string_view texte) {
    if (texte.empty()) return {};
    initialiser_sodium();
    const std::string clair = mot_de_passe_saisi(texte);
    char empreinte[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(empreinte, clair.data(), clair.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw std::runtime_error("Le mot de passe n'a pu être protégé : mémoire insuffisante.");
    }
    return empreinte;
}

bool verifier_mot_de_passe(std::string_view empreinte, std::string_view texte) {
    if (empreinte.empty()) return true;
    if (empreinte.size() >= crypto_pwhash_STRBYTES) return false;
    initialiser_sodium();
    const std::string clair = mot_de_passe_saisi(texte);
    const std::string chaine(empreinte);  // terminée par un zéro, comme la bibliothèque l'attend
    return crypto_pwhash_str_verify(chaine.c_str(), clair.data(), clair.size()) == 0;
}

}  // namespace lumi
