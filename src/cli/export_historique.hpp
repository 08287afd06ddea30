#pragma once
// « historique --format csv|json » : les lignes de la sélection écrites une à une pendant la
// lecture (mémoire constante), puis, en JSON, les totaux sous les mêmes clés que la sortie cle=valeur.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "history/fenetre/passage_historique.hpp"

namespace lumi::cli {

enum class FormatExport { csv, json };
std::optional<FormatExport> lire_format_export(std::string_view texte);

// Une clé de la sortie cle=valeur : son texte tel qu'il s'écrit, et si JSON doit la lire en nombre.
struct ValeurTotal {
    std::string cle;
    std::string texte;
    bool nombre = true;
};

class ExportHistorique {
public:
    ExportHistorique(FormatExport format, std::ostream& flux) : format_(format), flux_(flux) {}
    // L'en-tête CSV, ou le début de l'objet JSON et de son tableau « connexions ».
    void commencer();
    void ligne(const LigneListeHistorique& ligne);
    // JSON : ferme le tableau et ajoute les totaux. CSV : rien de plus.
    void finir(const std::vector<ValeurTotal>& totaux);

private:
    FormatExport format_;
    std::ostream& flux_;
    bool premiere_ = true;
};

}  // namespace lumi::cli
