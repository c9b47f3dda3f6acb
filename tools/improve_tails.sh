#!/bin/sh
# Searches the tail of masters again: the first part of a master (a share of
# its inputs) is the opening of vbltool solve --opening, which looks for a
# way on from there; the way found is shortened and kept when it scores at
# least as much as the master in fewer ticks. Each share is tried against
# the master as it stands after the shares before. The master keeps its
# comment lines (its effort is the search's from the level's start), with
# one line added the first time that names its ticks and score before.
# Prints one line for each level.
#   tools/improve_tails.sh BUDGET_SECONDS "SHARES" LEVEL...
# SHARES are percentages of the master's inputs, such as "85 70 55 40".
set -u
budget=$1
shares=$2
shift 2
cd "$(dirname "$0")/.."
. tools/masters_common.sh
# The inputs of a text movie: the counts of its pairs added up.
movie_inputs() {
    sed -n '/^seed /,$p' "$1" | tail -n +2 | tr ' ' '\n' | sed -n 's/^\([0-9]*\)x[0-9]*$/\1/p' |
        awk '{ n += $1 } END { print n + 0 }'
}
for number in "$@"; do
    master_figures "$number" || continue
    cp "$master" "$work/best.movie"
    inputs=$(movie_inputs "$master")
    better=0
    for share in $shares; do
        opening_ticks=$((inputs * share / 100))
        "$vbltool" solve "$level" "$number" --opening "$work/best.movie" --opening-ticks "$opening_ticks" \
            --budget "$budget" -o "$work/found.movie" > /dev/null 2>&1 || continue
        "$vbltool" shorten "$level" "$work/found.movie" -o "$work/short.movie" > /dev/null 2>&1 || continue
        movie_figures "$level" "$work/short.movie" || continue
        if [ "$score" -ge "$best_score" ] && [ "$ticks" -lt "$best_ticks" ]; then
            best_ticks=$ticks
            best_score=$score
            better=1
            cp "$work/short.movie" "$work/best.movie"
            inputs=$(movie_inputs "$work/best.movie")
        fi
    done
    if [ "$better" = 0 ]; then
        echo "$name: kept ($old)"
        continue
    fi
    {
        grep '^; ' "$master"
        grep -q '^; tail searched again' "$master" ||
            echo "; tail searched again by tools/improve_tails.sh from $old"
        sed -n '/^score /,$p' "$work/best.movie"
    } > "$work/master.movie"
    movie_figures "$level" "$work/master.movie" || { echo "$name: the new master does not win"; continue; }
    cp "$work/master.movie" "$master"
    echo "$name: $old -> $best_ticks ticks, score $best_score"
done
