# Gestes communs des scénarios de bout en bout, joués dans l'affichage virtuel (xdotool).

# Répond « &Oui » à la question de la fermeture : sans gestionnaire de fenêtres, le clavier va à la
# fenêtre sous le pointeur, qui est donc posé au milieu de la boîte.
repondre_oui() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.3
    xdotool key Return
}

# Vrai si le processus s'est arrêté dans les cinq secondes.
attendre_fin() {
    for _ in $(seq 50); do
        kill -0 "$1" 2> /dev/null || return 0
        sleep 0.1
    done
    return 1
}
