#!/bin/sh
# Solves every level of data/levels into data/masters with vbltool solve.
# A level's master is replaced only by a movie with a higher score (or the
# same score in fewer ticks); a level without a solution keeps what it has.
#   tools/solve_all.sh [BUDGET_SECONDS_PER_LEVEL] [VBLTOOL]
set -u
budget=${1:-30}
vbltool=${2:-build/vbltool}
cd "$(dirname "$0")/.."
mkdir -p data/masters
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$(date +%s)
unsolved=""
for level_file in data/levels/level*.txt; do
    name=$(basename "$level_file" .txt)
    number=$(echo "$name" | sed 's/^level0*//')
    master="data/masters/$name.movie"
    if ! "$vbltool" solve "$level_file" "$number" --budget "$budget" -o "$work/$name.movie"; then
        unsolved="$unsolved $number"
        continue
    fi
    new_score=$(sed -n 's/^score //p' "$work/$name.movie")
    new_ticks=$(grep -v '^[;a-z]' "$work/$name.movie" | tr ' ' '\n' | awk -Fx '{t += $1} END {print t}')
    if [ -f "$master" ]; then
        old_score=$(sed -n 's/^score //p' "$master")
        old_ticks=$(grep -v '^[;a-z]' "$master" | tr ' ' '\n' | awk -Fx '{t += $1} END {print t}')
        if [ "$new_score" -lt "$old_score" ] || { [ "$new_score" -eq "$old_score" ] && [ "$new_ticks" -ge "$old_ticks" ]; }; then
            echo "$name: kept the master ($old_score in $old_ticks ticks)"
            continue
        fi
    fi
    mv "$work/$name.movie" "$master"
done
echo "all levels in $(( $(date +%s) - started )) s; unsolved:${unsolved:- none}"
[ -z "$unsolved" ]
