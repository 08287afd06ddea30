#pragma once
// Le texte UTF-8 du cœur en QString : une seule conversion pour toutes les coquilles.
#include <QString>
#include <string_view>

namespace lumi::ui {

inline QString qs(std::string_view texte) {
    return QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
}

}  // namespace lumi::ui
