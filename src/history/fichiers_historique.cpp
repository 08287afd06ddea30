#include "history/fichiers_historique.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "base/decimal.hpp"
#include "base/descripteur.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"
#include "settings/dossier_donnees.hpp"
#include "settings/fichier_ini.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

// La sauvegarde ne montre pas plus que le fichier du mois qu'elle copie, ni plus qu'elle ne montrait.
fs::perms droits_sauvegarde(const fs::path& mois, const fs::path& sauvegarde) {
    std::error_code ec;
    const auto etat_mois = fs::status(mois, ec);
    fs::perms droits = ec ? droits_fichier_prive : etat_mois.permissions() & fs::perms::mask;
    const auto etat = fs::status(sauvegarde, ec);
    if (!ec && fs::exists(etat)) droits &= etat.permissions();
    return droits;
}

[[noreturn]] void echec_ecriture(const fs::path& chemin, int erreur) {
    throw ErreurFichier("Impossible d'écrire dans le fichier d'historique « " + chemin.string() +
                        " » : " + raison_erreur_fichier(erreur) + ".");
}

// Les lignes d'un fichier, sans leur fin de ligne ("\r\n" ou "\n").
std::vector<std::string> couper_lignes(const std::string& contenu) {
    std::vector<std::string> lignes;
    std::size_t debut = 0;
    while (debut < contenu.size()) {
        auto fin = contenu.find('\n', debut);
        const bool derniere = fin == std::string::npos;
        if (derniere) fin = contenu.size();
        std::string ligne = contenu.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
        lignes.push_back(std::move(ligne));
        debut = fin + 1;
    }
    return lignes;
}

// Longueur en octets du caractère UTF-8 qui commence en `pos` (1 pour un octet isolé).
std::size_t longueur_caractere(std::string_view t, std::size_t pos) {
    const auto b = static_cast<unsigned char>(t[pos]);
    std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (pos + n > t.size()) n = 1;
    return n;
}

// Marque ou démarque une ligne (UTF-8) : le caractère cherché le plus tard, avant le dernier
// caractère, et qui n'est pas suivi de l'autre, est remplacé.
std::string changer_marque(const std::string& ligne, bool restaurer) {
    const std::string_view cherche = restaurer ? marque_efface : marque_vivant;
    const std::string_view autre = restaurer ? marque_vivant : marque_efface;
    const std::string_view remplacement = restaurer ? marque_vivant : marque_efface;

    std::vector<std::size_t> debuts;
    for (std::size_t i = 0; i < ligne.size(); i += longueur_caractere(ligne, i)) debuts.push_back(i);
    std::size_t position = std::string::npos;
    bool rencontre = false;
    for (std::size_t k = 0; k + 1 < debuts.size(); ++k) {
        const std::string_view c = std::string_view(ligne).substr(debuts[k], debuts[k + 1] - debuts[k]);
        if (c == cherche) {
            position = debuts[k];
            rencontre = true;
        } else if (c == autre) {
            position = std::string::npos;
            rencontre = true;
        }
    }
    std::string resultat = ligne;
    if (position != std::string::npos) {
        resultat.replace(position, cherche.size(), remplacement);
    } else if (!rencontre && !restaurer) {
        // Une ligne sans marque reçoit un champ de marque effacée.
        resultat += std::string(marque_efface) + ";";
    }
    return resultat;
}

}  // namespace

std::string entete_historique(std::string_view nom_du_mois, int annee, std::string_view texte_tva) {
    return std::string(entete_historique_1) + "\r\n" + std::string(entete_historique_2) + "\r\n" +
           std::string(nom_du_mois) + " " + std::to_string(annee) + "\r\n" +
           "tva : " + std::string(texte_tva) + "\r\n" + "\r\n";
}

std::string texte_tva_historique(const fs::path& fichier_tarifs, char separateur_decimal) {
    const FichierIni tarifs(fichier_tarifs);
    std::string texte = tarifs.lire("TVA", "taux");
    if (const auto v = texte.find(','); v != std::string::npos) texte[v] = separateur_decimal;
    if (const auto p = texte.find('.'); p != std::string::npos) texte[p] = separateur_decimal;
    return texte;
}

