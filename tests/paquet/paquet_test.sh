#!/usr/bin/env bash
# Le paquet Debian construit depuis l'arbre de compilation : ses champs, ses fichiers, lintian et
# desktop-file-validate, puis les programmes extraits du paquet : l'outil répond, et le compteur,
# lancé en démonstration sur un dossier de données neuf, l'amorce depuis les fichiers du paquet et
# n'écrit rien dans l'arbre installé.
# Usage : paquet_test.sh DOSSIER_DE_COMPILATION
set -euo pipefail

compilation=$1

source "$(dirname "$0")/../e2e/bureau.sh"

exiger_commandes cpack dpkg-deb xvfb-run
preparer_dossier_essai lumi-paquet
unset XDG_DATA_HOME

cpack -G DEB --config "$compilation/CPackConfig.cmake" -B "$tmp/deb" > "$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    echec "cpack n'a pas construit le paquet"
}
paquets=("$tmp"/deb/lumicompteur_*.deb)
[ ${#paquets[@]} -eq 1 ] && [ -f "${paquets[0]}" ] || echec "un paquet attendu : ${paquets[*]}"
deb=${paquets[0]}
echo "paquet : $(basename "$deb")"

# Les champs de contrôle : les dépendances calculées depuis les bibliothèques liées, plus le greffon
# d'affichage de Qt.
champ() { dpkg-deb -f "$deb" "$1"; }
[ "$(champ Package)" = lumicompteur ] || echec "Package « $(champ Package) »"
[ "$(champ Section)" = net ] || echec "Section « $(champ Section) »"
[ -n "$(champ Version)" ] && [ -n "$(champ Architecture)" ] || echec "Version ou Architecture manque"
[[ "$(champ Maintainer)" =~ \<.+@.+\> ]] || echec "Maintainer « $(champ Maintainer) »"
depends=$(champ Depends)
for dependance in libc6 libsqlite3-0 libsodium23 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins qt6-translations-l10n; do
    [[ "$depends" == *"$dependance"* ]] || echec "Depends ne nomme pas $dependance : $depends"
done
[[ "$(champ Description)" == *"accès à distance"* ]] || echec "Description « $(champ Description) »"

# Les fichiers : tout sous /usr, rien d'oublié.
liste=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
hors_usr=$(printf '%s\n' "$liste" | grep -v -e '^/$' -e '^/usr/' -e '^/usr$' || true)
[ -z "$hors_usr" ] || echec "fichiers hors de /usr : $hors_usr"
attendus=(
    /usr/bin/lumicompteur
    /usr/bin/lumicompteur-outil
    /usr/lib/lumicompteur/lumicompteur-outil-dessin
    /usr/lib/lumicompteur/lumicompteur-impression.so
    /usr/share/lumicompteur/tarifs.ini
    /usr/share/lumicompteur/lumicompteur.ini
    /usr/share/lumicompteur/Couleur.ini
    /usr/share/lumicompteur/aide/index.html
    /usr/share/applications/lumicompteur.desktop
    /usr/share/icons/hicolor/scalable/apps/lumicompteur.svg
    /usr/share/man/man1/lumicompteur.1.gz
    /usr/share/man/man1/lumicompteur-outil.1.gz
    /usr/share/doc/lumicompteur/copyright
    /usr/share/doc/lumicompteur/changelog.gz
)
for taille in 16 22 24 32 48 64 128 256; do
    attendus+=("/usr/share/icons/hicolor/${taille}x${taille}/apps/lumicompteur.png")
done
for fichier in "${attendus[@]}"; do
    printf '%s\n' "$liste" | grep -qx -- "$fichier" || echec "le paquet ne contient pas $fichier"
done

racine="$tmp/racine"
dpkg-deb -x "$deb" "$racine"

if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$racine/usr/share/applications/lumicompteur.desktop" ||
        echec "desktop-file-validate refuse l'entrée du bureau"
fi
if command -v lintian > /dev/null; then
    # Une erreur fait échouer l'essai ; les avertissements sont montrés.
    rapport=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
    [ -z "$rapport" ] || printf 'lintian :\n%s\n' "$rapport"
    ! printf '%s\n' "$rapport" | grep -q '^E:' || echec "lintian signale des erreurs"
fi
if command -v man > /dev/null; then
    for page in lumicompteur lumicompteur-outil; do
        erreurs=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$racine/usr/share/man/man1/$page.1.gz" 2>&1 > /dev/null || true)
        [ -z "$erreurs" ] || echec "la page de manuel $page a des défauts : $erreurs"
    done
fi

# Une marque dans les fichiers du paquet prouve que l'amorçage les prend là, pas dans les sources.
printf '; amorcé depuis le paquet\n' >> "$racine/usr/share/lumicompteur/Couleur.ini"
empreinte() { (cd "$racine" && find . -printf '%p %s %T@ %m\n' | sort | md5sum); }
avant=$(empreinte)

paques=$("$racine/usr/bin/lumicompteur-outil" paques --annee 2001)
[ "$paques" = "paques=15/04/2001" ] || echec "l'outil extrait répond « $paques »"

# Le compteur extrait en démonstration, sur le dossier de données par défaut d'un HOME neuf.
donnees="$HOME/.local/share/lumicompteur"
cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 donnees=$2
"$programme" --demo 3 > "$donnees.sortie" 2>&1 &
pid=$!
for _ in $(seq 300); do
    grep -aq 'MonFAI' "$donnees"/Historique/*.fct 2> /dev/null && break
    sleep 0.1
done
# La fin de session (SIGTERM) ferme le programme sans question.
kill -TERM "$pid"
wait "$pid" || true
grep -aq 'MonFAI' "$donnees"/Historique/*.fct 2> /dev/null || { echo "aucun enregistrement" >&2; exit 1; }
SCENARIO
mkdir -p "$HOME/.local/share"
xvfb-run -a -s "-screen 0 1024x768x24" bash "$tmp/scenario.sh" "$racine/usr/bin/lumicompteur" "$donnees" || {
    cat "$donnees.sortie" >&2 2> /dev/null || true
    echec "la démonstration du programme extrait a échoué"
}
for fichier in tarifs.ini lumicompteur.ini Couleur.ini; do
    [ -f "$donnees/$fichier" ] || echec "le dossier neuf n'a pas reçu $fichier"
done
grep -q 'amorcé depuis le paquet' "$donnees/Couleur.ini" || echec "Couleur.ini ne vient pas du paquet"
[ "$(empreinte)" = "$avant" ] || echec "le programme a écrit dans l'arbre installé"
echo "paquet Debian : réussi"
