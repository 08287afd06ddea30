#include "platform/simulation/script_simulation.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>

namespace lumi {

namespace {

constexpr std::uint32_t lignes_max = 64;

bool chiffre(char c) {
    return c >= '0' && c <= '9';
}
// Un an de simulation suffit largement, et reste loin des débordements.
constexpr std::int64_t instant_max_ms = std::int64_t{366} * 86400 * 1000;

class Lecteur {
public:
    Lecteur(std::string_view nom, int numero) : nom_(nom), numero_(numero) {}

    [[noreturn]] void echec(const std::string& raison) const {
        throw ErreurScript(std::string(nom_) + ", ligne " + std::to_string(numero_) + " : " + raison);
    }

    // Découpe la ligne en mots ; "entre guillemets" garde les blancs ; « # » commence un commentaire.
    std::vector<std::string> mots(std::string_view ligne) const {
        std::vector<std::string> resultat;
        std::size_t i = 0;
        while (i < ligne.size()) {
            const char c = ligne[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '#') {
                break;
            } else if (c == '"') {
                const auto fin = ligne.find('"', i + 1);
                if (fin == std::string_view::npos) echec("guillemet non fermé");
                resultat.emplace_back(ligne.substr(i + 1, fin - i - 1));
                i = fin + 1;
            } else {
                const auto fin = ligne.find_first_of(" \t\r", i);
                resultat.emplace_back(
                    ligne.substr(i, fin == std::string_view::npos ? std::string_view::npos : fin - i));
                i = fin == std::string_view::npos ? ligne.size() : fin;
            }
        }
        return resultat;
    }

    std::int64_t entier(const std::string& texte, std::int64_t minimum, std::int64_t maximum,
                        std::string_view quoi) const {
        std::int64_t valeur = 0;
        const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
        if (erreur != std::errc{} || fin != texte.data() + texte.size() || valeur < minimum ||
            valeur > maximum) {
            echec(std::string(quoi) + " « " + texte + " » invalide (entier de " + std::to_string(minimum) +
                  " à " + std::to_string(maximum) + " attendu)");
        }
        return valeur;
    }

