#include "base/horloge.hpp"

#include <time.h>

#include <chrono>
#include <stdexcept>

namespace lumi {

namespace {

constexpr std::int64_t ms_par_jour = std::int64_t{secondes_par_jour} * 1000;

// Division arrondie vers le bas : une heure murale avant le jour 0 reste cohérente.
std::int64_t division_plancher(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

Moment HorlogeSysteme::maintenant() const {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    if (::localtime_s(&local, &t) != 0) return {};
#else
    if (::localtime_r(&t, &local) == nullptr) return {};
#endif
    const std::chrono::year_month_day date{std::chrono::year{local.tm_year + 1900},
                                           std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                           std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
    // Une seconde intercalaire (tm_sec = 60) reste dans le jour.
    const int seconde = local.tm_sec > 59 ? 59 : local.tm_sec;
    return {numero_jour(date), lumi::seconde_du_jour(local.tm_hour, local.tm_min, seconde)};
}

NumeroJour HorlogeSysteme::aujourdhui() const {
    return maintenant().jour;
}

std::int32_t HorlogeSysteme::seconde_du_jour() const {
    return maintenant().seconde;
}

std::int64_t HorlogeSysteme::millisecondes() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

NumeroJour HorlogeFactice::aujourdhui() const {
    return static_cast<NumeroJour>(division_plancher(murale_ms_, ms_par_jour));
}

std::int32_t HorlogeFactice::seconde_du_jour() const {
    const std::int64_t dans_le_jour = murale_ms_ - division_plancher(murale_ms_, ms_par_jour) * ms_par_jour;
    return static_cast<std::int32_t>(dans_le_jour / 1000);
}

void HorlogeFactice::regler(Moment moment) {
    murale_ms_ = (std::int64_t{moment.jour} * secondes_par_jour + moment.seconde) * 1000;
}

void HorlogeFactice::avancer_ms(std::int64_t ms) {
    if (ms < 0) throw std::invalid_argument("HorlogeFactice : le compteur ne recule pas, utiliser regler()");
    murale_ms_ += ms;
    compteur_ms_ += ms;
}

}  // namespace lumi
