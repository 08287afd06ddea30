#pragma once
// Texte : UTF-8 en mémoire, Windows-1252 dans les fichiers ; comparaison de noms sans casse.
#include <string>
#include <string_view>

namespace lumi {

// Chaque octet Windows-1252 a son caractère (les cinq octets sans caractère défini,
// 0x81 0x8D 0x8F 0x90 0x9D, donnent U+0081 ... comme le fait Windows), donc l'aller-retour
// cp1252 -> UTF-8 -> cp1252 rend les octets d'origine.
std::string cp1252_vers_utf8(std::string_view octets);

// Un caractère sans équivalent Windows-1252 devient "?" ; une séquence UTF-8 invalide
// devient "?" octet par octet. Ne lève jamais.
std::string utf8_vers_cp1252(std::string_view utf8);

bool est_utf8_valide(std::string_view texte);

// Les textes « larges » de Windows (UTF-16) en UTF-8 ; une moitié de paire orpheline devient U+FFFD,
// comme le fait WideCharToMultiByte.
std::string utf16_vers_utf8(std::u16string_view texte);
// L'inverse ; un octet UTF-8 invalide devient U+FFFD.
std::u16string utf8_vers_utf16(std::string_view utf8);
// Aucun octet au-delà de 0x7F : le même texte dans les deux codages.
bool est_ascii(std::string_view texte);

// Texte d'un fichier : UTF-8 s'il l'est en entier, sinon lu comme Windows-1252. Un fichier qui
// commence par la BOM UTF-8 (ôtée) reste UTF-8 : seuls ses octets invalides sont lus en Windows-1252.
std::string decoder_fichier_texte(std::string_view octets);
// Le même, sans copie quand les octets sont déjà de l'UTF-8 sans marque.
std::string decoder_fichier_texte(std::string&& octets);

// Forme sans casse d'un nom, pour comparer comme le registre ou les fichiers INI :
// lettres ASCII et latines accentuées (Latin-1, Latin étendu A, œ, š, ÿ...) en minuscules.
std::string plier_casse(std::string_view utf8);
bool egal_sans_casse(std::string_view a, std::string_view b);

// Espaces et tabulations ôtés aux deux bouts.
std::string_view rogner(std::string_view texte);

}  // namespace lumi
