#!/usr/bin/env bash
# De bout en bout : deux utilisateurs dont un protégé, « selection auto » : à la fin de la connexion de
# démonstration la boîte « Sélection de l'utilisateur » paraît, rien n'est écrit avant la réponse, et
# l'enregistrement va à l'utilisateur choisi dans la boîte (ici Anne, non protégée, au lieu de Paul).
# Usage : selection_utilisateur_e2e.sh PROGRAMME OUTIL [IMAGE]
set -euo pipefail

programme=$1
outil=$2
image=${3:-}
duree=4

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool

preparer_dossier_essai lumi-selection
dossier="$tmp/donnees"
passer_premiere_utilisation "$outil" "$dossier"

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 outil=$2 dossier=$3 duree=$4 image=$5
source "$BUREAU_E2E"

# Un premier démarrage amorce le dossier ; SIGTERM le ferme.
"$programme" --dossier "$dossier" > "$dossier.sortie" 2>&1 &
pid=$!
attendre_fenetres 1 || { echo "la fenêtre n'est pas apparue" >&2; kill "$pid"; exit 1; }
kill -TERM "$pid"
attendre_fin "$pid" 30 || { echo "pas fermé par SIGTERM" >&2; kill -9 "$pid"; exit 1; }
wait "$pid" || true

ecrire() { "$outil" registre ecrire --dossier "$dossier" "$@" > /dev/null; }
ecrire '\utilisateurs' "nb d'utilisateurs" 2
ecrire '\utilisateurs' 'utilisateur 1' Anne
ecrire '\utilisateurs' 'utilisateur 2' Paul
ecrire '\utilisateurs' 'dernier utilisateur' Paul
ecrire '\utilisateurs' 'utiliser profil' non
ecrire '\utilisateurs' 'selection auto' oui
ecrire '\options' 'message 1' non
# Paul est protégé : une empreinte que personne ici ne connaît.
ecrire '\options' 'pdata 2' '$argon2id$v=19$m=65536,t=2,p=1$c2VsZGVzc2Fp$YWJjZGVmZ2hpamtsbW5vcHFyc3R1dnd4eXo'

"$programme" --dossier "$dossier" --demo "$duree" >> "$dossier.sortie" 2>&1 &
pid=$!
boite=""
for _ in $(seq 300); do
    boite=$(xdotool search --onlyvisible --name "^Sélection de l'utilisateur$" 2> /dev/null | head -1 || true)
    [ -n "$boite" ] && break
    sleep 0.1
done
[ -n "$boite" ] || { echo "la boîte de sélection n'est pas apparue" >&2; kill "$pid"; exit 1; }
sleep 1
if [ -n "$image" ]; then convert x:root "$image" 2> /dev/null || true; fi
if ls "$dossier"/Historique/*.fct > /dev/null 2>&1 && grep -qa MonFAI "$dossier"/Historique/*.fct; then
    echo "enregistrement écrit avant la réponse" >&2
    kill "$pid"
    exit 1
fi

# Anne, première ligne de la liste, puis Entrée dans la liste.
enregistrement=""
for essai in 1 2 3; do
    xdotool mousemove --window "$boite" 40 18 click 1
    sleep 0.5
    xdotool key Return
    for _ in $(seq 50); do
        enregistrement=$(enregistrements_monfai "$dossier")
        [ -n "$enregistrement" ] && break 2
        sleep 0.1
    done
    echo "essai $essai : pas encore d'enregistrement" >&2
done
[ -n "$enregistrement" ] || { echo "aucun enregistrement après la réponse" >&2; kill "$pid"; exit 1; }
kill -TERM "$pid"
attendre_fin "$pid" 30 || { kill -9 "$pid"; exit 1; }
wait "$pid" || true
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$tmp/scenario.sh" "$programme" "$outil" "$dossier" "$duree" "$image" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    echec "le scénario a échoué (code $code)"
}

contenu=$(seul_enregistrement "$dossier")
echo "enregistrement : $contenu"
[ "${contenu%%;*}" = "Anne" ] || echec "enregistré pour « ${contenu%%;*} » au lieu d'Anne"
instantane=$("$outil" registre lire --dossier "$dossier" '\options' 'sauv crash' | sed 's/^[^=]*=//')
[ -z "$instantane" ] || echec "instantané resté après l'enregistrement : $instantane"
echo "sélection de l'utilisateur de bout en bout : réussie"
