#pragma once
// L'accès à distance sous Windows : le service d'accès à distance (RAS). Les connexions en cours
// (RasEnumConnectionsA, 100 au plus, la première mesurée) avec leur état (RasGetConnectStatusA),
// les entrées de l'annuaire (RasEnumEntriesA), le raccrochage (RasHangUpA), et la numérotation
// par la boîte du système : « rundll32.exe rnaui.dll,RnaDial » suivi du nom de l'entrée.
#include <string>

#include "actions/acces_distant.hpp"

namespace lumi {

// Le nombre de connexions demandées à chaque énumération.
inline constexpr unsigned connexions_ras_max = 100;

// La ligne de commande qui numérote `entree` par la boîte du système.
std::string commande_numerotation_ras(std::string_view entree);

class AccesDistantRas final : public AccesDistant {
public:
    std::vector<ConnexionDistante> connexions() const override;
    std::vector<std::string> entrees_annuaire() const override;
    std::string origine_annuaire() const override;
    bool numeroter(std::string_view entree) override;
    bool raccrocher() override;
};

// L'adresse de la machine : la première adresse IPv4 de son nom (Winsock) ; vide sinon.
class AdresseWinsock final : public SourceAdresse {
public:
    std::string adresse_ip_locale() const override;
};

}  // namespace lumi
