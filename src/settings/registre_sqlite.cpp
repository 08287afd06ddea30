#include "settings/registre_sqlite.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/descripteur.hpp"
#include "base/erreurs.hpp"
#include "base/fichiers.hpp"
#include "base/texte.hpp"

namespace lumi {

namespace fs = std::filesystem;

namespace {

// Délai pendant lequel une opération attend qu'un autre processus libère la base.
constexpr int delai_attente_ms = 5000;

// La place tenue d'avance à côté de la base (fichier "-reserve") : quand le disque est plein, elle
// est rendue, et la fin d'une connexion peut encore s'écrire. Assez pour le -shm et un journal.
constexpr off_t taille_reserve = 256 * 1024;

// Le schéma : la racine a l'identifiant 0 et n'a pas de ligne ; les noms sont gardés tels
// qu'écrits et comparés par leur forme pliée. L'identifiant donne l'ordre de création.
constexpr const char* schema =
    "CREATE TABLE IF NOT EXISTS cles("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER NOT NULL,"
    "  nom TEXT NOT NULL,"
    "  nom_plie TEXT NOT NULL,"
    "  UNIQUE(parent, nom_plie));"
    "CREATE TABLE IF NOT EXISTS valeurs("
    "  id INTEGER PRIMARY KEY,"
    "  cle INTEGER NOT NULL,"
    "  nom TEXT NOT NULL,"
    "  nom_plie TEXT NOT NULL,"
    "  texte TEXT NOT NULL,"
    "  UNIQUE(cle, nom_plie));";

constexpr const char* sql_chercher_cle = "SELECT id FROM cles WHERE parent = ?1 AND nom_plie = ?2";
constexpr const char* sql_inserer_cle = "INSERT INTO cles(parent, nom, nom_plie) VALUES(?1, ?2, ?3)";
constexpr const char* sql_lire_valeur = "SELECT texte FROM valeurs WHERE cle = ?1 AND nom_plie = ?2";
constexpr const char* sql_ecrire_valeur =
    "INSERT INTO valeurs(cle, nom, nom_plie, texte) VALUES(?1, ?2, ?3, ?4)"
    " ON CONFLICT(cle, nom_plie) DO UPDATE SET texte = excluded.texte";
constexpr const char* sql_effacer_valeur = "DELETE FROM valeurs WHERE cle = ?1 AND nom_plie = ?2";
constexpr const char* sql_lister_sous_cles = "SELECT nom FROM cles WHERE parent = ?1 ORDER BY id";
constexpr const char* sql_lister_valeurs = "SELECT nom FROM valeurs WHERE cle = ?1 ORDER BY id";
constexpr const char* sql_a_sous_cle = "SELECT 1 FROM cles WHERE parent = ?1 LIMIT 1";
constexpr const char* sql_effacer_valeurs_cle = "DELETE FROM valeurs WHERE cle = ?1";
constexpr const char* sql_effacer_cle = "DELETE FROM cles WHERE id = ?1";

// Préparées à l'ouverture : une base dont le schéma ne s'y prête pas n'est pas la nôtre.
constexpr const char* instructions_courantes[] = {
    sql_chercher_cle,     sql_inserer_cle,    sql_lire_valeur, sql_ecrire_valeur,       sql_effacer_valeur,
    sql_lister_sous_cles, sql_lister_valeurs, sql_a_sous_cle,  sql_effacer_valeurs_cle, sql_effacer_cle,
};

constexpr std::int64_t id_racine = 0;

struct FermerBase {
    void operator()(sqlite3* base) const { sqlite3_close_v2(base); }
};
using Base = std::unique_ptr<sqlite3, FermerBase>;

struct FinaliserInstruction {
    void operator()(sqlite3_stmt* instruction) const { sqlite3_finalize(instruction); }
};
using Instruction = std::unique_ptr<sqlite3_stmt, FinaliserInstruction>;

// Erreur interne : le code de SQLite décide si le fichier est illisible ou seulement inaccessible.
// L'errno du système est gardé : un disque plein se cache souvent derrière une « erreur
// d'entrée-sortie » de SQLite (journal -shm qui ne peut grandir).
class ErreurSqlite : public std::runtime_error {
public:
    ErreurSqlite(int code, const std::string& message, int errno_systeme = 0)
        : std::runtime_error(message), code_(code), errno_(errno_systeme) {}
    int code() const { return code_; }
    int code_primaire() const { return code_ & 0xff; }
    int errno_systeme() const { return errno_; }
    // La place manque : le disque (ou le quota) est plein.
    bool manque_de_place() const {
        return code_primaire() == SQLITE_FULL || errno_ == ENOSPC || errno_ == EDQUOT;
    }

private:
    int code_;
    int errno_;
};

[[noreturn]] void lever(sqlite3* base, int code) {
    throw ErreurSqlite(code, base != nullptr ? sqlite3_errmsg(base) : sqlite3_errstr(code),
                       base != nullptr ? sqlite3_system_errno(base) : 0);
}

// Une instruction en cours d'usage ; remise à zéro en sortie pour ne garder aucun verrou de lecture.
class Requete {
public:
    Requete(sqlite3* base, sqlite3_stmt* instruction) : base_(base), instruction_(instruction) {}
    ~Requete() {
        sqlite3_reset(instruction_);
        sqlite3_clear_bindings(instruction_);
    }
    Requete(const Requete&) = delete;
    Requete& operator=(const Requete&) = delete;

