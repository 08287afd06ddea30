# Gestes communs des scénarios de bout en bout, joués dans l'affichage virtuel (xdotool).

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
