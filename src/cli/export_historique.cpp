#include "cli/export_historique.hpp"

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "history/export_csv.hpp"

namespace lumi::cli {

namespace {

using Json = nlohmann::ordered_json;

// Un nom lu dans un vieux fichier peut porter un octet qui n'est pas de l'UTF-8 : remplacé, il
// n'arrête pas l'export.
std::string texte_json(const Json& valeur) {
    return valeur.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Le nombre que le texte montre : les totaux JSON sont au chiffre près ceux de la sortie cle=valeur.
Json nombre(std::string_view texte) {
    std::int64_t entier = 0;
    if (const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), entier);
        erreur == std::errc{} && fin == texte.data() + texte.size()) {
        return entier;
    }
    double valeur = 0;
    const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
    if (erreur != std::errc{} || fin != texte.data() + texte.size()) return std::string(texte);
    return valeur;
}

// Un montant à 15 chiffres significatifs, comme montant_csv et les totaux.
Json montant(double valeur) {
    char tampon[64];
    const auto fin =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::general, 15).ptr;
    return nombre(std::string_view(tampon, static_cast<std::size_t>(fin - tampon)));
}

}  // namespace

std::optional<FormatExport> lire_format_export(std::string_view texte) {
    if (texte == "csv") return FormatExport::csv;
    if (texte == "json") return FormatExport::json;
    return std::nullopt;
}

void ExportHistorique::commencer() {
    if (format_ == FormatExport::csv) {
        ecrire_entete_csv_historique(flux_);
    } else {
        flux_ << "{\"connexions\":[";
    }
}

void ExportHistorique::ligne(const LigneListeHistorique& l) {
    if (format_ == FormatExport::csv) {
        ecrire_ligne_csv_historique(flux_, l);
        return;
    }
    Json o;
    o["utilisateur"] = l.utilisateur;
    o["provider"] = l.provider;
    o["date"] = l.date;
    o["heure"] = l.heure;
    o["duree"] = l.duree;
    o["periode"] = l.periode;
    o["tarification"] = l.tarification;
    o["option"] = l.option;
    o["reduction"] = montant(l.montant_reduction);
    o["total_ht"] = montant(l.montant_ht);
    o["total_ttc"] = montant(l.montant_ttc);
    flux_ << (premiere_ ? "\n" : ",\n") << texte_json(o);
    premiere_ = false;
}

void ExportHistorique::finir(const std::vector<ValeurTotal>& totaux) {
    if (format_ == FormatExport::csv) return;
    Json t = Json::object();
    for (const auto& v : totaux) t[v.cle] = v.nombre ? nombre(v.texte) : Json(v.texte);
    // Les lignes sont déjà écrites : les totaux viennent après le tableau, dans le même objet.
    const std::string texte = texte_json(t);
    flux_ << (premiere_ ? "]" : "\n]") << (totaux.empty() ? "" : ",") << std::string_view(texte).substr(1)
          << '\n';
}

}  // namespace lumi::cli