    Requete& lier(int indice, std::string_view texte) {
        verifier(sqlite3_bind_text64(instruction_, indice, texte.data(), texte.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8));
        return *this;
    }
    Requete& lier(int indice, std::int64_t nombre) {
        verifier(sqlite3_bind_int64(instruction_, indice, nombre));
        return *this;
    }
    // Vrai tant qu'une ligne est disponible.
    bool avancer() {
        const int code = sqlite3_step(instruction_);
        if (code == SQLITE_ROW) return true;
        if (code == SQLITE_DONE) return false;
        lever(base_, sqlite3_extended_errcode(base_));
    }
    std::int64_t entier(int colonne) const { return sqlite3_column_int64(instruction_, colonne); }
    std::string texte(int colonne) const {
        const auto* octets = reinterpret_cast<const char*>(sqlite3_column_text(instruction_, colonne));
        const int taille = sqlite3_column_bytes(instruction_, colonne);
        return octets != nullptr ? std::string(octets, static_cast<std::size_t>(taille)) : std::string();
    }

private:
    void verifier(int code) {
        if (code != SQLITE_OK) lever(base_, code);
    }
    sqlite3* base_;
    sqlite3_stmt* instruction_;
};

// À l'ouverture, une erreur qui ne vient ni de l'accès au fichier (droits, verrou, disque) ni de
// la mémoire dit que son contenu n'est pas une base utilisable.
bool est_illisible(int code) {
    switch (code & 0xff) {
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
        case SQLITE_ERROR:
            return true;
        default:
            return false;
    }
}

// Un fichier non vide dont l'en-tête de 100 octets n'est pas celui de SQLite est écarté avant
// que SQLite ne l'ouvre : il ne touche ainsi ni au fichier ni à son journal -wal.
bool entete_invalide(const fs::path& fichier) {
    std::ifstream f(fichier, std::ios::binary);
    if (!f) return false;  // illisible par nous : SQLite dira pourquoi
    char entete[100];
    f.read(entete, sizeof entete);
    const auto lus = f.gcount();
    if (lus == 0) return false;  // fichier vide : une base neuve
    constexpr std::string_view magique("SQLite format 3\0", 16);
    return lus < static_cast<std::streamsize>(sizeof entete) ||
           std::string_view(entete, magique.size()) != magique;
}

// Les causes qu'un utilisateur peut comprendre ; les autres gardent le texte de SQLite.
std::string raison_francaise(const ErreurSqlite& e) {
    if (e.errno_systeme() == ENOSPC || e.errno_systeme() == EDQUOT)
        return raison_erreur_fichier(e.errno_systeme());
    const std::string message = e.what();
    switch (e.code_primaire()) {
        case SQLITE_CANTOPEN:
            return "le fichier ne peut être ni ouvert ni créé";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "la base reste occupée par un autre programme";
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return "accès refusé";
        case SQLITE_FULL:
            return "disque plein";
        case SQLITE_IOERR:
            return "erreur d'entrée-sortie";
        case SQLITE_NOMEM:
            return "mémoire insuffisante";
        default:
            return message;
    }
}

std::string horodatage() {
    const std::time_t maintenant = std::time(nullptr);
    std::tm local{};
    localtime_r(&maintenant, &local);
    char tampon[32];
    std::strftime(tampon, sizeof tampon, "%Y%m%d-%H%M%S", &local);
    return tampon;
}

fs::path avec_suffixe(const fs::path& chemin, std::string_view suffixe) {
    fs::path resultat = chemin;
    resultat += std::string(suffixe);
    return resultat;
}

// Un chemin dans une URI « file: » : « % », « ? » et « # » y ont un sens, ils sont échappés.
std::string encoder_uri(const std::string& chemin) {
    std::string uri;
    for (const char c : chemin) {
        if (c == '%' || c == '?' || c == '#') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            uri += code;
        } else {
            uri += c;
        }
    }
    return uri;
}

bool existe(const fs::path& chemin) {
    std::error_code ec;
    return fs::symlink_status(chemin, ec).type() != fs::file_type::not_found && !ec;
}

}  // namespace

