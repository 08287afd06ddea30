#!/usr/bin/env bash
# Lance un programme Windows sous Wine de Debian, dans le préfixe jetable donné en premier argument
# (sous le dossier de construction) : rien n'est écrit dans le ~/.wine de l'utilisateur.
set -euo pipefail
prefixe=$1
shift
export WINEPREFIX=$prefixe
export WINEDEBUG=${WINEDEBUG:--all}
# Ni Mono ni Gecko : le préfixe se crée sans rien télécharger ni demander.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefixe/system.reg" ]; then
    mkdir -p "$prefixe"
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
fi
exec /usr/lib/wine/wine64 "$@"
