#!/usr/bin/env python3
"""Banc de l'historique : un historique de 1 000 000 d'enregistrements sur 120 fichiers mensuels
(janvier 1990 à décembre 1999), lu par « lumicompteur-outil historique » avec un filtre
d'utilisateur, contre une passe awk sur les mêmes fichiers, dans la même exécution. Objectifs :
moins d'une seconde, et au moins trois fois plus vite que awk (médianes de plusieurs lancements).
Puis la liste entière (« --lignes », un million de lignes) : son temps et sa mémoire maximale, qui
ne doit pas grandir avec l'historique (objectif : moins de 64 Mio), et autant de lignes que nb=.

Usage : historique_bench.py OUTIL [--enregistrements N] [--lancements N] [--verifier]
(--verifier rend le code 1 si un objectif n'est pas tenu)."""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

MOIS = ["janvier", "février", "mars", "avril", "mai", "juin", "juillet", "aout", "septembre",
        "octobre", "novembre", "décembre"]
UTILISATEURS = ["Paul", "Anne", "Marc", "Julie"]


def generer(dossier, total):
    historique = os.path.join(dossier, "Historique")
    os.makedirs(historique)
    alea = random.Random(2000)
    par_mois = total // 120
    for rang in range(120):
        annee, mois = 1990 + rang // 12, rang % 12 + 1
        lignes = ["Attention, modifier ce fichier peut provoquer des erreurs de lecture !",
                  "Lumicompteur 2000 v1.0", f"{MOIS[mois - 1]} {annee}", "tva : 19,6", ""]
        for n in range(par_mois):
            jour = n * 28 // par_mois + 1
            duree = alea.randrange(30, 7200)
            cout = duree * 0.0021
            lignes.append(f"{alea.choice(UTILISATEURS)};Heures pleines;{jour:02d}/{mois:02d}/{annee};"
                          f"{alea.randrange(24):02d}H{alea.randrange(60):02d};"
                          f"{duree // 3600:02d}:{duree % 3600 // 60:02d}:{duree % 60:02d};Rouge;A;"
                          f"{cout:.3f}".replace(".", ",") + ";-4;0;0,000;|;MonFAI;")
        nom = f"{MOIS[mois - 1]}{str(annee)[2:4]}.fct"
        with open(os.path.join(historique, nom), "wb") as f:
            f.write(("\r\n".join(lignes) + "\r\n").encode("cp1252"))
    return par_mois * 120


def chronometrer(commandes, dossier, lancements):
    """Médiane du temps de chaque commande et sa dernière sortie. Les commandes tournent à tour de
    rôle : sur une machine partagée, une charge passagère pèse sur toutes à la fois."""
    temps = [[] for _ in commandes]
    sorties = [""] * len(commandes)
    for _ in range(lancements):
        for i, commande in enumerate(commandes):
            debut = time.perf_counter()
            r = subprocess.run(commande, cwd=dossier, shell=isinstance(commande, str), capture_output=True,
                               text=True, check=True)
            temps[i].append(time.perf_counter() - debut)
            sorties[i] = r.stdout
    # L'écart entre le plus court et le plus long dit le bruit.
    for commande, t in zip(commandes, temps):
        nom = "awk" if isinstance(commande, str) else os.path.basename(commande[0])
        print(f"  {nom} : {min(t):.3f} .. {max(t):.3f} s sur {lancements} lancements")
    return [(statistics.median(t), sortie) for t, sortie in zip(temps, sorties)]


def mesurer(commande, dossier, lancements):
    """Temps médian et plus grande mémoire résidente (Mio) du processus, sa sortie jetée."""
    temps, memoire = [], 0
    for _ in range(lancements):
        debut = time.perf_counter()
        p = subprocess.Popen(commande, cwd=dossier, stdout=subprocess.DEVNULL)
        _, statut, usage = os.wait4(p.pid, 0)
        temps.append(time.perf_counter() - debut)
        p.returncode = os.waitstatus_to_exitcode(statut)
        if p.returncode != 0:
            raise subprocess.CalledProcessError(p.returncode, commande)
        memoire = max(memoire, usage.ru_maxrss / 1024)
    return statistics.median(temps), memoire


def compter_lignes(commande, dossier):
    """Les lignes « ligne= » et la valeur de nb=, lues au fil de la sortie."""
    lignes, nb = 0, None
    with subprocess.Popen(commande, cwd=dossier, stdout=subprocess.PIPE, text=True) as p:
        for l in p.stdout:
            if l.startswith("ligne="):
                lignes += 1
            elif l.startswith("nb="):
                nb = int(l[3:])
    return lignes, nb


def main():
    p = argparse.ArgumentParser()
    p.add_argument("outil")
    p.add_argument("--enregistrements", type=int, default=1_000_000)
    p.add_argument("--lancements", type=int, default=5)
    p.add_argument("--verifier", action="store_true")
    a = p.parse_args()
    a.outil = os.path.abspath(a.outil)
    with tempfile.TemporaryDirectory(prefix="lumi-banc-histo-") as dossier:
        total = generer(dossier, a.enregistrements)
        outil = [a.outil, "historique", "--dossier", dossier, "--du", "01/01/1990", "--au", "31/12/2009",
                 "--utilisateur", "Paul"]
        awk = ("LC_ALL=C awk -F';' 'FNR>5 && $1==\"Paul\" {n++; s+=$8} END {print n, s}' Historique/*.fct")
        (t_outil, s_outil), (t_awk, s_awk) = chronometrer([outil, awk], dossier, a.lancements)
        nb = [l for l in s_outil.splitlines() if l.startswith("nb=")][0]
        print(f"enregistrements={total} fichiers=120")
        print(f"outil_s={t_outil:.3f} ({nb})")
        print(f"awk_s={t_awk:.3f} (awk : {s_awk.strip()})")
        print(f"rapport_awk_sur_outil={t_awk / t_outil:.2f}")
        ok = t_outil < 1.0 and t_awk / t_outil >= 3.0
        print("objectifs " + ("tenus" if ok else "NON tenus") + " : < 1 s et au moins 3 fois plus vite que awk")

        liste = [a.outil, "historique", "--dossier", dossier, "--du", "01/01/1990", "--au", "31/12/2009",
                 "--lignes"]
        t_liste, memoire = mesurer(liste, dossier, max(1, min(3, a.lancements)))
        lignes, nb_liste = compter_lignes(liste, dossier)
        print(f"lignes_s={t_liste:.3f} lignes_memoire_mio={memoire:.1f} (lignes={lignes} nb={nb_liste})")
        ok_liste = memoire < 64 and lignes == nb_liste
        print("objectifs " + ("tenus" if ok_liste else "NON tenus") +
              " : liste entière en moins de 64 Mio, une ligne par connexion")
        return 0 if (ok and ok_liste) or not a.verifier else 1


if __name__ == "__main__":
    sys.exit(main())