struct RegistreSqlite::Impl {
    enum class Ouverture { reussie, illisible };

    fs::path fichier;
    Base base;
    bool manque_de_place_a_l_ouverture = false;
    std::unordered_map<std::string_view, Instruction> instructions;
    int profondeur_transaction = 0;
    bool echec_dans_transaction = false;

    void fermer() {
        instructions.clear();
        base.reset();
    }

    // Referme une base jugée illisible sans point de contrôle : son journal -wal reste tel quel,
    // pour être mis de côté avec elle.
    void fermer_sans_toucher() {
        if (base) sqlite3_db_config(base.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        fermer();
    }

    void executer(const char* sql) {
        char* message = nullptr;
        const int code = sqlite3_exec(base.get(), sql, nullptr, nullptr, &message);
        if (code != SQLITE_OK) {
            std::string texte = message != nullptr ? message : sqlite3_errstr(code);
            sqlite3_free(message);
            throw ErreurSqlite(sqlite3_extended_errcode(base.get()), texte, sqlite3_system_errno(base.get()));
        }
    }

    // Les lignes d'un PRAGMA qui rend du texte (quick_check, integrity_check).
    std::string lignes_pragma(const char* sql) {
        sqlite3_stmt* brute = nullptr;
        const int code = sqlite3_prepare_v2(base.get(), sql, -1, &brute, nullptr);
        Instruction instruction(brute);
        if (code != SQLITE_OK) lever(base.get(), sqlite3_extended_errcode(base.get()));
        Requete requete(base.get(), instruction.get());
        std::string lignes;
        while (requete.avancer()) {
            if (!lignes.empty()) lignes += '\n';
            lignes += requete.texte(0);
        }
        return lignes;
    }

    sqlite3_stmt* instruction(const char* sql) {
        auto& place = instructions[sql];
        if (!place) {
            sqlite3_stmt* brute = nullptr;
            const int code =
                sqlite3_prepare_v3(base.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &brute, nullptr);
            if (code != SQLITE_OK) {
                instructions.erase(sql);
                lever(base.get(), sqlite3_extended_errcode(base.get()));
            }
            place.reset(brute);
        }
        return place.get();
    }

    void preparer_tout() {
        for (const char* sql : instructions_courantes) instruction(sql);
    }

    Requete requete(const char* sql) { return Requete(base.get(), instruction(sql)); }

    fs::path reserve() const { return avec_suffixe(fichier, "-reserve"); }

    // La réserve est remise à sa taille quand la place le permet ; sinon rien n'est tenu, pour ne
    // pas prendre au disque ses derniers octets.
    void garnir_reserve() const {
        const Descripteur fd(ouvrir_ou_creer_prive(reserve(), O_RDWR));
        if (fd.get() < 0) return;
        struct stat etat {};
        if (::fstat(fd.get(), &etat) != 0) return;
        if (etat.st_size >= taille_reserve && etat.st_blocks * 512 >= taille_reserve) return;
        if (::posix_fallocate(fd.get(), 0, taille_reserve) != 0) {
            [[maybe_unused]] const int ignore = ::ftruncate(fd.get(), 0);
        }
    }

    // Rend la place de la réserve au disque ; faux s'il n'y avait rien à rendre.
    bool liberer_reserve() const {
        std::error_code ec;
        const auto taille = fs::file_size(reserve(), ec);
        if (ec || taille == 0) return false;
        return fs::remove(reserve(), ec) && !ec;
    }

    // Le journal -wal ne peut plus grandir : un point de contrôle recopie ses pages dans la base, et
    // l'écriture suivante le reprend à son début, dans la place qu'il occupe déjà. Faux si rien
    // n'a pu être libéré ainsi.
    bool faire_place() {
        int pages_journal = 0;
        int pages_recopiees = 0;
        const int code = sqlite3_wal_checkpoint_v2(base.get(), nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                                   &pages_journal, &pages_recopiees);
        return code == SQLITE_OK && pages_journal > 0 && pages_recopiees == pages_journal;
    }

    // Une base vide en mémoire, au schéma des réglages : la lecture d'un dossier sans base (ou à
    // la base illisible) rend les valeurs par défaut sans rien créer ni déplacer.
    void ouvrir_vide_en_memoire() {
        fermer();
        sqlite3* brute = nullptr;
        const int code = sqlite3_open_v2(":memory:", &brute, SQLITE_OPEN_READWRITE, nullptr);
        base.reset(brute);
        if (code != SQLITE_OK) lever(base.get(), code);
        executer(schema);
        preparer_tout();
    }

    // Ouverture pour lire seulement : rien n'est créé, converti ni mis de côté. En temps normal,
    // l'ouverture ordinaire (qui range le journal en se fermant, sans laisser de -wal ni de -shm) ;
    // quand elle échoue (disque plein : le -shm ne peut prendre sa taille ; disque en lecture seule),
    // SQLite en lecture seule, et si le journal -wal est vide ou absent, la base seule, qui dit
    // tout (immutable : aucun autre processus ne peut alors écrire non plus, faute de la même place).
    Ouverture ouvrir_en_lecture() {
        fermer();
        std::error_code ec;
        if (!existe(fichier) ||
            (fs::is_regular_file(fichier, ec) && fs::file_size(fichier, ec) == 0 && !ec)) {
            ouvrir_vide_en_memoire();
            return Ouverture::reussie;
        }
        if (entete_invalide(fichier)) return Ouverture::illisible;
        try {
            return ouvrir();
        } catch (const ErreurFichier&) {
            // la lecture seule ci-dessous dit sa propre cause si elle échoue aussi
        }
        const auto essayer = [this](bool immuable) {
            fermer();
            std::string nom = fichier.string();
            int drapeaux = SQLITE_OPEN_READONLY;
            if (immuable) {
                nom = "file:" + encoder_uri(fs::absolute(fichier).string()) + "?immutable=1";
                drapeaux |= SQLITE_OPEN_URI;
            }
            sqlite3* brute = nullptr;
            const int code = sqlite3_open_v2(nom.c_str(), &brute, drapeaux, nullptr);
            base.reset(brute);
            if (code != SQLITE_OK) lever(base.get(), code);
            sqlite3_extended_result_codes(base.get(), 1);
            sqlite3_busy_timeout(base.get(), delai_attente_ms);
            if (lignes_pragma("PRAGMA quick_check") != "ok") return Ouverture::illisible;
            if (lignes_pragma("SELECT count(*) FROM sqlite_master") == "0") {
                ouvrir_vide_en_memoire();  // base créée mais jamais remplie
                return Ouverture::reussie;
            }
            preparer_tout();
            return Ouverture::reussie;
        };
        try {
            try {
                return essayer(false);
            } catch (const ErreurSqlite& e) {
                std::error_code ec;
                const auto taille_wal = fs::file_size(avec_suffixe(fichier, "-wal"), ec);
                if (!e.manque_de_place() || (!ec && taille_wal > 0)) throw;
                return essayer(true);
            }
        } catch (const ErreurSqlite& e) {
            if (est_illisible(e.code())) return Ouverture::illisible;
            throw ErreurFichier("Impossible d'ouvrir la base de réglages « " + fichier.string() +
                                " » : " + raison_francaise(e) + ".");
        }
    }

    Ouverture ouvrir() {
        fermer();
        if (entete_invalide(fichier)) return Ouverture::illisible;
        // Une base neuve est privée, et ses journaux -wal et -shm avec elle : SQLite leur donne les
        // droits de la base. Seul un fichier absent est ouvert ici (fermer un descripteur de la base
        // lèverait les verrous que ce processus y tient).
        if (!existe(fichier)) {
            const Descripteur neuve(
                ouvrir_ou_creer_prive(fichier, O_RDWR));  // en échec, SQLite dira pourquoi
        }
        sqlite3* brute = nullptr;
        const int code =
            sqlite3_open_v2(fichier.c_str(), &brute, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        base.reset(brute);  // une poignée est rendue même en cas d'échec : elle doit être fermée
        try {
            if (code != SQLITE_OK) lever(base.get(), code);
            sqlite3_extended_result_codes(base.get(), 1);
            sqlite3_busy_timeout(base.get(), delai_attente_ms);
            // Lectures d'abord : une base abîmée ou étrangère est écartée sans avoir été modifiée.
            if (lignes_pragma("PRAGMA quick_check") != "ok") return Ouverture::illisible;
            const bool neuve = lignes_pragma("SELECT count(*) FROM sqlite_master") == "0";
            // Tables d'un autre schéma : ce n'est pas une base de réglages (la préparation échoue).
            if (!neuve) preparer_tout();
            executer("PRAGMA journal_mode=WAL");
            // En WAL, NORMAL ne perd au pire que les dernières transactions lors d'une coupure,
            // jamais la cohérence ; les écritures qui doivent survivre passent en FULL.
            executer("PRAGMA synchronous=NORMAL");
            if (neuve) {
                executer("BEGIN IMMEDIATE");
                try {
                    executer(schema);
                    executer("COMMIT");
                } catch (...) {
                    sqlite3_exec(base.get(), "ROLLBACK", nullptr, nullptr, nullptr);
                    throw;
                }
                preparer_tout();
            }
        } catch (const ErreurSqlite& e) {
            if (est_illisible(e.code())) return Ouverture::illisible;
            manque_de_place_a_l_ouverture = e.manque_de_place();
            throw ErreurFichier("Impossible d'ouvrir la base de réglages « " + fichier.string() +
                                " » : " + raison_francaise(e) + ".");
        }
        return Ouverture::reussie;
    }

    // L'ouverture en écriture ; faute de place (le -shm ne peut prendre sa taille), la réserve est
    // rendue et l'ouverture retentée une fois.
    Ouverture ouvrir_ou_liberer() {
        manque_de_place_a_l_ouverture = false;
        try {
            return ouvrir();
        } catch (const ErreurFichier&) {
            if (!manque_de_place_a_l_ouverture || !liberer_reserve()) throw;
        }
        return ouvrir();
    }

    // Déplace la base illisible et ses fichiers -wal et -shm sous un nom daté, sans rien écraser
    // ni effacer ; rend le nouveau nom de la base.
    fs::path mettre_de_cote() {
        const std::string date = horodatage();
        fs::path cible = avec_suffixe(fichier, "." + date);
        for (int n = 2;
             existe(cible) || existe(avec_suffixe(cible, "-wal")) || existe(avec_suffixe(cible, "-shm"));
             ++n) {
            cible = avec_suffixe(fichier, "." + date + "-" + std::to_string(n));
        }
        // Le -wal suit la base sous son nouveau nom : SQLite le retrouve si l'on rouvre la copie.
        for (std::string_view suffixe : {"", "-wal", "-shm"}) {
            const fs::path source = avec_suffixe(fichier, suffixe);
            if (!existe(source)) continue;
            std::error_code ec;
            fs::rename(source, avec_suffixe(cible, suffixe), ec);
            if (ec) {
                throw ErreurFichier("La base de réglages « " + fichier.string() +
                                    " » est illisible et ne peut être mise de côté sous « " + cible.string() +
                                    " » : " + raison_erreur_fichier(ec.value()) + ".");
            }
        }
        return cible;
    }

    // Transaction d'une opération. Imbriquée (les opérations en arbre appellent les primitives),
    // seule la plus externe ouvre et valide ; un échec intérieur fait tout annuler.
    class Transaction {
    public:
        Transaction(Impl& impl, bool ecriture) : impl_(impl) {
            if (impl_.profondeur_transaction == 0) {
                impl_.echec_dans_transaction = false;
                impl_.executer(ecriture ? "BEGIN IMMEDIATE" : "BEGIN");
            }
            ++impl_.profondeur_transaction;
        }
        ~Transaction() {
            if (!validee_) {
                --impl_.profondeur_transaction;
                impl_.echec_dans_transaction = true;
                if (impl_.profondeur_transaction == 0) {
                    sqlite3_exec(impl_.base.get(), "ROLLBACK", nullptr, nullptr, nullptr);
                }
            }
        }
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

        void valider() {
            --impl_.profondeur_transaction;
            validee_ = true;
            if (impl_.profondeur_transaction > 0) return;
            if (impl_.echec_dans_transaction) {
                sqlite3_exec(impl_.base.get(), "ROLLBACK", nullptr, nullptr, nullptr);
                throw ErreurSqlite(SQLITE_ABORT, "opération intérieure en échec");
            }
            try {
                impl_.executer("COMMIT");
            } catch (...) {
                sqlite3_exec(impl_.base.get(), "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        }

    private:
        Impl& impl_;
        bool validee_ = false;
    };

    // Identifiant de la clé, ou -1 si elle manque.
    std::int64_t chercher_cle(std::string_view cle) {
        std::int64_t id = id_racine;
        for (const auto& segment : decouper_chemin(cle)) {
            auto q = requete(sql_chercher_cle);
            q.lier(1, id).lier(2, plier_casse(segment));
            if (!q.avancer()) return -1;
            id = q.entier(0);
        }
        return id;
    }

    std::int64_t creer_cles(std::string_view cle) {
        std::int64_t id = id_racine;
        for (const auto& segment : decouper_chemin(cle)) {
            const auto plie = plier_casse(segment);
            std::int64_t suivant = -1;
            {
                auto q = requete(sql_chercher_cle);
                q.lier(1, id).lier(2, plie);
                if (q.avancer()) suivant = q.entier(0);
            }
            if (suivant < 0) {
                auto q = requete(sql_inserer_cle);
                q.lier(1, id).lier(2, segment).lier(3, plie);
                q.avancer();
                suivant = sqlite3_last_insert_rowid(base.get());
            }
            id = suivant;
        }
        return id;
    }

    std::vector<std::string> lister_noms(const char* sql, std::int64_t id) {
        std::vector<std::string> noms;
        auto q = requete(sql);
        q.lier(1, id);
        while (q.avancer()) noms.push_back(q.texte(0));
        return noms;
    }
};

RegistreSqlite::RegistreSqlite(const fs::path& fichier, Acces acces) : impl_(std::make_unique<Impl>()) {
    impl_->fichier = fichier;
    if (acces == Acces::lecture_seule) {
        lecture_seule_ = true;
        if (impl_->ouvrir_en_lecture() == Impl::Ouverture::illisible) {
            // Une commande qui lit ne déplace rien : le programme s'en chargera à son démarrage.
            impl_->fermer_sans_toucher();
            impl_->ouvrir_vide_en_memoire();
            avertissement_ = "La base de réglages « " + fichier.string() +
                             " » est illisible : les réglages sont lus à leurs valeurs par défaut.";
        }
        return;
    }
    const bool existait = existe(fichier);
    if (impl_->ouvrir_ou_liberer() == Impl::Ouverture::illisible) {
        impl_->fermer_sans_toucher();
        const fs::path mise_de_cote = impl_->mettre_de_cote();
        if (impl_->ouvrir_ou_liberer() != Impl::Ouverture::reussie) {
            throw ErreurFichier("Impossible de créer une base de réglages neuve « " + fichier.string() +
                                " ».");
        }
        avertissement_ =
            "La base de réglages « " + fichier.string() +
            " » était illisible : elle a été mise de côté sous « " + mise_de_cote.string() +
            " » et une base neuve a été créée ; les réglages reprennent leurs valeurs par défaut.";
    }
    // Une base neuve n'est durable qu'une fois son nom inscrit dans le dossier.
    if (!existait || avertissement_) synchroniser_dossier(fichier.parent_path());
    impl_->garnir_reserve();
}

RegistreSqlite::~RegistreSqlite() = default;

std::string RegistreSqlite::lire_valeur(std::string_view cle, std::string_view nom) const {
    try {
        Impl::Transaction transaction(*impl_, false);
        std::string texte;
        if (const auto id = impl_->chercher_cle(cle); id >= 0) {
            auto requete = impl_->requete(sql_lire_valeur);
            requete.lier(1, id).lier(2, plier_casse(nom));
            if (requete.avancer()) texte = requete.texte(0);
        }
        transaction.valider();
        return texte;
    } catch (const ErreurSqlite&) {
        return {};  // lire un réglage n'échoue jamais : le défaut s'applique
    }
}

bool RegistreSqlite::echec_ecriture(const std::exception& erreur) const {
    const auto* sqlite = dynamic_cast<const ErreurSqlite*>(&erreur);
    const std::string raison = sqlite != nullptr ? raison_francaise(*sqlite) : erreur.what();
    signaler_echec_ecriture("Les réglages n'ont pu être enregistrés dans la base « " +
                            impl_->fichier.string() + " » : " + raison + ".");
    return false;
}

bool RegistreSqlite::ecrire(const std::function<void()>& corps) {
    if (lecture_seule_) {
        signaler_echec_ecriture("Les réglages n'ont pu être enregistrés dans la base « " +
                                impl_->fichier.string() + " » : elle est ouverte en lecture seule.");
        return false;
    }
    // Faute de place, d'autres chances : après un point de contrôle (le journal reprend alors à son
    // début au lieu de grandir), puis avec la place de la réserve. Seule la transaction la plus
    // externe les tente.
    bool point_de_controle_tente = false;
    bool reserve_rendue = false;
    for (;;) {
        try {
            Impl::Transaction transaction(*impl_, true);
            corps();
            transaction.valider();
            return true;
        } catch (const ErreurSqlite& e) {
            if (impl_->profondeur_transaction == 0 && e.manque_de_place()) {
                if (!point_de_controle_tente) {
                    point_de_controle_tente = true;
                    if (impl_->faire_place()) continue;
                }
                if (!reserve_rendue) {
                    reserve_rendue = true;
                    if (impl_->liberer_reserve()) continue;
                }
            }
            return echec_ecriture(e);
        }
    }
}

bool RegistreSqlite::ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) {
    return ecrire([&] {
        const auto id = impl_->creer_cles(cle);
        auto requete = impl_->requete(sql_ecrire_valeur);
        requete.lier(1, id).lier(2, nom).lier(3, plier_casse(nom)).lier(4, texte);
        requete.avancer();
    });
}

bool RegistreSqlite::ecrire_valeur_et_vider(std::string_view cle, std::string_view nom,
                                            std::string_view texte) {
    return appliquer_et_vider({{std::string(cle), std::string(nom), std::string(texte)}});
}

bool RegistreSqlite::appliquer_et_vider(const std::vector<OperationRegistre>& operations) {
    // Une seule transaction validée en mode FULL : en WAL, la validation vide le journal sur le
    // disque (et, à sa création, le dossier qui le nomme) avant de rendre la main ; le lot survit
    // à une coupure, tout entier ou pas du tout, sans recopier la base comme le ferait un point de
    // contrôle. Le mode ordinaire est rétabli aussitôt pour les autres écritures.
    if (!lecture_seule_) {
        try {
            impl_->executer("PRAGMA synchronous=FULL");
        } catch (const ErreurSqlite& e) {
            return echec_ecriture(e);
        }
    }
    const bool appliquees = ecrire([&] {
        for (const auto& o : operations) {
            if (o.texte) {
                const auto id = impl_->creer_cles(o.cle);
                auto requete = impl_->requete(sql_ecrire_valeur);
                requete.lier(1, id).lier(2, o.nom).lier(3, plier_casse(o.nom)).lier(4, *o.texte);
                requete.avancer();
            } else if (const auto id = impl_->chercher_cle(o.cle); id >= 0) {
                auto requete = impl_->requete(sql_effacer_valeur);
                requete.lier(1, id).lier(2, plier_casse(o.nom));
                requete.avancer();
            }
        }
    });
    if (!lecture_seule_)
        sqlite3_exec(impl_->base.get(), "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    return appliquees;
}

bool RegistreSqlite::effacer_valeur(std::string_view cle, std::string_view nom) {
    return ecrire([&] {
        if (const auto id = impl_->chercher_cle(cle); id >= 0) {
            auto requete = impl_->requete(sql_effacer_valeur);
            requete.lier(1, id).lier(2, plier_casse(nom));
            requete.avancer();
        }
    });
}

std::vector<std::string> RegistreSqlite::lister_sous_cles(std::string_view cle) const {
    try {
        Impl::Transaction transaction(*impl_, false);
        std::vector<std::string> noms;
        if (const auto id = impl_->chercher_cle(cle); id >= 0)
            noms = impl_->lister_noms(sql_lister_sous_cles, id);
        transaction.valider();
        return noms;
    } catch (const ErreurSqlite&) {
        return {};
    }
}

std::vector<std::string> RegistreSqlite::lister_valeurs(std::string_view cle) const {
    try {
        Impl::Transaction transaction(*impl_, false);
        std::vector<std::string> noms;
        if (const auto id = impl_->chercher_cle(cle); id >= 0)
            noms = impl_->lister_noms(sql_lister_valeurs, id);
        transaction.valider();
        return noms;
    } catch (const ErreurSqlite&) {
        return {};
    }
}

bool RegistreSqlite::cle_existe(std::string_view cle) const {
    try {
        Impl::Transaction transaction(*impl_, false);
        const bool trouvee = impl_->chercher_cle(cle) >= 0;
        transaction.valider();
        return trouvee;
    } catch (const ErreurSqlite&) {
        return false;
    }
}

bool RegistreSqlite::creer_cle(std::string_view cle) {
    return ecrire([&] { impl_->creer_cles(cle); });
}

bool RegistreSqlite::effacer_cle_feuille(std::string_view cle) {
    if (lecture_seule_) return ecrire([] {});
    try {
        Impl::Transaction transaction(*impl_, true);
        const auto id = impl_->chercher_cle(cle);
        if (id < 0) {
            transaction.valider();
            return false;
        }
        {
            auto requete = impl_->requete(sql_a_sous_cle);
            requete.lier(1, id);
            if (requete.avancer()) {
                transaction.valider();
                return false;
            }
        }
        {
            auto requete = impl_->requete(sql_effacer_valeurs_cle);
            requete.lier(1, id);
            requete.avancer();
        }
        if (id != id_racine) {  // la racine existe toujours : seules ses valeurs partent
            auto requete = impl_->requete(sql_effacer_cle);
            requete.lier(1, id);
            requete.avancer();
        }
        transaction.valider();
        return true;
    } catch (const ErreurSqlite& e) {
        return echec_ecriture(e);
    }
}

void RegistreSqlite::effacer_arborescence(std::string_view cle) {
    if (lecture_seule_) {
        ecrire([] {});  // dit le refus
        return;
    }
    try {
        Impl::Transaction transaction(*impl_, true);
        Registre::effacer_arborescence(cle);
        transaction.valider();
    } catch (const ErreurSqlite& e) {
        // tout est annulé : l'arbre reste entier plutôt qu'à moitié effacé
        echec_ecriture(e);
    }
}

void RegistreSqlite::copier_arborescence(std::string_view source, std::string_view destination,
                                         bool effacer_source) {
    if (lecture_seule_) {
        ecrire([] {});  // dit le refus
        return;
    }
    try {
        Impl::Transaction transaction(*impl_, true);
        Registre::copier_arborescence(source, destination, effacer_source);
        transaction.valider();
    } catch (const ErreurSqlite& e) {
        // tout est annulé : ni copie partielle, ni source effacée sans sa copie
        echec_ecriture(e);
    }
}

std::string RegistreSqlite::verifier_integrite() const {
    try {
        return impl_->lignes_pragma("PRAGMA integrity_check");
    } catch (const ErreurSqlite& e) {
        return e.what();
    }
}

}  // namespace lumi