namespace {

// Lit au plus `n` octets à partir de `position` ; moins s'il n'y en a pas autant.
std::string lire_a_partir_de(int fd, off_t position, std::size_t n, const fs::path& chemin) {
    std::string octets(n, '\0');
    std::size_t lus = 0;
    while (lus < n) {
        const ssize_t r = ::pread(fd, octets.data() + lus, n - lus, position + static_cast<off_t>(lus));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) echec_ecriture(chemin, errno);
        if (r == 0) break;
        lus += static_cast<std::size_t>(r);
    }
    octets.resize(lus);
    return octets;
}

}  // namespace

bool ajouter_ligne_historique(const fs::path& chemin, std::string_view ligne,
                              const std::function<std::string()>& entete,
                              std::optional<std::int64_t> position) {
    // Ouvert en ajout : chaque write() va au bout du fichier, même si un autre processus y écrit.
    Descripteur fd(ouvrir_ou_creer_prive(chemin, O_RDWR | O_APPEND));
    if (fd.get() < 0) echec_ecriture(chemin, errno);
    struct stat etat {};
    if (::fstat(fd.get(), &etat) != 0) echec_ecriture(chemin, errno);
    if (S_ISDIR(etat.st_mode)) echec_ecriture(chemin, EISDIR);
    const off_t taille = etat.st_size;
    const std::string octets_ligne = utf8_vers_cp1252(ligne) + "\r\n";

    // Un ajout interrompu après son write() a laissé la ligne entière après `position`, derrière
    // l'en-tête d'un fichier neuf ou la fin de ligne d'une ligne coupée.
    if (position && *position >= 0 && *position < taille) {
        const std::size_t marge = 1024;  // plus long que l'en-tête et la fin de ligne ajoutée
        const std::string suite =
            lire_a_partir_de(fd.get(), static_cast<off_t>(*position), octets_ligne.size() + marge, chemin);
        for (std::size_t p = suite.find(octets_ligne); p != std::string::npos;
             p = suite.find(octets_ligne, p + 1)) {
            if (p == 0 || suite[p - 1] == '\n') return false;
        }
    }

    std::string bloc;
    if (taille == 0) {
        // Fichier neuf, ou créé puis interrompu avant d'être écrit : il reçoit son en-tête.
        bloc = utf8_vers_cp1252(entete());
    } else {
        // Une ligne coupée par un arrêt brutal reste seule sur sa ligne.
        if (lire_a_partir_de(fd.get(), taille - 1, 1, chemin) != "\n") bloc = "\r\n";
    }
    bloc += octets_ligne;

    // Un seul write() en temps normal ; un write() partiel (disque plein) est poursuivi, et tout
    // échec ramène le fichier à sa taille d'avant, sans ligne coupée.
    std::size_t ecrit = 0;
    int erreur = 0;
    while (ecrit < bloc.size()) {
        const ssize_t n = ::write(fd.get(), bloc.data() + ecrit, bloc.size() - ecrit);
        if (n < 0) {
            if (errno == EINTR) continue;
            erreur = errno;
            break;
        }
        if (n == 0) {
            erreur = ENOSPC;
            break;
        }
        ecrit += static_cast<std::size_t>(n);
    }
    if (erreur == 0 && ::fsync(fd.get()) != 0) erreur = errno;
    if (erreur != 0) {
        if (taille == 0) {
            // Un fichier vide ne garde rien : il n'est pas laissé derrière un premier ajout raté.
            ::unlink(chemin.c_str());
        } else if (ecrit > 0 && ::ftruncate(fd.get(), taille) == 0) {
            ::fsync(fd.get());
        }
        echec_ecriture(chemin, erreur);
    }
    if (const int e = fd.fermer(); e != 0) echec_ecriture(chemin, e);
    // Le nom d'un fichier neuf doit lui aussi survivre à une coupure.
    if (taille == 0) synchroniser_dossier(chemin.parent_path());
    return true;
}

EcrivainHistorique::EcrivainHistorique(fs::path dossier_donnees, char separateur_decimal)
    : dossier_donnees_(std::move(dossier_donnees)), separateur_decimal_(separateur_decimal) {}

fs::path EcrivainHistorique::dossier_historique() const {
    return dossier_donnees_ / lumi::dossier_historique;
}

