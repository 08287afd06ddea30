#pragma once
// L'horloge est une couture : le cœur ne lit jamais l'heure système lui-même.
#include <cstdint>

#include "base/dates.hpp"

namespace lumi {

class Horloge {
public:
    virtual ~Horloge() = default;
    virtual NumeroJour aujourdhui() const = 0;         // date locale
    virtual std::int32_t seconde_du_jour() const = 0;  // heure locale, 0 .. 86399
    virtual std::int64_t millisecondes() const = 0;    // compteur monotone (GetTickCount)
    // Virtuelle pour qu'une horloge réelle lise date et heure d'un seul coup (sinon un appel
    // à 23:59:59,999 peut donner la date d'hier et l'heure d'aujourd'hui).
    virtual Moment maintenant() const { return {aujourdhui(), seconde_du_jour()}; }
};

// Heure locale du système (fuseau de l'utilisateur), compteur monotone de steady_clock.
class HorlogeSysteme final : public Horloge {
public:
    NumeroJour aujourdhui() const override;
    std::int32_t seconde_du_jour() const override;
    std::int64_t millisecondes() const override;
    Moment maintenant() const override;
};

// Horloge que les tests avancent à la main. L'heure murale et le compteur avancent ensemble ;
// regler() ne change que l'heure murale (comme un utilisateur qui remet sa pendule).
class HorlogeFactice final : public Horloge {
public:
    explicit HorlogeFactice(Moment depart = {36526, 0}) { regler(depart); }
    NumeroJour aujourdhui() const override;
    std::int32_t seconde_du_jour() const override;
    std::int64_t millisecondes() const override { return compteur_ms_; }

    void regler(Moment moment);
    void avancer_ms(std::int64_t ms);  // ms >= 0 : un compteur monotone ne recule pas
    void avancer(std::int64_t secondes) { avancer_ms(secondes * 1000); }

private:
    std::int64_t murale_ms_ = 0;  // millisecondes depuis le jour 0 à minuit
    std::int64_t compteur_ms_ = 0;
};

}  // namespace lumi
