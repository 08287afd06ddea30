#pragma once
// Une vue du noyau réglée par l'essai, pour l'accès par pppd sans vraies interfaces.
#include <sys/eventfd.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>

#include "base/descripteur.hpp"
#include "platform/linux/noyau_reseau.hpp"

namespace lumi::essai {

// Vue du noyau réglée par l'essai ; chaque changement rend son descripteur lisible.
class NoyauFactice final : public NoyauReseau {
public:
    NoyauFactice() : signal_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    int descripteur() const override { return signal_.get(); }
    bool rafraichir() override {
        ++rafraichissements;
        std::uint64_t valeur = 0;
        return ::read(signal_.get(), &valeur, sizeof valeur) == sizeof valeur;
    }
    std::optional<EtatInterface> interface(std::string_view nom) const override {
        const auto it = interfaces_.find(std::string(nom));
        if (it == interfaces_.end()) return std::nullopt;
        return it->second;
    }

    void definir(const std::string& nom, std::optional<EtatInterface> etat) {
        if (etat) {
            interfaces_[nom] = *etat;
        } else {
            interfaces_.erase(nom);
        }
        const std::uint64_t un = 1;
        [[maybe_unused]] auto n = ::write(signal_.get(), &un, sizeof un);
    }

    int rafraichissements = 0;

private:
    Descripteur signal_;
    std::map<std::string, EtatInterface> interfaces_;
};

}  // namespace lumi::essai
