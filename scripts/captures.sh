#!/usr/bin/env bash
# Images de la fenêtre principale sous Xvfb, dans docs/captures/ : au repos, pendant la connexion de
# démonstration, et avec le menu principal ouvert. Le programme prend l'image lui-même
# (--capture), sans autre outil. Usage : scripts/captures.sh [DOSSIER_DE_COMPILATION]
set -euo pipefail

racine=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[[ "$build" = /* ]] || build="$racine/$build"
programme="$build/app/lumicompteur"
outil="$build/src/cli/lumicompteur-outil"
sortie="$racine/docs/captures"
for f in "$programme" "$outil"; do
    [ -x "$f" ] || { echo "$f manque : lancer « make programme » d'abord." >&2; exit 1; }
done
command -v xvfb-run > /dev/null || { echo "xvfb-run manque : scripts/installer-dependances.sh" >&2; exit 1; }

tmp=$(mktemp -d /tmp/lumi-captures-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/run"
# Un poste neuf : ni l'historique, ni les réglages, ni la session de l'utilisateur ne sont touchés.
export XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" LANG=C.UTF-8 TZ=Europe/Paris
dossier="$tmp/donnees"
mkdir -p "$sortie"

capture() {
    local nom=$1
    shift
    xvfb-run -a -s "-screen 0 1024x768x24" "$programme" --dossier "$dossier" --capture "$sortie/$nom.png" "$@"
    echo "$sortie/$nom.png"
}

# L'accueil de la première utilisation, modal, cacherait la fenêtre : il est passé.
"$outil" registre ecrire --dossier "$dossier" '\options' '1ere utilisation2000' non > /dev/null
capture repos --capture-apres 3
# La fenêtre des messages du début de connexion cacherait l'afficheur : elle ne s'ouvre pas ici.
"$outil" registre ecrire --dossier "$dossier" '\options' 'message 1' non > /dev/null
capture connexion --demo 120 --capture-apres 14
capture menu --capture-apres 3 --capture-menu
# Les deux formes réduites, au repos et pendant la connexion de démonstration.
for forme in afficheur barre; do
    "$outil" registre ecrire --dossier "$dossier" '\options' 'taille' reduite > /dev/null
    "$outil" registre ecrire --dossier "$dossier" '\options' 'taille reduite' "$forme" > /dev/null
    capture "$forme" --capture-apres 3
    capture "$forme-connexion" --demo 120 --capture-apres 14
done
