#!/usr/bin/env bash
# De bout en bout : le vrai programme avec une vraie zone de notification (trayer, un tableau de
# bord XEmbed) sous Xvfb. Lancé avec -invisible, il n'a que son icône : la fenêtre est cachée, pas
# réduite. Un clic gauche sur l'icône la montre, un second la cache, un clic droit ouvre le menu
# principal, dont « &Quitter Lumicompteur 2000 » ferme le programme (question acceptée).
# Usage : zone_notification_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool trayer

preparer_dossier_essai lumi-zone
# Sans bus de session, Qt prend la zone XEmbed que tient trayer.
unset DBUS_SESSION_BUS_ADDRESS
dossier="$tmp/donnees"
passer_premiere_utilisation "$outil" "$dossier"

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2
source "$BUREAU_E2E"

# La zone de notification en bas à gauche de l'écran, loin de la fenêtre : la première icône
# s'y loge vers (12, 756).
trayer --edge bottom --align left --widthtype pixel --width 120 --height 24 --transparent false \
    > /dev/null 2>&1 &
zone=$!
for _ in $(seq 50); do
    xdotool search --classname '^trayer$' > /dev/null 2>&1 && break
    sleep 0.1
done
sleep 0.5

"$programme" --dossier "$dossier" -invisible > "$dossier.sortie" 2>&1 &
pid=$!
arreter() { kill "$pid" "$zone" 2> /dev/null || true; }

visible() { xdotool search --onlyvisible --name '^Lumicompteur 2000$' 2> /dev/null | head -1 || true; }
# Attend que la fenêtre soit (oui) ou ne soit plus (non) à l'écran.
attendre() {
    for _ in $(seq 50); do
        if [ "$1" = oui ] && [ -n "$(visible)" ]; then return 0; fi
        if [ "$1" = non ] && [ -z "$(visible)" ]; then return 0; fi
        sleep 0.1
    done
    return 1
}

# Le démarrage fini (l'icône posée), rien n'est à l'écran : sans zone, la fenêtre serait réduite,
# donc encore dessinée ici, faute de gestionnaire de fenêtres.
sleep 2
kill -0 "$pid" 2> /dev/null || { echo "le programme s'est arrêté" >&2; exit 1; }
[ -z "$(visible)" ] || { echo "-invisible : la fenêtre est à l'écran" >&2; arreter; exit 1; }

xdotool mousemove 12 756 click 1
attendre oui || { echo "le clic gauche sur l'icône n'a pas montré la fenêtre" >&2; arreter; exit 1; }
# Deux clics rapprochés font un double clic, que l'icône ignore.
sleep 0.8
xdotool mousemove 12 756 click 1
attendre non || { echo "le second clic gauche n'a pas caché la fenêtre" >&2; arreter; exit 1; }

# Le menu principal au clic droit sur l'icône, « &Quitter » puis « &Oui » dans la question.
sleep 0.8
xdotool mousemove 12 756 click 3
sleep 0.7
xdotool key q
boite=""
for _ in $(seq 30); do
    boite=$(visible)
    [ -n "$boite" ] && break
    sleep 0.1
done
[ -n "$boite" ] || { echo "le menu de l'icône n'a pas posé la question de la fermeture" >&2; arreter; exit 1; }
repondre_oui "$boite"
attendre_fin "$pid" || { echo "la question acceptée n'a pas fermé le programme" >&2; arreter; exit 1; }
kill "$zone" 2> /dev/null || true
wait "$pid"
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" bash "$tmp/scenario.sh" "$programme" "$dossier" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    echec "le scénario a échoué (code $code)"
}
echo "zone de notification de bout en bout : réussie"
