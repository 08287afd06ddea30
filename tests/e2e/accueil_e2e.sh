#!/usr/bin/env bash
# De bout en bout : le premier démarrage du vrai programme sur un dossier de données vide, dans un
# HOME où l'édition précédente a tourné sous Wine (sa commande de démarrage dans le system.reg du
# préfixe). L'accueil paraît, Entrée le mène de page en page jusqu'à « &Terminer » ; les fichiers du
# mois sont alors dans l'historique, et l'accueil ne revient pas au démarrage suivant.
# Usage : accueil_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool

preparer_dossier_essai lumi-accueil
dossier="$tmp/donnees"

# L'édition précédente dans le préfixe Wine par défaut (~/.wine).
ancien="$HOME/.wine/drive_c/Program Files/Lumicompteur 98"
mkdir -p "$ancien" "$HOME/.wine/dosdevices"
ln -s ../drive_c "$HOME/.wine/dosdevices/c:"
# Un fichier du mois : cinq lignes d'en-tête, puis une connexion.
fichier_98() {
    printf 'Attention, modifier ce fichier peut provoquer des erreurs de lecture !\r\nLumicompteur 98\r\n%s\r\ntva : 20,6\r\n\r\n%s\r\n' "$1" "$2"
}
fichier_98 "mars 1999" 'Paul;Tarification locale;02/03/1999;21h05;00:10:00;Bleu;A;1,5;0;0;0;|;MonFAI;' > "$ancien/mars99.fct"
fichier_98 "avril 1999" 'Paul;Tarification locale;03/04/1999;21h05;00:20:00;Bleu;A;3;0;0;0;|;MonFAI;' > "$ancien/avril99.fct"
printf 'pas un mois\r\n' > "$ancien/notes.fct"
cat > "$HOME/.wine/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Microsoft\\Windows\\CurrentVersion\\Run] 1700000000
#time=1da0000000000000
"Lumicompteur 98"="C:\\Program Files\\Lumicompteur 98\\lumi98.exe -invisible"
REG

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2
source "$BUREAU_E2E"

"$programme" --dossier "$dossier" > "$dossier.sortie" 2>&1 &
pid=$!
accueil=""
for _ in $(seq 100); do
    accueil=$(xdotool search --onlyvisible --name '^Première utilisation$' 2> /dev/null | head -1 || true)
    [ -n "$accueil" ] && break
    sleep 0.1
done
[ -n "$accueil" ] || { echo "l'accueil n'est pas apparu" >&2; kill "$pid"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$accueil")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
sleep 0.3
# Bienvenue, recherche, liste, copiés, fin de la reprise, dernière page : « &Terminer ».
for _ in 1 2 3 4 5 6; do
    xdotool key Return
    sleep 0.5
done
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Première utilisation$' > /dev/null 2>&1 || break
    sleep 0.1
done
! xdotool search --onlyvisible --name '^Première utilisation$' > /dev/null 2>&1 ||
    { echo "l'accueil est resté ouvert" >&2; kill "$pid"; exit 1; }
attendre_fenetres 1 || { echo "la fenêtre principale n'est pas apparue" >&2; kill "$pid"; exit 1; }
kill -TERM "$pid"
attendre_fin "$pid" 30 || { echo "pas fermé par SIGTERM" >&2; kill -9 "$pid"; exit 1; }

# Le démarrage suivant : pas d'accueil.
"$programme" --dossier "$dossier" >> "$dossier.sortie" 2>&1 &
pid=$!
attendre_fenetres 1 || { echo "la fenêtre principale n'est pas apparue" >&2; kill "$pid"; exit 1; }
sleep 1
if xdotool search --onlyvisible --name '^Première utilisation$' > /dev/null 2>&1; then
    echo "l'accueil est revenu" >&2
    kill "$pid"
    exit 1
fi
kill -TERM "$pid"
attendre_fin "$pid" 30 || { kill -9 "$pid"; exit 1; }
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$tmp/scenario.sh" "$programme" "$dossier" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null || true
    echec "le scénario a échoué (code $code)"
}

for f in mars99.fct avril99.fct; do
    cmp -s "$ancien/$f" "$dossier/Historique/$f" || echec "$f n'a pas été repris"
done
[ ! -e "$dossier/Historique/notes.fct" ] || echec "notes.fct a été repris"
premiere=$("$outil" registre lire --dossier "$dossier" '\options' '1ere utilisation2000' | sed 's/^[^=]*=//')
[ "$premiere" = non ] || echec "1ere utilisation2000 vaut « $premiere »"
# La liste des mois de l'historique les montre : l'outil mène la même vue que la fenêtre.
for mois in 03/1999 04/1999; do
    nb=$("$outil" historique --dossier "$dossier" --mois "$mois" | sed -n 's/^nb=//p')
    [ "$nb" = 1 ] || echec "le mois $mois de l'historique montre « $nb » connexion(s)"
done
echo "première utilisation de bout en bout : réussie"
