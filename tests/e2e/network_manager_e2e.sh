#!/usr/bin/env bash
# De bout en bout : le vrai programme sous Xvfb, sur un bus système privé tenu par le faux
# NetworkManager de python3-dbusmock. Le profil gsm « Orange Internet » s'active (appareil en
# préparation, puis configuration IP : le comptage part), est activé, puis désactivé environ six
# secondes après le début du comptage : un seul enregistrement, à son nom, de cette durée.
# Usage : network_manager_e2e.sh PROGRAMME OUTIL
set -euo pipefail

programme=$1
outil=$2

source "$(dirname "$0")/bureau.sh"

exiger_commandes xvfb-run xdotool iconv

preparer_dossier_essai lumi-nm-e2e
dossier="$tmp/donnees"
passer_premiere_utilisation "$outil" "$dossier"
# pppd ne voit rien ici : des dossiers vides à lui.
mkdir -p "$tmp/peers" "$tmp/ppp-run"
export LUMICOMPTEUR_PPP_PAIRS="$tmp/peers" LUMICOMPTEUR_PPP_RUN="$tmp/ppp-run"

# Ce que fait NetworkManager, par les méthodes du faux service.
cat > "$tmp/nm.py" <<'PY'
import sys
import dbus
bus = dbus.SystemBus()
NM = "org.freedesktop.NetworkManager"
mock = dbus.Interface(bus.get_object(NM, "/org/freedesktop/NetworkManager"), "org.freedesktop.DBus.Mock")
def prop(chemin, interface, nom, valeur):
    mock.SetProperty(chemin, interface, nom, valeur)
commande, args = sys.argv[1], sys.argv[2:]
if commande == "profil":
    reglages = dbus.Interface(bus.get_object(NM, "/org/freedesktop/NetworkManager/Settings"),
                              "org.freedesktop.NetworkManager.Settings")
    print(reglages.AddConnection({"connection": {"id": args[0], "type": args[1]}}))
elif commande == "appareil":
    chemin = mock.AddEthernetDevice(args[0], "ttyUSB0", 30)
    prop(chemin, "org.freedesktop.NetworkManager.Device", "IpInterface", args[1])
    print(chemin)
elif commande == "active":
    print(mock.AddActiveConnection([args[1]], args[0], "/", "0", dbus.UInt32(1)))
elif commande == "etat-appareil":
    prop(args[0], "org.freedesktop.NetworkManager.Device", "State", dbus.UInt32(int(args[1])))
elif commande == "etat":
    prop(args[0], "org.freedesktop.NetworkManager.Connection.Active", "State", dbus.UInt32(int(args[1])))
elif commande == "retirer":
    mock.RemoveActiveConnection(args[0], args[1])
PY

cat > "$tmp/scenario.sh" <<'SCENARIO'
set -euo pipefail
programme=$1 dossier=$2 nm=$3
source "$BUREAU_E2E"
nm() { /usr/bin/python3 "$nm" "$@"; }

profil=$(nm profil "Orange Internet" gsm)
nm profil "Hôtel" 802-11-wireless > /dev/null
modem=$(nm appareil modem0 ppp0)

"$programme" --dossier "$dossier" > "$dossier.sortie" 2>&1 &
pid=$!
arreter() { kill "$pid" 2> /dev/null || true; }
attendre_fenetres 1 || { echo "la fenêtre n'est pas apparue" >&2; arreter; exit 1; }
sleep 1

active=$(nm active "$profil" "$modem")
nm etat-appareil "$modem" 40
sleep 2
nm etat-appareil "$modem" 70
sleep 1
nm etat "$active" 2
nm etat-appareil "$modem" 100
sleep 5
nm etat "$active" 4
sleep 1
nm retirer "$modem" "$active"


enregistrement=""
for _ in $(seq 100); do
    enregistrement=$(cat "$dossier"/Historique/*.fct 2> /dev/null | iconv -f WINDOWS-1252 -t UTF-8 |
        grep -a 'Orange Internet' || true)
    [ -n "$enregistrement" ] && break
    sleep 0.1
done
[ -n "$enregistrement" ] || { echo "aucun enregistrement après la connexion" >&2; arreter; exit 1; }
kill -TERM "$pid"
attendre_fin "$pid" 50 || { kill -9 "$pid"; exit 1; }
wait "$pid" || true
SCENARIO

BUREAU_E2E="$(dirname "$0")/bureau.sh" "$(dirname "$0")/../commun/bus_essai.sh" nm -- \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$tmp/scenario.sh" "$programme" "$dossier" "$tmp/nm.py" || {
    code=$?
    cat "$dossier.sortie" >&2 2> /dev/null
    [ "$code" -eq 77 ] && exit 77
    echec "le scénario a échoué (code $code)"
}

contenu=$(seul_enregistrement "$dossier")
echo "enregistrement : $contenu"
printf '%s\n' "$contenu" | grep -q ';Orange Internet;' || echec "l'enregistrement n'est pas celui d'« Orange Internet »"
secondes=$(printf '%s\n' "$contenu" | cut -d';' -f5 | awk -F: '{print $1 * 3600 + $2 * 60 + $3}')
# Six secondes de comptage, à une seconde près de chaque côté (le tic est à la seconde).
[ "$secondes" -ge 5 ] && [ "$secondes" -le 8 ] || echec "la connexion a duré $secondes s au lieu d'environ 6"
echo "NetworkManager de bout en bout : réussi"
