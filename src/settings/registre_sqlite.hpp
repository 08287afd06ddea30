#pragma once
// Le magasin de réglages sur SQLite : un fichier de base dans le dossier de données, en mode WAL,
// avec un délai d'attente pour qu'un second processus puisse écrire. Chaque opération ouvre sa
// transaction et la referme : rien ne reste en attente entre deux tops.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "settings/registre.hpp"

struct sqlite3;

namespace lumi {

class RegistreSqlite final : public Registre {
public:
    enum class Acces { lecture_ecriture, lecture_seule };

    // Ouvre ou crée la base. Un fichier qui n'est pas une base lisible est mis de côté (son nom
    // suivi de la date et de l'heure) et une base neuve est créée ; avertissement() le dit.
    // Lève ErreurFichier (message français) si aucune base ne peut être ouverte.
    // En lecture seule (commandes qui ne font que lire), rien n'est créé ni déplacé et un disque
    // plein n'empêche pas de lire : une base absente ou illisible se lit vide (avertissement() le
    // dit pour l'illisible), et toute écriture est refusée et signalée.
    explicit RegistreSqlite(const std::filesystem::path& fichier, Acces acces = Acces::lecture_ecriture);
    ~RegistreSqlite() override;
    RegistreSqlite(const RegistreSqlite&) = delete;
    RegistreSqlite& operator=(const RegistreSqlite&) = delete;

    // Nom du fichier de base dans le dossier de données.
    static constexpr const char* nom_fichier = "reglages.sqlite";

    // Message français à montrer une fois si la base a dû être remplacée au démarrage.
    const std::optional<std::string>& avertissement() const { return avertissement_; }

    std::string lire_valeur(std::string_view cle, std::string_view nom) const override;
    bool ecrire_valeur(std::string_view cle, std::string_view nom, std::string_view texte) override;
    bool ecrire_valeur_et_vider(std::string_view cle, std::string_view nom, std::string_view texte) override;
    bool appliquer_et_vider(const std::vector<OperationRegistre>& operations) override;  // une transaction
    bool effacer_valeur(std::string_view cle, std::string_view nom) override;
    std::vector<std::string> lister_sous_cles(std::string_view cle) const override;
    std::vector<std::string> lister_valeurs(std::string_view cle) const override;
    bool cle_existe(std::string_view cle) const override;
    bool creer_cle(std::string_view cle) override;
    bool effacer_cle_feuille(std::string_view cle) override;
    void effacer_arborescence(std::string_view cle) override;  // en une transaction
    void copier_arborescence(std::string_view source, std::string_view destination,
                             bool effacer_source) override;  // en une transaction

    // Résultat de PRAGMA integrity_check ("ok" quand la base est saine).
    std::string verifier_integrite() const;

private:
    // Le message d'un échec d'écriture, signalé puis rendu faux par l'appelant.
    bool echec_ecriture(const std::exception& erreur) const;
    // Une écriture dans sa transaction ; faute de place, une seconde chance (voir le .cpp).
    bool ecrire(const std::function<void()>& corps);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::optional<std::string> avertissement_;
    bool lecture_seule_ = false;
};

}  // namespace lumi
