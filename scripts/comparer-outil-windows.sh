#!/usr/bin/env bash
# L'outil de Linux et celui de Windows (sous Wine) donnent-ils les mêmes lignes pour les mêmes
# données et les mêmes arguments ? Chaque côté travaille sur sa copie du même dossier de données ;
# seuls les fins de ligne (\r\n sous Windows), le nom du dossier et le séparateur qui le suit sont
# mis à l'écart.
# Usage : comparer-outil-windows.sh OUTIL_LINUX OUTIL_WINDOWS_EXE PREFIXE_WINE
set -euo pipefail
outil_linux=$1
outil_windows=$2
prefixe=$3
ici=$(cd "$(dirname "$0")/.." && pwd)
travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
for cote in linux windows; do
    mkdir -p "$travail/$cote"
    cp -r "$ici/data/." "$travail/$cote/"
    cp -r "$ici/tests/donnees/historique/Historique" "$travail/$cote/"
done

# Une commande par ligne ; DOSSIER est remplacé par le dossier de données du côté lancé.
commandes=(
    'paques --annee 2001'
    'paques --annee 2038'
    'jour --date 25/12/2000 --dossier DOSSIER --tarif Tarification_locale --heure 10:00:00'
    'jour --date 14/07/2026 --dossier DOSSIER --tarif Tarification_locale --heure 23:59:59'
    'prix --dossier DOSSIER --tarif Tarification_locale --debut 04/12/2000_18:59:30 --fin 04/12/2000_19:10:00'
    'prix --dossier DOSSIER --tarif Inconnu --debut 04/12/2000_18:59:30 --fin 04/12/2000_19:10:00'
    'registre ecrire --dossier DOSSIER \essai\Fournisseur nom Télécom'
    'registre lire --dossier DOSSIER \essai\Fournisseur nom'
    'registre lister --dossier DOSSIER \essai'
    'registre effacer --dossier DOSSIER \essai'
    'historique --dossier DOSSIER --type 0'
    'simuler --dossier DOSSIER --entree MonFAI --debut 04/12/2000_18:59:30 --fin 04/12/2000_19:10:00'
    'paques --annee deux-mille'
)

lancer() {
    local cote=$1 ligne=$2 dossier=$travail/$1
    local -a args=()
    read -r -a args <<<"$ligne"
    for i in "${!args[@]}"; do
        args[$i]=${args[$i]//DOSSIER/$dossier}
        args[$i]=${args[$i]//_/ }  # les dates et heures en un seul argument
    done
    local code=0
    if [ "$cote" = linux ]; then
        LANG=C.UTF-8 TZ=Europe/Paris "$outil_linux" "${args[@]}" >"$travail/sortie-$cote" 2>&1 || code=$?
    else
        "$ici/scripts/wine.sh" "$prefixe" "$outil_windows" "${args[@]}" >"$travail/sortie-$cote" 2>&1 || code=$?
    fi
    # Le séparateur de chemin propre à chaque système ne compte pas non plus.
    tr -d '\r' <"$travail/sortie-$cote" | sed "s|$dossier|DOSSIER|g; s|DOSSIER\\\\|DOSSIER/|g"
    echo "code=$code"
}

# Le côté Linux tourne dans la locale C : séparateur "," et symbole "F" (les valeurs françaises).
# L'outil de Windows lit ceux de l'utilisateur ; on lui donne les mêmes, comme le panneau de
# configuration les range, pour que seuls les chiffres soient comparés.
for reglage in "sDecimal ," "sCurrency F"; do
    read -r nom valeur <<<"$reglage"
    "$ici/scripts/wine.sh" "$prefixe" reg add 'HKCU\Control Panel\International' /v "$nom" /t REG_SZ \
        /d "$valeur" /f >/dev/null
done

echecs=0
for ligne in "${commandes[@]}"; do
    if ! diff -u --label "linux : $ligne" --label "windows : $ligne" \
        <(lancer linux "$ligne") <(lancer windows "$ligne"); then
        echecs=$((echecs + 1))
    fi
done
if [ "$echecs" -ne 0 ]; then
    echo "$echecs commande(s) sur ${#commandes[@]} ne donnent pas les mêmes lignes."
    exit 1
fi
echo "Les ${#commandes[@]} commandes donnent les mêmes lignes sous Linux et sous Windows."
