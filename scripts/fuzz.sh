#!/usr/bin/env bash
# Lance chaque cible de fuzzing SECONDES secondes (libFuzzer) sur ses graines et sur le corpus
# qu'elle a déjà trouvé, puis écrit le nombre d'exécutions de chaque cible. Une entrée qui fait
# tomber une cible est gardée dans BUILD/fuzz/plantages/CIBLE/ et le script échoue.
# Usage : scripts/fuzz.sh [BUILD] [SECONDES]   (make fuzz le lance après la compilation)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
secondes=${2:-30}
liste="$build/fuzz/cibles.txt"
if [ ! -s "$liste" ]; then
    echo "Aucune cible de fuzzing dans $liste : compiler d'abord avec make fuzz." >&2
    exit 2
fi

# La pile d'un comportement indéfini, pas seulement sa ligne.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

echecs=()
bilan=()
while IFS=$'\t' read -r -u 3 -a champs; do
    programme=${champs[0]}
    dictionnaire=()
    if [ "${champs[1]}" != - ]; then dictionnaire=(-dict="${champs[1]}"); fi
    graines=("${champs[@]:2}")
    nom=$(basename "$programme")
    corpus="$build/fuzz/corpus/$nom"
    plantages="$build/fuzz/plantages/$nom"
    journal="$build/fuzz/journal-$nom.txt"
    mkdir -p "$corpus" "$plantages"
    echo "== $nom : $secondes s"
    code=0
    "$programme" -max_total_time="$secondes" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$plantages/" "${dictionnaire[@]}" "$corpus" "${graines[@]}" >"$journal" 2>&1 || code=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal" | tail -n 1)
    executions=${executions:-?}
    if [ "$code" -ne 0 ]; then
        echo "Échec de $nom (code $code), journal complet : $journal" >&2
        tail -n 60 "$journal" >&2
        echecs+=("$nom")
        bilan+=("$nom : ÉCHEC après $executions exécutions")
    else
        bilan+=("$nom : $executions exécutions en $secondes s, corpus de $(find "$corpus" -type f | wc -l) entrées")
    fi
done 3<"$liste"

echo
echo "Fuzzing, exécutions par cible :"
printf '  %s\n' "${bilan[@]}"
if [ ${#echecs[@]} -ne 0 ]; then
    echo "Cibles tombées : ${echecs[*]} (entrées dans $build/fuzz/plantages/)" >&2
    exit 1
fi
