#include "core/mots_de_passe.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <bcrypt.h>
#else
#include <sodium.h>
#endif

#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/texte.hpp"

namespace lumi {

namespace {

#ifdef _WIN32
// Sous Windows, les empreintes viennent du système lui-même (CNG) : PBKDF2-HMAC-SHA256, sel de
// 16 octets, 600 000 tours. La chaîne rangée nomme son schéma et ses paramètres comme celle
// d'Argon2id : "$pbkdf2-sha256$i=600000$SEL$EMPREINTE" (base64 sans remplissage).
constexpr std::string_view schema_pbkdf2 = "$pbkdf2-sha256$i=";
constexpr unsigned long tours_pbkdf2 = 600000;
constexpr std::size_t octets_sel = 16;
constexpr std::size_t octets_empreinte = 32;
constexpr char alphabet64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string en_base64(const unsigned char* octets, std::size_t n) {
    std::string texte;
    for (std::size_t i = 0; i < n; i += 3) {
        const unsigned v =
            (octets[i] << 16) | (i + 1 < n ? octets[i + 1] << 8 : 0) | (i + 2 < n ? octets[i + 2] : 0);
        texte += alphabet64[(v >> 18) & 63];
        texte += alphabet64[(v >> 12) & 63];
        if (i + 1 < n) texte += alphabet64[(v >> 6) & 63];
        if (i + 2 < n) texte += alphabet64[v & 63];
    }
    return texte;
}

std::optional<std::vector<unsigned char>> depuis_base64(std::string_view texte) {
    std::vector<unsigned char> octets;
    unsigned v = 0;
    int bits = 0;
    for (const char c : texte) {
        const char* p = std::strchr(alphabet64, c);
        if (c == '\0' || !p) return std::nullopt;
        v = (v << 6) | static_cast<unsigned>(p - alphabet64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            octets.push_back(static_cast<unsigned char>((v >> bits) & 0xFF));
        }
    }
    return octets;
}

std::array<unsigned char, octets_empreinte> deriver(std::string_view clair, const unsigned char* sel,
                                                    std::size_t n_sel, unsigned long tours) {
    BCRYPT_ALG_HANDLE algorithme = nullptr;
    if (::BCryptOpenAlgorithmProvider(&algorithme, BCRYPT_SHA256_ALGORITHM, nullptr,
                                      BCRYPT_ALG_HANDLE_HMAC_FLAG) < 0) {
        throw std::runtime_error("La bibliothèque de chiffrement du système n'a pu être ouverte.");
    }
    std::array<unsigned char, octets_empreinte> empreinte{};
    const NTSTATUS etat = ::BCryptDeriveKeyPBKDF2(
        algorithme, reinterpret_cast<PUCHAR>(const_cast<char*>(clair.data())),
        static_cast<ULONG>(clair.size()), const_cast<PUCHAR>(sel), static_cast<ULONG>(n_sel), tours,
        empreinte.data(), static_cast<ULONG>(empreinte.size()), 0);
    ::BCryptCloseAlgorithmProvider(algorithme, 0);
    if (etat < 0) throw std::runtime_error("Le mot de passe n'a pu être protégé.");
    return empreinte;
}
#else
void initialiser_sodium() {
    // sodium_init se rappelle sans danger ; -1 seulement si le générateur aléatoire manque.
    static const bool pret = sodium_init() >= 0;
    if (!pret) throw std::runtime_error("La bibliothèque de chiffrement n'a pu être initialisée.");
}
#endif

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
    const std::string clair = mot_de_passe_saisi(texte);
#ifdef _WIN32
    std::array<unsigned char, octets_sel> sel{};
    if (::BCryptGenRandom(nullptr, sel.data(), static_cast<ULONG>(sel.size()),
                          BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0) {
        throw std::runtime_error("La bibliothèque de chiffrement n'a pu tirer de sel.");
    }
    const auto empreinte = deriver(clair, sel.data(), sel.size(), tours_pbkdf2);
    return std::string(schema_pbkdf2) + std::to_string(tours_pbkdf2) + "$" +
           en_base64(sel.data(), sel.size()) + "$" + en_base64(empreinte.data(), empreinte.size());
#else
    initialiser_sodium();
    char empreinte[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(empreinte, clair.data(), clair.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw std::runtime_error("Le mot de passe n'a pu être protégé : mémoire insuffisante.");
    }
    return empreinte;
#endif
}

bool verifier_mot_de_passe(std::string_view empreinte, std::string_view texte) {
    if (empreinte.empty()) return true;
#ifdef _WIN32
    // "$pbkdf2-sha256$i=TOURS$SEL$EMPREINTE" ; toute autre forme (Argon2id d'une base venue de Linux
    // comprise) n'accepte rien plutôt que tout.
    if (!empreinte.starts_with(schema_pbkdf2)) return false;
    const std::string_view reste = empreinte.substr(schema_pbkdf2.size());
    const auto d1 = reste.find('$');
    const auto d2 = d1 == std::string_view::npos ? d1 : reste.find('$', d1 + 1);
    if (d2 == std::string_view::npos || d1 == 0 || d1 > 9) return false;
    const std::string_view chiffres = reste.substr(0, d1);
    if (chiffres.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const unsigned long tours = std::stoul(std::string(chiffres));
    const auto sel = depuis_base64(reste.substr(d1 + 1, d2 - d1 - 1));
    const auto attendue = depuis_base64(reste.substr(d2 + 1));
    if (tours == 0 || !sel || sel->empty() || !attendue || attendue->size() != octets_empreinte) return false;
    const auto calculee = deriver(mot_de_passe_saisi(texte), sel->data(), sel->size(), tours);
    unsigned char difference = 0;  // comparaison en temps constant
    for (std::size_t i = 0; i < octets_empreinte; ++i) difference |= calculee[i] ^ (*attendue)[i];
    return difference == 0;
#else
    if (empreinte.size() >= crypto_pwhash_STRBYTES) return false;
    initialiser_sodium();
    const std::string clair = mot_de_passe_saisi(texte);
    const std::string chaine(empreinte);  // terminée par un zéro, comme la bibliothèque l'attend
    return crypto_pwhash_str_verify(chaine.c_str(), clair.data(), clair.size()) == 0;
#endif
}

}  // namespace lumi
