#!/usr/bin/env bash
# De bout en bout : le vrai programme en démonstration dans un dossier de données temporaire, sous
# Xvfb. La connexion simulée de quelques secondes doit laisser exactement un enregistrement dans le
# fichier du mois, avec les champs attendus, puis le programme doit se fermer proprement par son
# menu principal (« &Quitter Lumicompteur 2000 », question acceptée) sans laisser d'instantané.
# Usage : demo_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2
duree=4

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool

preparer_dossier_essai lumi-e2e
dossier="$tmp/donnees"

# Le scénario, joué dans l'affichage virtuel.
cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2 duree=$3
source "$BUREAU_E2E"
"$programme" --dossier "$dossier" --demo "$duree" > "$dossier.sortie" 2>&1 &
pid=$!

fenetre=""
for _ in $(seq 100); do
    fenetre=$(xdotool search --onlyvisible --name '^Lumicompteur 2000$' 2> /dev/null | head -1 || true)
    [ -n "$fenetre" ] && break
    sleep 0.1
done
[ -n "$fenetre" ] || { echo "la fenêtre n'est pas apparue" >&2; kill "$pid"; exit 1; }

# La connexion numérote à 3 s, compte dès 6 s, se termine à 6 s + durée : l'enregistrement suit.
enregistrement=""
for _ in $(seq 300); do
    enregistrement=$(enregistrements_monfai "$dossier")
    [ -n "$enregistrement" ] && break
    sleep 0.1
done
[ -n "$enregistrement" ] || { echo "aucun enregistrement après la connexion" >&2; kill "$pid"; exit 1; }
sleep 1

# Le menu principal au clic droit sur le fond de la fenêtre, puis « &Quitter » et « &Oui » dans
# la question, qui est la fenêtre apparue depuis.
visibles() { xdotool search --onlyvisible --name '^Lumicompteur 2000$' 2> /dev/null | sort || true; }
quitte=""
for essai in 1 2 3; do
    avant=$(visibles)
    xdotool mousemove --window "$fenetre" 5 95 click 3
    sleep 0.7
    xdotool key q
    sleep 0.7
    boite=$(comm -13 <(printf '%s\n' "$avant") <(visibles) | head -1)
    if [ -n "$boite" ]; then repondre_oui "$boite"; fi
    if attendre_fin "$pid"; then
        quitte=oui
        break
    fi
    echo "essai $essai : le programme tourne encore" >&2
    xdotool key Escape
done
[ -n "$quitte" ] || { echo "le menu n'a pas fermé le programme" >&2; kill "$pid"; exit 1; }
wait "$pid"
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" bash "$tmp/scenario.sh" "$programme" "$dossier" "$duree" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    echec "le scénario a échoué (code $code)"
}

# Exactement un enregistrement, avec ses champs.
fichiers=("$dossier"/Historique/*.fct)
[ ${#fichiers[@]} -eq 1 ] || echec "un fichier du mois attendu, ${#fichiers[@]} trouvés"
contenu=$(iconv -f WINDOWS-1252 -t UTF-8 "${fichiers[0]}" | tr -d '\r')
lignes=$(printf '%s\n' "$contenu" | grep -c ';' || true)
[ "$lignes" -eq 1 ] || echec "un enregistrement attendu, $lignes trouvés :
$contenu"
ligne=$(printf '%s\n' "$contenu" | grep ';')
IFS=';' read -r -a champs <<< "$ligne"
echo "enregistrement : $ligne"
[ ${#champs[@]} -ge 13 ] || echec "13 champs attendus : $ligne"
[ -n "${champs[0]}" ] || echec "utilisateur vide"
[ "${champs[1]}" = "Tarification locale" ] || echec "tarif « ${champs[1]} »"
[ "${champs[2]}" = "$(date +%d/%m/%Y)" ] || echec "date « ${champs[2]} »"
[[ "${champs[3]}" =~ ^[0-9]{2}[hH][0-9]{2}$ ]] || echec "heure « ${champs[3]} »"
secondes=$((10#${champs[4]:0:2} * 3600 + 10#${champs[4]:3:2} * 60 + 10#${champs[4]:6:2}))
((secondes >= duree - 1 && secondes <= duree + 2)) || echec "durée « ${champs[4]} » pour ${duree} s"
printf '%s\n' "${champs[@]}" | grep -qx 'MonFAI' || echec "l'entrée MonFAI manque : $ligne"
printf '%s\n' "${champs[@]}" | grep -qx 'A' || echec "le mode automatique « A » manque : $ligne"

# Fermeture propre : plus d'instantané, la facture compte la connexion, rien n'est resté dans le menu.
# L'outil écrit NOM=VALEUR.
lire_option() { "$outil" registre lire --dossier "$dossier" '\options' "$1" | sed 's/^[^=]*=//'; }
instantane=$(lire_option 'sauv crash')
[ -z "$instantane" ] || echec "instantané resté : $instantane"
total=$(lire_option 'total time')
[ -n "$total" ] && [ "$total" != "0" ] || echec "la facture en cours n'a pas compté la connexion (« $total »)"
echo "démonstration de bout en bout : réussie"