fs::path EcrivainHistorique::fichier_du_mois(NumeroJour jour, std::string* mois, int* annee) const {
    const auto date = date_du_jour(jour);
    const int a = static_cast<int>(date.year());
    const auto nom = nom_fichier_historique(static_cast<unsigned>(date.month()), a);
    if (mois) *mois = nom.mois;
    if (annee) *annee = a;
    return dossier_historique() / chemin_utf8(nom.fichier);
}

std::string EcrivainHistorique::get_donnees_a_enregistrer(const DonneesConnexion& donnees) {
    std::string ligne = lumi::get_donnees_a_enregistrer(donnees);
    texte_derniere_duree_ = champs_ligne(ligne)[4];
    return ligne;
}

std::int64_t EcrivainHistorique::position_fin(NumeroJour jour) const {
    struct stat etat {};
    if (::stat(fichier_du_mois(jour).c_str(), &etat) != 0 || !S_ISREG(etat.st_mode)) return 0;
    return etat.st_size;
}

bool EcrivainHistorique::enregistrement_dans_historique(std::string_view ligne, Moment debut,
                                                        std::optional<std::int64_t> position) {
    // Le même enregistrement proposé deux fois n'est écrit qu'une fois.
    if (ligne == derniere_ligne_ && debut.seconde == derniere_seconde_) return false;

    std::string mois;
    int annee = 0;
    const fs::path fichier = fichier_du_mois(debut.jour, &mois, &annee);

    if (texte_derniere_duree_ == "00:00:00") texte_derniere_duree_ = "00:00:01";

    // Le dossier disparu depuis le démarrage est recréé.
    const fs::path dossier = dossier_historique();
    std::error_code ec;
    if (!fs::is_directory(dossier, ec)) {
        ec = creer_dossiers_prives(dossier);
        if (ec) echec_ecriture(fichier, ec.value());
        synchroniser_dossier(dossier_donnees_);
    }
    const bool ajoutee = ajouter_ligne_historique(
        fichier, ligne,
        [&] {
            return entete_historique(
                mois, annee, texte_tva_historique(dossier_donnees_ / fichier_tarifs, separateur_decimal_));
        },
        position);
    // Gardé seulement une fois écrit : un nouvel essai après un échec n'est pas pris pour un doublon.
    derniere_ligne_ = std::string(ligne);
    derniere_seconde_ = debut.seconde;
    return ajoutee;
}

