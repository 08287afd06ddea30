#!/usr/bin/env bash
# Lance l'essai de l'arrêt par logind sur un bus privé tenu par un faux logind (python3-dbusmock) :
# un logind qui accepte, un qui refuse, puis un qui répond au bout de 3 s. 77 (sauté) si dbus-daemon
# ou dbusmock manquent.
# Usage : arret_logind.sh ESSAI
set -euo pipefail
essai=$1
python=/usr/bin/python3
command -v dbus-daemon > /dev/null || { echo "dbus-daemon manque" >&2; exit 77; }
"$python" -c "import dbusmock" 2> /dev/null || { echo "python3-dbusmock manque" >&2; exit 77; }

tmp=$(mktemp -d /tmp/lumi-logind-XXXXXX)
pids=()
nettoyer() {
    for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$tmp"
}
trap nettoyer EXIT

un_passage() {
    local cas=$1
    # Un bus neuf à chaque passage : le faux logind s'y inscrit sous org.freedesktop.login1.
    dbus-daemon --session --nofork --address="unix:path=$tmp/bus-$cas" --print-address=3 3> "$tmp/adresse-$cas" &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$tmp/adresse-$cas" ] && break; sleep 0.1; done
    export DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$tmp/adresse-$cas")
    "$python" -m dbusmock --system --template logind &
    pids+=($!)
    for _ in $(seq 100); do
        if "$python" - <<'PY' 2> /dev/null; then break; fi
import dbus
dbus.SystemBus().get_object("org.freedesktop.login1", "/org/freedesktop/login1")
dbus.SystemBus().call_blocking("org.freedesktop.login1", "/org/freedesktop/login1",
                               "org.freedesktop.login1.Manager", "CanPowerOff", "", [])
PY
        sleep 0.1
    done
    case "$cas" in
        refuse) code='raise dbus.exceptions.DBusException("Accès refusé.", name="org.freedesktop.DBus.Error.AccessDenied")' ;;
        tardif) code='__import__("time").sleep(3)' ;;
        *) code="" ;;
    esac
    if [ -n "$code" ]; then
        CODE=$code "$python" - <<'PY'
import os
import dbus
mock = dbus.Interface(dbus.SystemBus().get_object("org.freedesktop.login1", "/org/freedesktop/login1"),
                      "org.freedesktop.DBus.Mock")
mock.AddMethod("org.freedesktop.login1.Manager", "PowerOff", "b", "", os.environ["CODE"])
PY
    fi
    LUMI_LOGIND=$cas "$essai" --gtest_filter='ArretLogind.PowerOff*'
}

un_passage accepte
un_passage refuse
un_passage tardif
