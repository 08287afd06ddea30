#!/usr/bin/env bash
# Lance une commande sur un bus privé, qui sert de bus système et de bus de la session
# (DBUS_SYSTEM_BUS_ADDRESS, DBUS_SESSION_BUS_ADDRESS), avec les faux services demandés de
# python3-dbusmock : « nm » (le modèle networkmanager de dbusmock), « mm » (un objet vide au nom de
# ModemManager, que l'essai remplit), « notifications » (le modèle notification_daemon). Sans
# service : un bus vide. 77 (sauté) si dbus-daemon ou dbusmock manquent.
# Usage : bus_essai.sh [nm] [mm] -- COMMANDE [ARGUMENTS...]
set -euo pipefail
python=/usr/bin/python3
command -v dbus-daemon > /dev/null || { echo "dbus-daemon manque" >&2; exit 77; }
"$python" -c "import dbusmock" 2> /dev/null || { echo "python3-dbusmock manque" >&2; exit 77; }

services=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do services+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

tmp=$(mktemp -d /tmp/lumi-bus-XXXXXX)
pids=()
nettoyer() {
    for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$tmp"
}
trap nettoyer EXIT

dbus-daemon --session --nofork --address="unix:path=$tmp/bus" --print-address=3 3> "$tmp/adresse" &
pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/adresse" ] && break; sleep 0.1; done
export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$tmp/adresse")
export DBUS_SESSION_BUS_ADDRESS=$DBUS_SYSTEM_BUS_ADDRESS

attendre_nom() {
    for _ in $(seq 100); do
        NOM=$1 "$python" -c 'import os, dbus, sys; sys.exit(0 if dbus.SystemBus().name_has_owner(os.environ["NOM"]) else 1)' \
            2> /dev/null && return 0
        sleep 0.1
    done
    echo "le faux service $1 n'est pas venu" >&2
    exit 1
}

for s in ${services[@]+"${services[@]}"}; do
    case "$s" in
        nm)
            "$python" -m dbusmock --system --template networkmanager > "$tmp/nm.log" 2>&1 &
            pids+=($!)
            attendre_nom org.freedesktop.NetworkManager
            ;;
        mm)
            "$python" -m dbusmock --system -m org.freedesktop.ModemManager1 /org/freedesktop/ModemManager1 \
                org.freedesktop.ModemManager1 > "$tmp/mm.log" 2>&1 &
            pids+=($!)
            attendre_nom org.freedesktop.ModemManager1
            ;;
        notifications)
            "$python" -m dbusmock --template notification_daemon > "$tmp/notifications.log" 2>&1 &
            pids+=($!)
            attendre_nom org.freedesktop.Notifications
            ;;
        *) echo "service inconnu : $s" >&2; exit 2 ;;
    esac
done

"$@"
