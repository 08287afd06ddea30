#!/usr/bin/env bash
# De bout en bout : la fin de la session pendant une boîte du démarrage. Pour chaque boîte (fichier
# de données manquant, connexion gardée par l'instantané, nouvelle période de facturation), le vrai
# programme démarre sous Xvfb jusqu'à la boîte et reçoit SIGTERM, comme à la fermeture de la
# session : il doit être parti dans les 3 secondes, avec le code 0, sans rien avoir changé aux
# réglages, à lumicompteur.ini ni à l'historique. Au démarrage suivant, la même boîte revient, et sa
# réponse par défaut (« OK », « &Oui ») fait ce qu'elle doit.
# Usage : fin_de_session_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool

preparer_dossier_essai lumi-session

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 outil=$2 tmp=$3
source "$BUREAU_E2E"

pid=""
arreter() {
    [ -z "$pid" ] || kill -9 "$pid" 2> /dev/null || true
}
rate() {
    echo "$cas : $*" >&2
    arreter
    exit 1
}

lancer() {
    "$programme" --dossier "$dossier" "$@" >> "$tmp/$cas.sortie" 2>&1 &
    pid=$!
}

# SIGTERM, puis le programme doit être parti dans les 3 secondes, avec le code 0.
terminer() {
    kill -TERM "$pid"
    attendre_fin "$pid" 30 || rate "le programme tourne encore 3 s après SIGTERM ($1)"
    local code=0
    wait "$pid" || code=$?
    pid=""
    [ "$code" -eq 0 ] || rate "code de sortie $code après SIGTERM ($1)"
}

# Le magasin des réglages du dossier `$1`, clé par clé.
lister() {
    local ligne
    "$outil" registre lister --dossier "$1" "$2" | while IFS= read -r ligne; do
        echo "$2|$ligne"
        if [[ $ligne == cle=* ]]; then lister "$1" "$2\\${ligne#cle=}"; fi
    done
}
# Ce qu'un démarrage interrompu ne doit pas changer. L'outil remet les fichiers de données qui
# manquent : il lit une copie du dossier.
empreinte() {
    rm -rf "$tmp/copie"
    cp -a "$dossier" "$tmp/copie"
    lister "$tmp/copie" ""
    (cd "$dossier" && ls && sha1sum lumicompteur.ini && find Historique -type f -exec sha1sum {} + | sort)
}
option() { "$outil" registre lire --dossier "$dossier" '\options' "$1" | sed 's/^[^=]*=//'; }

# Attend qu'une boîte autre que `$1` soit la plus petite fenêtre à l'écran, parmi au moins `$2`.
attendre_boite() {
    local boite
    for _ in $(seq 100); do
        if [ "$(fenetres_visibles | wc -l)" -ge "$2" ]; then
            boite=$(plus_petite_fenetre)
            if [ -n "$boite" ] && [ "$boite" != "$1" ]; then
                echo "$boite"
                return 0
            fi
        fi
        sleep 0.1
    done
    return 1
}

# Un dossier de données en service : un premier démarrage sans boîte, fini par SIGTERM.
modele="$tmp/modele"
cas=modele dossier=$modele
passer_premiere_utilisation "$outil" "$dossier"
lancer
attendre_fenetres 1 || rate "la fenêtre n'est pas apparue"
terminer "fenêtre principale"

# cas | fenêtres à l'écran avec la boîte (la fenêtre principale vient après les deux premières) |
# arguments (-invisible : le démarrage de la session, qui ne montre pas la fenêtre)
while IFS='|' read -r -u 3 cas fenetres arguments; do
    dossier="$tmp/$cas"
    cp -a "$modele" "$dossier"
    case $cas in
        fichier_manquant)
            rm "$dossier/Couleur.ini"
            ;;
        instantane)
            # Le rejeu se tue lui-même en pleine connexion : l'instantané reste.
            ("$outil" simuler --dossier "$dossier" --entree MonFAI --debut '10/03/2000 14:00:00' \
                --fin '10/03/2000 15:00:00' --tuer-apres 30 || true) > /dev/null 2>&1
            [ -n "$(option 'sauv crash')" ] || rate "pas d'instantané après le rejeu"
            ;;
        periode_facturation)
            sed -i "s|^;date fin derniere facture=|date fin derniere facture=$(date -d '-90 days' +%d/%m/%Y)|" \
                "$dossier/lumicompteur.ini"
            "$outil" registre ecrire --dossier "$dossier" '\options' 'cout total' '12,500' > /dev/null
            "$outil" registre ecrire --dossier "$dossier" '\options' 'total time' 3600 > /dev/null
            ;;
    esac
    avant=$(empreinte)

    # La boîte ouverte, la session se termine.
    lancer ${arguments:+"$arguments"}
    attendre_fenetres "$fenetres" || rate "la boîte n'est pas apparue"
    terminer "boîte ouverte"
    [ "$(empreinte)" = "$avant" ] || rate "le démarrage interrompu a changé des données :
$(diff <(echo "$avant") <(empreinte) || true)"

    # Au démarrage suivant, la même boîte revient ; sa réponse par défaut agit.
    lancer ${arguments:+"$arguments"}
    boite=$(attendre_boite "" "$fenetres") || rate "la boîte n'est pas revenue"
    repondre_oui "$boite"
    case $cas in
        fichier_manquant)
            # Le démarrage continue : la fenêtre principale, seule.
            for _ in $(seq 100); do
                visibles=$(fenetres_visibles)
                [ -n "$visibles" ] && ! grep -qx "$boite" <<< "$visibles" && break
                sleep 0.1
            done
            ! grep -qx "$boite" <<< "$visibles" || rate "l'avertissement est resté ouvert"
            [ -n "$visibles" ] || rate "la fenêtre principale n'est pas apparue"
            ;;
        instantane)
            for _ in $(seq 100); do
                [ -z "$(option 'sauv crash')" ] && break
                sleep 0.1
            done
            [ -z "$(option 'sauv crash')" ] || rate "l'instantané n'a pas été enregistré"
            grep -aqs ';MonFAI;' "$dossier/Historique/mars00.fct" ||
                rate "la connexion gardée n'est pas dans l'historique"
            ;;
        periode_facturation)
            information=$(attendre_boite "$boite" 2) || rate "pas d'information après la nouvelle période"
            repondre_oui "$information"
            grep -aq "^date fin derniere facture=$(date +%d/%m/%Y)" "$dossier/lumicompteur.ini" ||
                rate "la nouvelle période ne commence pas aujourd'hui"
            [ "$(option 'total time')" = 0 ] || rate "la facture n'est pas remise à zéro"
            ;;
    esac
    terminer "après la réponse"
    echo "$cas : réussi"
done 3<<'CAS'
fichier_manquant|1|
instantane|1|-invisible
periode_facturation|2|
CAS
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$tmp/scenario.sh" "$programme" "$outil" "$tmp" || {
    code=$?
    cat "$tmp"/*.sortie >&2 2> /dev/null || true
    echec "le scénario a échoué (code $code)"
}
echo "fin de session pendant le démarrage, de bout en bout : réussie"
