#!/usr/bin/env python3
"""Banc du programme : lumicompteur contre une fenêtre Qt Widgets nue, lancés l'un après l'autre
sous le même Xvfb. Mesure le temps jusqu'à la première image dessinée (médiane de plusieurs
lancements), la mémoire résidente au repos et le temps processeur au repos pendant DUREE secondes,
puis écrit les trois rapports. Objectifs : démarrage et mémoire à moins de 1,2 fois la fenêtre nue,
processeur au repos sous 0,1 % d'un cœur.

Au repos, lumicompteur fait clignoter sa rangée d'état et compte chaque seconde : il se réveille
plus de deux fois par seconde et redessine. Ce qu'un réveil coûte dépend beaucoup de la machine
(sur une machine virtuelle partagée, il varie du simple au triple d'une minute à l'autre). Le banc
mesure donc, pendant les mêmes secondes, la fenêtre nue lancée avec --clignotant, qui ne fait que
ce travail : son processeur, écrit à côté du chiffre de lumicompteur, dit ce que ce travail coûte
sur cette machine à ce moment-là.

Avec trayer (une zone de notification), le banc mesure aussi, pendant les mêmes secondes, le
processeur d'un second lumicompteur lancé avec -invisible : caché dans la zone, il ne se réveille
plus que pour son top. Les réveils par seconde (commutations volontaires de tous les fils) sont
écrits à côté : eux ne dépendent que du programme.

Usage : performance_programme.py LUMICOMPTEUR FENETRE_NUE [--duree S] [--lancements N] [--pause S]
[--verifier] [--outil LUMICOMPTEUR_OUTIL] (à lancer sous xvfb-run ; --verifier rend le code 1 si un
objectif n'est pas tenu). Le dossier de données mesuré a fini sa première utilisation, et le banc
vérifie que le programme mesuré ne montre que sa fenêtre principale.

Entre deux lancements, le serveur X est laissé au repos un instant (--pause, 0,2 s) : il défait
encore la fenêtre du programme arrêté, et un programme lancé aussitôt l'attendait. Sans pause, la
mesure chargeait chaque programme du ménage de son prédécesseur, toujours le même de l'alternance
(la fenêtre nue, tuée par SIGTERM, précède lumicompteur, qui se ferme proprement avant elle) :
quelques millisecondes comptées au seul lumicompteur."""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TIC = os.sysconf("SC_CLK_TCK")
TITRE_FENETRE_PRINCIPALE = "Lumicompteur 2000"
# Démarrage et mémoire au repos, rapportés à ceux de la fenêtre nue.
OBJECTIF_RAPPORT = 1.2


def lancer(commande, env):
    debut = time.clock_gettime(time.CLOCK_MONOTONIC) * 1000
    processus = subprocess.Popen(commande, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 text=True)
    for ligne in processus.stderr:
        m = re.match(r"premiere_image_us=([0-9]+)", ligne)
        if m:
            return processus, int(m.group(1)) / 1000 - debut
    raise RuntimeError(f"pas de première image pour {commande[0]} (code {processus.wait()})")


def rss_ko(pid):
    with open(f"/proc/{pid}/status") as f:
        for ligne in f:
            if ligne.startswith("VmRSS:"):
                return int(ligne.split()[1])
    return 0


def temps_cpu_s(pid):
    """Temps processeur de tous les fils du processus, à la nanoseconde (schedstat), sinon en tics."""
    total = 0
    try:
        for fil in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{fil}/schedstat") as f:
                total += int(f.read().split()[0])
        return total / 1e9
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as f:
            champs = f.read().rsplit(")", 1)[1].split()
        return (int(champs[11]) + int(champs[12])) / TIC  # utime + stime


def reveils(pid):
    """Réveils de tous les fils du processus : ses commutations de contexte volontaires."""
    total = 0
    for fil in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{fil}/status") as f:
                for ligne in f:
                    if ligne.startswith("voluntary_ctxt_switches:"):
                        total += int(ligne.split()[1])
        except OSError:
            pass  # un fil fini entre-temps
    return total


