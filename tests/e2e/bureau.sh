# Gestes communs des scénarios de bout en bout, joués dans l'affichage virtuel (xdotool), et la mise
# en place commune des scripts qui les lancent.

echec() {
    echo "ÉCHEC : $*" >&2
    exit 1
}

# Chaque commande nommée doit être là.
exiger_commandes() {
    local commande
    for commande in "$@"; do
        command -v "$commande" > /dev/null || echec "$commande est nécessaire (scripts/installer-dependances.sh)"
    done
}

# Un dossier temporaire privé ($tmp, effacé à la sortie) qui tient le HOME, la configuration et
# XDG_RUNTIME_DIR de l'essai : rien de l'utilisateur réel n'est touché. $1 : préfixe du nom.
preparer_dossier_essai() {
    tmp=$(mktemp -d "/tmp/$1-XXXXXX")
    trap 'rm -rf "$tmp"' EXIT
    mkdir -m 700 "$tmp/run"
    export XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config" HOME="$tmp" LANG=C.UTF-8 TZ=Europe/Paris
}

# Un dossier de données dont la première utilisation est passée : l'accueil, modal, ne s'ouvre pas
# devant les essais qui ne le concernent pas. $1 : l'outil, $2 : le dossier (amorcé s'il manque).
passer_premiere_utilisation() {
    "$1" registre ecrire --dossier "$2" '\options' '1ere utilisation2000' non > /dev/null
}

# Répond « &Oui » à la question de la fermeture : sans gestionnaire de fenêtres, le clavier va à la
# fenêtre sous le pointeur, qui est donc posé au milieu de la boîte.
repondre_oui() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.3
    xdotool key Return
}

# Vrai si le processus s'est arrêté dans les cinq secondes, ou dans le nombre de dixièmes de
# seconde donné en second argument.
attendre_fin() {
    for _ in $(seq "${2:-50}"); do
        kill -0 "$1" 2> /dev/null || return 0
        sleep 0.1
    done
    return 1
}

# Les fenêtres du programme à l'écran : la fenêtre principale et ses boîtes portent son titre.
fenetres_visibles() {
    xdotool search --onlyvisible --name '^Lumicompteur 2000$' 2> /dev/null || true
}

# Attend (dix secondes au plus) qu'au moins N fenêtres du programme soient à l'écran.
attendre_fenetres() {
    for _ in $(seq 100); do
        [ "$(fenetres_visibles | wc -l)" -ge "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# La plus petite des fenêtres du programme à l'écran : la boîte ouverte sur la fenêtre principale.
plus_petite_fenetre() {
    local w
    for w in $(fenetres_visibles); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "$((WIDTH * HEIGHT)) $w"
    done | sort -n | head -1 | cut -d' ' -f2
}

# Les enregistrements de l'entrée de démonstration « MonFAI » (UTF-8) dans l'historique du dossier $1 ;
# rien tant qu'il n'y en a pas.
enregistrements_monfai() {
    cat "$1"/Historique/*.fct 2> /dev/null | iconv -f WINDOWS-1252 -t UTF-8 | grep -a 'MonFAI' || true
}

# Le seul enregistrement de l'historique du dossier $1 ; l'essai échoue s'il n'y en a pas exactement un.
seul_enregistrement() {
    local contenu
    contenu=$(iconv -f WINDOWS-1252 -t UTF-8 "$1"/Historique/*.fct | tr -d '\r' | grep ';')
    [ "$(printf '%s\n' "$contenu" | wc -l)" -eq 1 ] || echec "un enregistrement attendu :
$contenu"
    printf '%s\n' "$contenu"
}
