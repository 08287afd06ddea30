#include "tariff/pas_paye.hpp"

#include <algorithm>
#include <cstdint>

namespace lumi {

Moment raccrochage_fin_du_pas(const tparametre_de_la_tarification& tarif, Moment debut, Moment declenchement) {
    const std::int64_t pas = tarif.pas_tarif;
    if (pas <= 1 || declenchement < debut) return declenchement;
    const std::int64_t maintenant = en_secondes(declenchement);
    // Le premier pas taxé commence à la fin du crédit temps ; le pas qui commence à l'instant même
    // est déjà dû, on attend donc le suivant.
    const std::int64_t premier = en_secondes(debut) + std::max<std::int64_t>(tarif.credit_temps, 0);
    const std::int64_t suivant =
        maintenant < premier ? premier : premier + ((maintenant - premier) / pas + 1) * pas;
    return en_moment(std::max(maintenant, suivant - marge_fin_de_pas));
}

}  // namespace lumi