def arreter(processus):
    processus.terminate()
    try:
        processus.wait(10)
    except subprocess.TimeoutExpired:
        processus.kill()
        processus.wait()


def demarrages(commandes, env, lancements, pause):
    """Médiane du temps jusqu'à la première image de chaque commande ; les lancements alternent pour
    que la charge de la machine pèse autant sur chacune, chacun sur un serveur X au repos."""
    temps = [[] for _ in commandes]
    for _ in range(lancements):
        for i, commande in enumerate(commandes):
            processus, ms = lancer(commande, env)
            temps[i].append(ms)
            arreter(processus)
            time.sleep(pause)
    return [statistics.median(t) for t in temps]


def repos(commandes, env, duree, principal):
    """Mémoire résidente et processeur au repos (pour cent d'un cœur) de chaque commande, toutes
    lancées ensemble et mesurées pendant les mêmes `duree` secondes. Une commande (commande,
    dessine) qui ne dessine pas (-invisible) n'est pas attendue. La commande d'indice `principal`
    doit montrer sa fenêtre principale seule."""
    processus = []
    try:
        for commande, dessine in commandes:
            if dessine:
                processus.append(lancer(commande, env)[0])
            else:
                processus.append(subprocess.Popen(commande, env=env, stdout=subprocess.DEVNULL,
                                                  stderr=subprocess.DEVNULL))
        time.sleep(3)  # les processus se posent
        verifier_fenetre_principale(processus[principal].pid)
        rss = [rss_ko(p.pid) for p in processus]
        cpu_avant = [temps_cpu_s(p.pid) for p in processus]
        reveils_avant = [reveils(p.pid) for p in processus]
        t_avant = time.monotonic()
        time.sleep(duree)
        ecoule = time.monotonic() - t_avant
        cpu = [(temps_cpu_s(p.pid) - avant) / ecoule * 100 for p, avant in zip(processus, cpu_avant)]
        par_s = [(reveils(p.pid) - avant) / ecoule for p, avant in zip(processus, reveils_avant)]
        rss = [max(r, rss_ko(p.pid)) for r, p in zip(rss, processus)]
    finally:
        for p in processus:
            arreter(p)
    return list(zip(rss, cpu, par_s))


def fenetres_visibles(pid):
    """Les titres des fenêtres montrées du processus (xdotool), sans doublon (l'icône de la zone de
    notification porte le titre du programme), triés."""
    ids = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", ""],
                         capture_output=True, text=True).stdout.split()
    titres = []
    for i in ids:
        titre = subprocess.run(["xdotool", "getwindowname", i], capture_output=True, text=True).stdout.strip()
        if titre:
            titres.append(titre)
    return sorted(set(titres))


def verifier_fenetre_principale(pid):
    """Le programme mesuré est au repos dans sa fenêtre principale, seule montrée : ni l'accueil ni
    une boîte ne l'arrêtent (un programme arrêté derrière une boîte modale ne fait rien et ses
    chiffres ne diraient rien)."""
    titres = fenetres_visibles(pid)
    if titres != [TITRE_FENETRE_PRINCIPALE]:
        sys.exit(f"le programme mesuré n'est pas au repos dans sa fenêtre principale : fenêtres montrées {titres}")


def zone_de_notification():
    """trayer, une zone de notification XEmbed au bas de l'écran, ou None s'il manque."""
    if shutil.which("trayer") is None:
        return None
    zone = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "left", "--widthtype", "pixel",
                             "--width", "120", "--height", "24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    return zone


