#!/usr/bin/env bash
# Installe avec apt-get les paquets Debian nécessaires à la compilation et aux tests,
# seulement ceux qui manquent : la deuxième fois, rien n'est téléchargé.
set -euo pipefail

paquets=(
    build-essential
    g++
    cmake
    ninja-build
    pkg-config
    libsqlite3-dev
    libsodium-dev
    sqlite3
    libgtest-dev
    libgmock-dev
    googletest
    libbenchmark-dev
    qt6-base-dev
    qt6-base-dev-tools
    qt6-qpa-plugins
    # les boîtes et menus de Qt lui-même en français (qtbase_fr.qm)
    qt6-translations-l10n
    libgl-dev
    fonts-dejavu-core
    # le rapport de l'historique : une police serif métrique (Times) et pdftotext pour ses essais
    fonts-liberation
    poppler-utils
    xvfb
    xauth
    xdotool
    trayer
    openbox
    python3
    # l'export JSON de l'historique par l'outil, sans Qt
    nlohmann-json3-dev
    # make paquet et son essai : l'icône en PNG, les dépendances du paquet, ses vérifications
    librsvg2-bin
    dpkg-dev
    lintian
    desktop-file-utils
    # Déconnexion programmée : fenêtres des autres programmes (xcb), alarme refaite avec sox.
    # Le bus D-Bus par sd-bus (libsystemd) : arrêt par logind, NetworkManager, ModemManager,
    # essayés contre python3-dbusmock sur un bus privé
    libxcb1-dev
    libsystemd-dev
    dbus
    python3-dbusmock
    sox
    # make windows et make test-windows : MinGW-w64 (fils POSIX), les sources de GoogleTest
    # (googletest, plus haut) recompilées pour lui, et Wine pour lancer les essais
    g++-mingw-w64-x86-64-posix
    wine64
    # les sources des locales, que localedef compile dans build-windows pour les locales de la
    # session sous Wine (fr_FR, en_US)
    locales
    # make fuzz : clang et les bibliothèques de libFuzzer et des assainisseurs de clang
    clang
    libclang-rt-14-dev
)

manquants=()
for p in "${paquets[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        manquants+=("$p")
    fi
done

if [ ${#manquants[@]} -eq 0 ]; then
    exit 0
fi

echo "Installation des paquets manquants : ${manquants[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${manquants[@]}"
