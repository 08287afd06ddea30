#include "cli/commandes.hpp"
namespace lumi::cli {
int commande_registre(std::span<const std::string>, Flux flux) { return erreur_usage(flux, "registre"); }
}
