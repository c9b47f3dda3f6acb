#!/bin/sh
# Shortens the movies tools/resolve_seeds.sh found (CAND_DIR/levelNNN.sSEED.movie)
# and puts the best in data/masters when it beats the master: a score at
# least as high in fewer ticks. Prints one line for each level it looks at.
#   tools/pick_masters.sh CAND_DIR [BUDGET_TICKS] [LEVEL...]
set -u
cand=$1
budget=${2:-20000000}
[ $# -gt 2 ] && shift 2 || set --
cd "$(dirname "$0")/.."
. tools/masters_common.sh
if [ $# -eq 0 ]; then
    set -- $(ls "$cand" | sed -n 's/^level0*\([0-9]*\)\.s[0-9]*\.movie$/\1/p' | sort -n -u)
fi
for number in "$@"; do
    master_figures "$number" || continue
    best=""
    for movie in "$cand/$name".s*.movie; do
        [ -f "$movie" ] || continue
        short="${movie%.movie}.short"
        [ -f "$short" ] || "$vbltool" shorten "$level" "$movie" -o "$short" --budget "$budget" > /dev/null || continue
        movie_figures "$level" "$short" || continue
        if [ "$score" -ge "$best_score" ] && [ "$ticks" -lt "$best_ticks" ]; then
            best=$short
            best_ticks=$ticks
            best_score=$score
        fi
    done
    if [ -n "$best" ]; then
        cp "$best" "$master"
        echo "$name: $old -> $best_ticks ticks, score $best_score ($(basename "$best"))"
    else
        echo "$name: kept ($old)"
    fi
done
