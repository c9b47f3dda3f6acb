#!/bin/sh
# Finds a new master for levels whose field changed: solves each from the
# given seeds, shortens every movie found and keeps the best (highest
# score, then fewest ticks) as data/masters/levelNNN.movie. Its comment
# keeps the solver's effort from the seed it was found with.
#   tools/remaster.sh "SEEDS" BUDGET_SECONDS LEVEL...
set -u
seeds=$1
budget=$2
shift 2
cd "$(dirname "$0")/.."
. tools/masters_common.sh
status=0
for number in "$@"; do
    name=$(printf 'level%03d' "$number")
    level="data/levels/$name.txt"
    best=""
    best_score=-1
    best_ticks=0
    for seed in $seeds; do
        "$vbltool" solve "$level" "$number" --seed "$seed" --budget "$budget" -o "$work/$name.$seed.movie" \
            > /dev/null || continue
        "$vbltool" shorten "$level" "$work/$name.$seed.movie" -o "$work/$name.$seed.short" > /dev/null || continue
        movie_figures "$level" "$work/$name.$seed.short" || continue
        if [ "$score" -gt "$best_score" ] || { [ "$score" -eq "$best_score" ] && [ "$ticks" -lt "$best_ticks" ]; }; then
            best="$work/$name.$seed.short"
            best_score=$score
            best_ticks=$ticks
        fi
    done
    if [ -z "$best" ]; then
        echo "$name: no seed solved it"
        status=1
        continue
    fi
    cp "$best" "data/masters/$name.movie"
    echo "$name: $best_ticks ticks, score $best_score ($(sed -n 's/^seed //p' "$best" | head -1)): $(grep '^; solver:' "$best")"
done
exit $status
