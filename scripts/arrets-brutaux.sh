#!/usr/bin/env bash
# Avant une version : mille arrêts brutaux (SIGKILL) à des instants pris au hasard d'une connexion
# rejouée, la fin comprise, chacun suivi du démarrage suivant. Après « make test » (ou « make
# compiler ») ; ARRETS=N pour un autre nombre.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
LUMI_ARRETS=${ARRETS:-1000} LANG=C.UTF-8 TZ=Europe/Paris \
    "$build/tests/cli/tests_cli" --gtest_filter='ArretBrutal.VenuDeLExterieur'
