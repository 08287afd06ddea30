#!/usr/bin/env bash
# De bout en bout : le vrai programme sous Xvfb avec un gestionnaire de fenêtres qui dessine un cadre
# (openbox). Des clics de xdotool sur le bouton de taille passent la fenêtre de la normale à
# l'afficheur puis à la normale ; le bouton doit rester au même point de l'écran (à 2 pixels près),
# mesuré par la position de la fenêtre que donne le serveur X plus la place du bouton dans la
# fenêtre, que le programme trace (LUMI_TRACE_BOUTON_TAILLE). L'afficheur n'a pas de cadre.
# Usage : modes_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool openbox xprop xwininfo

preparer_dossier_essai lumi-modes
unset DBUS_SESSION_BUS_ADDRESS
export LUMI_TRACE_BOUTON_TAILLE=1
dossier="$tmp/donnees"
passer_premiere_utilisation "$outil" "$dossier"

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2

openbox --sm-disable > /dev/null 2>&1 &
gestionnaire=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.1
done

"$programme" --dossier "$dossier" > "$dossier.sortie" 2>&1 &
pid=$!
arreter() { kill "$pid" "$gestionnaire" 2> /dev/null || true; }
rater() {
    echo "$*" >&2
    arreter
    exit 1
}

fenetre() { xdotool search --onlyvisible --name '^Lumicompteur 2000$' 2> /dev/null | head -1 || true; }
# Le point du bouton de taille à l'écran : fenêtre (serveur X) + place tracée du bouton dans le mode $1.
bouton() {
    local id trace
    id=$(fenetre)
    [ -n "$id" ] || return 1
    trace=$(grep "^SpeedButton10 $1 " "$dossier.sortie" | tail -1)
    [ -n "$trace" ] || return 1
    # xwininfo donne le coin de l'intérieur de la fenêtre, cadre du gestionnaire exclu.
    X=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')
    Y=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')
    set -- $trace
    echo "$((X + $3)) $((Y + $4))"
}
# Le cadre que le gestionnaire met autour de la fenêtre : gauche, droite, haut, bas.
cadre() { xprop -id "$(fenetre)" _NET_FRAME_EXTENTS 2> /dev/null | sed -n 's/.*= //p' | tr -d ,; }
attendre_mode() {
    for _ in $(seq 50); do
        [ -n "$(fenetre)" ] && grep -q "^SpeedButton10 $1 " "$dossier.sortie" && { sleep 0.8; return 0; }
        sleep 0.1
    done
    return 1
}
proche() {  # proche "x1 y1" "x2 y2"
    set -- $1 $2
    local dx=$(($1 - $3)) dy=$(($2 - $4))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}

attendre_mode 0 || rater "la fenêtre normale ne s'est pas montrée"
read -r g d h b <<< "$(cadre)"
[ "${h:-0}" -gt 0 ] || rater "le gestionnaire de fenêtres n'a pas mis de cadre à la fenêtre normale"
depart=$(bouton 0) || rater "bouton de taille introuvable"
set -- $depart
xdotool mousemove $(($1 + 6)) $(($2 + 6))
sleep 0.3
xdotool click 1
: > "$dossier.sortie.vu"
attendre_mode 1 || rater "le clic sur le bouton de taille n'a pas mis l'afficheur"
apres=$(bouton 1)
proche "$depart" "$apres" || rater "afficheur : le bouton est passé de ($depart) à ($apres)"
read -r g d h b <<< "$(cadre)"
[ "${h:-0}" -eq 0 ] || rater "l'afficheur a un cadre ($g $d $h $b)"
echo "normale -> afficheur : bouton ($depart) -> ($apres)"

# Le pointeur n'a pas bougé : le même clic rend la fenêtre normale.
xdotool click 1
sleep 0.5
for _ in $(seq 50); do
    [ "$(grep '^SpeedButton10 ' "$dossier.sortie" | tail -1 | cut -d' ' -f2)" = 0 ] && break
    sleep 0.1
done
attendre_mode 0
retour=$(bouton 0)
proche "$depart" "$retour" || rater "retour à la normale : le bouton est passé de ($depart) à ($retour)"
echo "afficheur -> normale : bouton ($apres) -> ($retour)"
arreter
SCENARIO

xvfb-run -a -s "-screen 0 1024x768x24" bash "$tmp/scenario.sh" "$programme" "$dossier" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    echec "le scénario a échoué (code $code)"
}
echo "modes d'affichage de bout en bout : réussi"
