#pragma once
// Les mots de passe des utilisateurs. Un mot de passe ne verrouille pas le programme : il protège le
// choix d'un utilisateur dans la boîte de sélection. Il n'est jamais rangé en clair ni de façon
// réversible : le magasin ne garde qu'une empreinte salée et lente (Argon2id de libsodium, limites
// « interactives »), si bien que lire la base ne donne aucun mot de passe, que les gens réutilisent.
#include <cstddef>
#include <string>
#include <string_view>

namespace lumi {

// Le début de chaque empreinte, qui en nomme le schéma : Argon2id de libsodium, ou sous Windows
// PBKDF2-HMAC-SHA256 du système (CNG).
#ifdef _WIN32
inline constexpr std::string_view schema_empreinte = "$pbkdf2-sha256$";
#else
inline constexpr std::string_view schema_empreinte = "$argon2id$";
#endif

inline constexpr std::size_t longueur_max_mot_de_passe = 50;
inline constexpr std::size_t longueur_max_nom_utilisateur = 18;

// Le texte tapé tel qu'il est comparé et haché : en minuscules, au plus 50 caractères.
std::string mot_de_passe_saisi(std::string_view texte);

// L'empreinte à ranger dans "pdata " + n ; vide pour un texte vide (aucun mot de passe). Lève
// std::runtime_error si la bibliothèque ne peut la calculer (mémoire), plutôt que de ranger le clair.
std::string hacher_mot_de_passe(std::string_view texte);

// Le texte tapé (mis en minuscules ici) correspond-il à l'empreinte ? Une empreinte vide n'en
// demande aucun ; une empreinte illisible n'accepte rien.
bool verifier_mot_de_passe(std::string_view empreinte, std::string_view texte);

}  // namespace lumi