    // Secondes avec au plus trois décimales, « . » ou « , », rendues en millisecondes.
    std::int64_t instant(const std::string& texte) const {
        std::string entiere = texte;
        std::string decimales;
        if (const auto virgule = texte.find_first_of(".,"); virgule != std::string::npos) {
            entiere = texte.substr(0, virgule);
            decimales = texte.substr(virgule + 1);
        }
        const bool chiffres = !entiere.empty() && decimales.size() <= 3 &&
                              std::all_of(entiere.begin(), entiere.end(), chiffre) &&
                              std::all_of(decimales.begin(), decimales.end(), chiffre) &&
                              (texte.find_first_of(".,") == std::string::npos || !decimales.empty());
        if (!chiffres || entiere.size() > 9) {
            echec("instant « " + texte + " » invalide (secondes, au plus trois décimales)");
        }
        decimales.resize(3, '0');
        const auto ms = std::stoll(entiere) * 1000 + std::stoll(decimales);
        if (ms > instant_max_ms) echec("instant « " + texte + " » trop lointain");
        return ms;
    }

private:
    std::string_view nom_;
    int numero_;
};

int etat_ras(const Lecteur& l, const std::string& texte) {
    if (texte == "fin" || texte == "aucune") return etat_aucune_connexion;
    return static_cast<int>(l.entier(texte, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max(), "état"));
}

std::uint32_t etat_appel(const Lecteur& l, const std::string& texte) {
    if (texte == "libre") return etat_appel_libre;
    if (texte == "connecte") return etat_appel_connecte;
    if (texte == "en-cours" || texte == "acheminement") return etat_appel_acheminement;
    if (texte == "deconnecte") return etat_appel_deconnecte;
    return static_cast<std::uint32_t>(
        l.entier(texte, 0, std::numeric_limits<std::uint32_t>::max(), "état d'appel"));
}

}  // namespace

ScriptSimulation lire_script_simulation(std::istream& flux, std::string_view nom) {
    ScriptSimulation script;
    std::string ligne;
    int numero = 0;
    const auto telephonie = [&]() -> ConfigurationTelephonie& {
        if (!script.telephonie) script.telephonie = ConfigurationTelephonie{};
        return *script.telephonie;
    };
    while (std::getline(flux, ligne)) {
        ++numero;
        const Lecteur l(nom, numero);
        if (numero == 1 && ligne.starts_with("\xEF\xBB\xBF")) ligne.erase(0, 3);
        const auto m = l.mots(ligne);
        if (m.empty()) continue;
        const auto& premier = m[0];

        if (premier == "annuaire") {
            if (m.size() < 2) l.echec("« annuaire » attend au moins un nom d'entrée");
            for (std::size_t i = 1; i < m.size(); ++i) {
                if (m[i].empty()) l.echec("nom d'entrée vide");
                script.annuaire.push_back(m[i]);
            }
        } else if (premier == "adresse") {
            if (m.size() != 2) l.echec("« adresse » attend une adresse (\"\" pour aucune)");
            script.adresse = m[1];
        } else if (premier == "telephonie") {
            if (m.size() == 2 && m[1] == "absente") {
                telephonie() = ConfigurationTelephonie{};
            } else if (m.size() == 3 && m[1] == "lignes") {
                telephonie().disponible = true;
                telephonie().nb_lignes =
                    static_cast<std::uint32_t>(l.entier(m[2], 0, lignes_max, "nombre de lignes"));
            } else {
                l.echec("« telephonie absente » ou « telephonie lignes N » attendu");
            }
        } else if (premier == "ligne") {
            if (m.size() != 3) l.echec("« ligne N sans-version » ou « ligne N refusee » attendu");
            const auto indice = static_cast<std::uint32_t>(l.entier(m[1], 0, lignes_max - 1, "ligne"));
            if (m[2] == "sans-version") {
                telephonie().lignes_sans_version.insert(indice);
            } else if (m[2] == "refusee") {
                telephonie().lignes_refusees.insert(indice);
            } else {
                l.echec("« " + m[2] + " » inconnu (sans-version ou refusee)");
            }
        } else if (!premier.empty() && chiffre(premier[0])) {
            const auto ms = l.instant(premier);
            if (m.size() < 2) l.echec("« ras » ou « tapi » attendu après l'instant");
            if (m[1] == "ras") {
                if (m.size() != 4 && m.size() != 5) l.echec("« INSTANT ras ENTREE ETAT [ERREUR] » attendu");
                if (m[2].empty()) l.echec("nom d'entrée vide");
                const EtapeConnexion etape{
                    ms, etat_ras(l, m[3]),
                    m.size() == 5
                        ? static_cast<int>(l.entier(m[4], std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max(), "erreur"))
                        : 0};
                auto it =
                    std::find_if(script.connexions.begin(), script.connexions.end(),
                                 [&](const ScriptSimulation::Connexion& c) { return c.entree == m[2]; });
                if (it == script.connexions.end()) {
                    script.connexions.push_back({m[2], {}});
                    it = std::prev(script.connexions.end());
                }
                if (!it->etapes.empty() && it->etapes.back().ms > ms) {
                    l.echec("les instants de « " + m[2] + " » doivent aller croissant");
                }
                it->etapes.push_back(etape);
            } else if (m[1] == "tapi") {
                if (m.size() != 4 && m.size() != 6) l.echec("« INSTANT tapi APPEL ETAT [ligne N] » attendu");
                ScriptSimulation::EvenementAppel e;
                e.ms = ms;
                e.appel = static_cast<PoigneeTapi>(
                    l.entier(m[2], 1, std::numeric_limits<PoigneeTapi>::max(), "poignée d'appel"));
                e.etat = etat_appel(l, m[3]);
                if (m.size() == 6) {
                    if (m[4] != "ligne") l.echec("« ligne N » attendu après l'état de l'appel");
                    e.ligne = static_cast<std::uint32_t>(l.entier(m[5], 0, lignes_max - 1, "ligne"));
                }
                script.appels.push_back(e);
            } else {
                l.echec("« " + m[1] + " » inconnu (ras ou tapi)");
            }
        } else {
            l.echec("« " + premier + " » inconnu");
        }
    }
    std::stable_sort(script.appels.begin(), script.appels.end(),
                     [](const auto& a, const auto& b) { return a.ms < b.ms; });
    return script;
}

ScriptSimulation lire_script_simulation(const std::filesystem::path& chemin) {
    std::ifstream flux(chemin, std::ios::binary);
    if (!flux) throw ErreurScript("Script de simulation illisible : " + chemin.string());
    return lire_script_simulation(flux, chemin.filename().string());
}

void appliquer_script(const ScriptSimulation& script, AccesDistantScripte& acces,
                      TelephonieSimulee& telephonie, AdresseSimulee& adresse, Ordonnanceur& ordonnanceur) {
    const auto depart = ordonnanceur.maintenant();
    if (!script.annuaire.empty()) acces.definir_annuaire(script.annuaire);
    if (script.adresse) adresse.definir(*script.adresse);
    if (script.telephonie) telephonie.configurer(*script.telephonie);
    for (const auto& c : script.connexions) {
        auto etapes = c.etapes;
        for (auto& e : etapes) e.ms += depart;
        acces.ajouter_connexion(c.entree, std::move(etapes));
    }
    for (const auto& e : script.appels) {
        ordonnanceur.planifier(depart + e.ms,
                               [&telephonie, e] { telephonie.signaler(e.appel, e.etat, e.ligne); });
    }
}

}  // namespace lumi