def main():
    p = argparse.ArgumentParser()
    p.add_argument("lumicompteur")
    p.add_argument("fenetre_nue")
    p.add_argument("--duree", type=float, default=60)
    p.add_argument("--lancements", type=int, default=21)
    p.add_argument("--pause", type=float, default=0.2)
    p.add_argument("--verifier", action="store_true")
    p.add_argument("--outil", help="lumicompteur-outil (par défaut, celui de la même compilation)")
    a = p.parse_args()
    if a.outil is None:
        a.outil = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(a.lumicompteur))), "src", "cli",
                               "lumicompteur-outil")

    tmp = tempfile.mkdtemp(prefix="lumi-banc-")
    try:
        run = os.path.join(tmp, "run")
        os.mkdir(run, 0o700)
        env = dict(os.environ, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=os.path.join(tmp, "config"),
                   HOME=tmp, LUMI_MESURE_PREMIERE_IMAGE="1")
        dossier = os.path.join(tmp, "donnees")
        # Un premier lancement amorce le dossier (copie des fichiers par défaut, base neuve), puis
        # l'accueil de la première utilisation est marqué fait, comme chez un utilisateur qui l'a
        # fini : sinon chaque lancement mesuré s'arrêterait derrière lui.
        processus, _ = lancer([a.lumicompteur, "--dossier", dossier], env)
        arreter(processus)
        subprocess.run([a.outil, "registre", "ecrire", "--dossier", dossier, "\\options", "1ere utilisation2000",
                        "non"], check=True, stdout=subprocess.DEVNULL)

        commande_nue = [a.fenetre_nue]
        commande_lumi = [a.lumicompteur, "--dossier", dossier]
        demarrage_nue, demarrage_lumi = demarrages([commande_nue, commande_lumi], env, a.lancements, a.pause)
        commandes = [(commande_nue, True), ([a.fenetre_nue, "--clignotant"], True), (commande_lumi, True)]
        zone = zone_de_notification()
        if zone is not None:
            # Un second dossier : un seul programme par dossier de données.
            cache = os.path.join(tmp, "donnees-cache")
            shutil.copytree(dossier, cache)
            commandes.append(([a.lumicompteur, "--dossier", cache, "-invisible"], False))
        try:
            mesures = repos(commandes, env, a.duree, 2)
        finally:
            if zone is not None:
                arreter(zone)
        repos_nue, repos_reference, repos_lumi = mesures[:3]
        nue = (demarrage_nue, *repos_nue)
        lumi = (demarrage_lumi, *repos_lumi)
        for nom, (d, rss, cpu, par_s) in (("fenetre_nue", nue), ("lumicompteur", lumi)):
            print(f"{nom}: demarrage_ms={d:.1f} rss_ko={rss} cpu_repos_pourcent={cpu:.4f} "
                  f"reveils_par_s={par_s:.2f}")
        print(f"fenetre_nue --clignotant: cpu_repos_pourcent={repos_reference[1]:.4f} "
              f"reveils_par_s={repos_reference[2]:.2f}")
        if zone is None:
            print("lumicompteur -invisible: trayer absent, pas de zone de notification, mesure sautée")
        else:
            print(f"lumicompteur -invisible (caché dans la zone de notification): "
                  f"cpu_repos_pourcent={mesures[3][1]:.4f} reveils_par_s={mesures[3][2]:.2f}")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)

    rapport_demarrage = lumi[0] / nue[0]
    rapport_rss = lumi[1] / nue[1]
    print(f"rapport_demarrage={rapport_demarrage:.2f} (objectif <= {OBJECTIF_RAPPORT})")
    print(f"rapport_memoire={rapport_rss:.2f} (objectif <= {OBJECTIF_RAPPORT})")
    print(f"cpu_repos_pourcent={lumi[2]:.4f} (objectif < 0.1, sur {a.duree:g} s ; "
          f"la fenêtre nue au même travail, pendant ces secondes : {repos_reference[1]:.4f})")
    tenu = rapport_demarrage <= OBJECTIF_RAPPORT and rapport_rss <= OBJECTIF_RAPPORT and lumi[2] < 0.1
    if a.verifier and not tenu:
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