bool modifier_ligne_historique(ActionLigne action, std::int32_t numero, const fs::path& dossier,
                               const std::string& nom_fichier, std::string* erreur,
                               const std::function<void(EtapeReecriture)>& point_arret) {
    const fs::path chemin = dossier / chemin_utf8(nom_fichier);
    const auto signaler = [&](std::string texte) {
        if (erreur) *erreur = std::move(texte);
        return false;
    };
    const auto ancien = lire_fichier(chemin);
    if (!ancien) return signaler("Le fichier d'historique « " + chemin.string() + " » ne peut être lu.");

    auto lignes = couper_lignes(*ancien);
    const std::int64_t cible = std::int64_t{numero} + lignes_entete_historique - 1;  // indice de 0
    if (numero < 1 || cible >= static_cast<std::int64_t>(lignes.size())) {
        return signaler("L'enregistrement " + std::to_string(numero) + " n'existe pas dans le fichier « " +
                        chemin.string() + " ».");
    }
    const auto i = static_cast<std::size_t>(cible);
    if (action == ActionLigne::oter) {
        lignes.erase(lignes.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
        // Un fichier récrit en UTF-8 garde son codage ; sinon Windows-1252, à l'octet près.
        const bool utf8 = !est_ascii(*ancien) && est_utf8_valide(*ancien);
        const std::string texte = utf8 ? lignes[i] : cp1252_vers_utf8(lignes[i]);
        const std::string change = changer_marque(texte, action == ActionLigne::restaurer);
        lignes[i] = utf8 ? change : utf8_vers_cp1252(change);
    }
    std::string nouveau;
    nouveau.reserve(ancien->size() + 8);
    for (const auto& ligne : lignes) nouveau += ligne + "\r\n";

    try {
        // L'ancien contenu d'abord dans "historique.bak", puis le nouveau remplace le fichier du mois
        // d'un seul renommage : à tout instant le fichier du mois est entier.
        const fs::path sauvegarde = dossier / std::string(nom_sauvegarde_historique);
        remplacer_fichier(sauvegarde, *ancien, {}, droits_sauvegarde(chemin, sauvegarde));
        if (point_arret) point_arret(EtapeReecriture::sauvegarde_ecrite);
        remplacer_fichier(chemin, nouveau, [&](EtapeRemplacement etape) {
            if (!point_arret) return;
            point_arret(etape == EtapeRemplacement::temporaire_vide ? EtapeReecriture::temporaire_ecrit
                                                                    : EtapeReecriture::fichier_remplace);
        });
    } catch (const ErreurFichier& e) {
        return signaler(e.what());
    }
    return true;
}

bool rapatrier_fichiers_historique(const fs::path& dossier_programme, const fs::path& dossier_historique) {
    std::error_code ec;
    fs::directory_iterator it(dossier_programme, ec);
    if (ec) return false;
    bool deplace = false;
    std::optional<std::string> premiere_erreur;
    for (const auto& entree : it) {
        const std::string nom = entree.path().filename().string();
        if (nom.size() < 4 || !egal_sans_casse(nom.substr(nom.size() - 4), ".fct")) continue;
        std::error_code e;
        if (!entree.is_regular_file(e)) continue;
        // Les noms des éditions précédentes sont en Windows-1252 ("février00.fct" sur un octet).
        const std::string nom_utf8 = est_utf8_valide(nom) ? nom : cp1252_vers_utf8(nom);
        const fs::path destination = dossier_historique / chemin_utf8(nom_utf8);
        fs::remove(destination, e);
        e.clear();
        fs::rename(entree.path(), destination, e);
        if (e == std::errc::cross_device_link) {
            e.clear();
            fs::copy_file(entree.path(), destination, fs::copy_options::overwrite_existing, e);
            if (!e) fs::remove(entree.path(), e);
        }
        if (e) {
            if (!premiere_erreur) {
                premiere_erreur = "Impossible de ranger le fichier « " + entree.path().string() +
                                  " » dans « " + dossier_historique.string() +
                                  " » : " + raison_erreur_fichier(e.value()) + ".";
            }
            continue;
        }
        deplace = true;
    }
    if (deplace) {
        try {
            synchroniser_dossier(dossier_historique);
        } catch (const ErreurFichier& e) {
            if (!premiere_erreur) premiere_erreur = e.what();
        }
    }
    if (premiere_erreur) throw ErreurFichier(*premiere_erreur);
    return deplace;
}

InventaireHistorique::InventaireHistorique(const fs::path& dossier) {
    std::error_code ec;
    for (fs::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        const auto m = mois_du_fichier_historique(nom);
        if (!m) continue;
        std::error_code e;
        if (it->is_directory(e)) continue;
        mois_[{m->annee, m->mois}].push_back(it->path());
    }
    for (auto& [cle, fichiers] : mois_) {
        const std::string utf8 = MoisDuFichier{cle.second, cle.first}.nom_utf8();
        std::sort(fichiers.begin(), fichiers.end(), [&](const fs::path& a, const fs::path& b) {
            const bool a_utf8 = a.filename().string() == utf8;
            const bool b_utf8 = b.filename().string() == utf8;
            if (a_utf8 != b_utf8) return b_utf8;
            return a.filename().string() < b.filename().string();
        });
    }
}

const std::vector<fs::path>& InventaireHistorique::fichiers(unsigned mois, int annee) const {
    return fichiers(mois, annee_fichier_historique(annee));
}

const std::vector<fs::path>& InventaireHistorique::fichiers(unsigned mois, const std::string& annee) const {
    static const std::vector<fs::path> aucun;
    const auto it = mois_.find({annee, mois});
    return it == mois_.end() ? aucun : it->second;
}

std::vector<std::pair<unsigned, std::string>> InventaireHistorique::mois_presents() const {
    std::vector<std::pair<unsigned, std::string>> presents;
    for (const auto& [cle, fichiers] : mois_) presents.emplace_back(cle.second, cle.first);
    return presents;
}

std::optional<EnregistrementSitue> situer_enregistrement(const fs::path& dossier, unsigned mois, int annee,
                                                         std::int32_t numero) {
    if (numero < 1) return std::nullopt;
    const InventaireHistorique inventaire(dossier);
    for (const auto& chemin : inventaire.fichiers(mois, annee)) {
        const auto lu = lire_fichier_historique(chemin);
        if (!lu) continue;
        const auto nb = static_cast<std::int32_t>(lu->nb_enregistrements());
        if (numero <= nb) return EnregistrementSitue{chemin, numero};
        numero -= nb;
    }
    return std::nullopt;
}

std::string_view FichierHistoriqueLu::ligne(std::size_t indice) const {
    if (indice >= lignes_.size()) return {};
    return std::string_view(texte_).substr(lignes_[indice].first, lignes_[indice].second);
}

std::vector<std::string> FichierHistoriqueLu::enregistrements() const {
    std::vector<std::string> lignes;
    for (std::size_t n = 1; n <= nb_enregistrements(); ++n) lignes.emplace_back(enregistrement(n));
    return lignes;
}

namespace {

// Les lignes non blanches d'après l'en-tête, les unités du texte lues par `unite` : "\r\n", "\n" et
// "\r" seul finissent chacun une ligne.
template <typename Unite>
int lignes_apres_entete(std::size_t nb_unites, Unite unite) {
    int ligne = 1, comptees = 0;
    bool garnie = false;
    for (std::size_t i = 0; i < nb_unites; ++i) {
        const char32_t c = unite(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < nb_unites && unite(i + 1) == '\n') ++i;
            if (ligne > lignes_entete_historique && garnie) ++comptees;
            ++ligne;
            garnie = false;
        } else if (c != ' ' && c != '\t') {
            garnie = true;
        }
    }
    if (ligne > lignes_entete_historique && garnie) ++comptees;
    return comptees;
}

}  // namespace

