#!/usr/bin/env bash
# De bout en bout : pendant la connexion de démonstration, « Module de &Programmation... » du menu
# principal programme la déconnexion « Au delà d'une certaine heure » (l'heure que la fenêtre
# propose, une à deux minutes plus tard) avec un délai de 3 s. La fenêtre du décompte paraît, la
# connexion simulée est raccrochée bien avant sa fin, un seul enregistrement est écrit, et le
# programme reste ouvert (« Quitter Windows » n'est pas coché).
# Usage : programmation_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2
duree=400

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool

preparer_dossier_essai lumi-programmation
dossier="$tmp/donnees"
passer_premiere_utilisation "$outil" "$dossier"
ecrire() { "$outil" registre ecrire --dossier "$dossier" '\options' "$@" > /dev/null; }
ecrire 'type programmation' 1
ecrire 'delai auto validation' 3
ecrire 'se deconnecter' oui
ecrire 'exit window' non
ecrire 'alarme download' non

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2 duree=$3
source "$BUREAU_E2E"

"$programme" --dossier "$dossier" --demo "$duree" > "$dossier.sortie" 2>&1 &
pid=$!
arreter() { kill "$pid" 2> /dev/null || true; }
attendre_fenetres 1 || { echo "la fenêtre n'est pas apparue" >&2; arreter; exit 1; }
fenetre=$(fenetres_visibles | head -1)

# Une fenêtre visible dont le titre est donné, attendue au plus $2 dixièmes de seconde.
chercher() {
    local w=""
    for _ in $(seq "$2"); do
        w=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1 || true)
        [ -n "$w" ] && break
        sleep 0.1
    done
    printf '%s' "$w"
}

# La connexion compte dès 7 s ; le menu principal au clic droit sur la fenêtre, puis « P ».
sleep 9
programmation=""
for essai in 1 2 3; do
    eval "$(xdotool getwindowgeometry --shell "$fenetre")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 6)) click 3
    sleep 0.7
    xdotool key p
    programmation=$(chercher '^Module de programmation$' 30)
    [ -n "$programmation" ] && break
    xdotool key Escape
    echo "essai $essai : la fenêtre de programmation n'est pas apparue" >&2
done
[ -n "$programmation" ] || { echo "pas de fenêtre de programmation" >&2; arreter; exit 1; }

# « &Programmer », le pointeur sur la fenêtre (sans gestionnaire, le clavier va sous le pointeur).
for essai in 1 2 3; do
    eval "$(xdotool getwindowgeometry --shell "$programmation")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 8))
    sleep 0.3
    xdotool key alt+p
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name '^Module de programmation$' 2> /dev/null || true)" ] && break
    echo "essai $essai : la fenêtre de programmation est encore ouverte" >&2
done
[ -z "$(xdotool search --onlyvisible --name '^Module de programmation$' 2> /dev/null || true)" ] ||
    { echo "« &Programmer » n'a pas fermé la fenêtre" >&2; arreter; exit 1; }
programmee=$(date +%s)

# Le décompte : une seconde fenêtre au titre du programme, puis l'enregistrement.
decompte=0
enregistrement=""
for _ in $(seq 2000); do
    [ "$(fenetres_visibles | wc -l)" -ge 2 ] && decompte=1
    enregistrement=$(enregistrements_monfai "$dossier")
    [ -n "$enregistrement" ] && break
    sleep 0.1
done
[ -n "$enregistrement" ] || { echo "aucun enregistrement" >&2; arreter; exit 1; }
[ "$decompte" -eq 1 ] || { echo "la fenêtre du décompte n'a pas paru" >&2; arreter; exit 1; }
echo "raccroché $(( $(date +%s) - programmee )) s après la programmation"
sleep 1
kill -0 "$pid" 2> /dev/null || { echo "le programme s'est fermé" >&2; exit 1; }
kill -TERM "$pid"
attendre_fin "$pid" 30 || { kill -9 "$pid"; exit 1; }
wait "$pid" || true
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$tmp/scenario.sh" "$programme" "$dossier" "$duree" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    echec "le scénario a échoué (code $code)"
}

contenu=$(seul_enregistrement "$dossier")
echo "enregistrement : $contenu"
# Raccrochée par la programmation : moins de quatre minutes, loin des $duree s de la démonstration.
secondes=$(printf '%s\n' "$contenu" | cut -d';' -f5 | awk -F: '{print $1 * 3600 + $2 * 60 + $3}')
[ "$secondes" -lt 240 ] || echec "la connexion a duré $secondes s : la programmation n'a pas raccroché"
echo "déconnexion programmée de bout en bout : réussie"
