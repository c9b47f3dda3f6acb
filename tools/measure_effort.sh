#!/bin/sh
# Measures how hard each shipped level is for the solver: the states it
# expands before its first way out (vbltool solve --first), and writes that
# figure into the level's master movie as its "; solver:" comment line. The
# movies themselves are kept. Prints the total time for the whole set and
# the slowest level: the time the solver needs to win every level.
#   tools/measure_effort.sh [BUDGET_SECONDS_PER_LEVEL] [VBLTOOL] [LEVEL...]
set -u
budget=${1:-60}
vbltool=${2:-build/vbltool}
[ $# -gt 2 ] && shift 2 || set --
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unsolved=""
total=0
slowest=""
slowest_seconds=0
if [ $# -gt 0 ]; then
    files=$(for n in "$@"; do printf 'data/levels/level%03d.txt\n' "$n"; done)
else
    files=$(ls data/levels/level*.txt)
fi
for level_file in $files; do
    name=$(basename "$level_file" .txt)
    number=$(echo "$name" | sed 's/^level0*//')
    master="data/masters/$name.movie"
    # The master's seed: a level may be won from one cycle phase only.
    seed=$(sed -n 's/^seed //p' "$master" 2>/dev/null)
    if ! "$vbltool" solve "$level_file" "$number" --first --seed "${seed:-0}" --budget "$budget" \
            -o "$work/$name.movie" > "$work/line"; then
        unsolved="$unsolved $number"
        continue
    fi
    effort=$(grep '^; solver:' "$work/$name.movie" | sed 's/; expanded.*//')
    seconds=$(echo "$effort" | sed 's/.* in \([0-9.]*\) seconds.*/\1/')
    echo "$name: $effort"
    total=$(echo "$total + $seconds" | bc)
    if [ "$(echo "$seconds > $slowest_seconds" | bc)" = 1 ]; then
        slowest=$number
        slowest_seconds=$seconds
    fi
    [ -f "$master" ] || continue
    # Replace the master's effort line, or add one after its first comment.
    if grep -q '^; solver:' "$master"; then
        awk -v effort="$effort" '/^; solver:/ { print effort; next } { print }' "$master" > "$work/master"
    else
        awk -v effort="$effort" '{ print } NR == 1 { print effort }' "$master" > "$work/master"
    fi
    cat "$work/master" > "$master"
done
echo "first ways out of the whole set: $total processor seconds; slowest level $slowest ($slowest_seconds s); unsolved:${unsolved:- none}"
[ -z "$unsolved" ]