std::optional<FichierHistoriqueIllisible> fichier_historique_illisible(std::string_view octets) {
    const auto o = [&](std::size_t i) { return static_cast<unsigned char>(octets[i]); };
    // UTF-16 : sa marque, ou du texte ASCII dont un octet sur deux est nul.
    const bool marque_le = octets.size() >= 2 && o(0) == 0xFF && o(1) == 0xFE;
    const bool marque_be = octets.size() >= 2 && o(0) == 0xFE && o(1) == 0xFF;
    const bool sans_marque_le = octets.size() >= 4 && o(0) != 0 && o(1) == 0 && o(2) != 0 && o(3) == 0;
    const bool sans_marque_be = octets.size() >= 4 && o(0) == 0 && o(1) != 0 && o(2) == 0 && o(3) != 0;
    if (marque_le || marque_be || sans_marque_le || sans_marque_be) {
        const bool gros_boutiste = marque_be || sans_marque_be;
        const std::size_t debut = marque_le || marque_be ? 2 : 0;
        const std::size_t nb = (octets.size() - debut) / 2;
        const auto unite = [&](std::size_t i) {
            const std::size_t k = debut + 2 * i;
            return static_cast<char32_t>(gros_boutiste ? o(k) << 8 | o(k + 1) : o(k + 1) << 8 | o(k));
        };
        return FichierHistoriqueIllisible{"fichier codé en UTF-16", lignes_apres_entete(nb, unite)};
    }
    // Aucun "\n" mais des retours chariot entre les lignes. Seule la première ligne d'un fichier
    // ordinaire est parcourue.
    if (octets.find('\n') != std::string_view::npos) return std::nullopt;
    const auto cr = octets.find('\r');
    if (cr == std::string_view::npos || cr + 1 == octets.size()) return std::nullopt;
    const auto unite = [&](std::size_t i) { return static_cast<char32_t>(o(i)); };
    return FichierHistoriqueIllisible{"lignes séparées par des retours chariot seuls",
                                      lignes_apres_entete(octets.size(), unite)};
}

std::optional<FichierHistoriqueLu> lire_fichier_historique(const fs::path& chemin) {
    auto octets = lire_fichier(chemin);
    if (!octets) return std::nullopt;
    FichierHistoriqueLu lu;
    lu.texte_ = decoder_fichier_texte(std::move(*octets));
    const std::string_view texte = lu.texte_;
    lu.lignes_.reserve(texte.size() / 64 + 8);
    std::size_t debut = 0;
    while (debut < texte.size()) {
        auto fin = texte.find('\n', debut);
        if (fin == std::string_view::npos) fin = texte.size();
        std::size_t longueur = fin - debut;
        if (longueur > 0 && texte[debut + longueur - 1] == '\r') --longueur;
        lu.lignes_.emplace_back(debut, longueur);
        debut = fin + 1;
    }
    return lu;
}

}  // namespace lumi
