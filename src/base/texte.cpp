// à écrire
