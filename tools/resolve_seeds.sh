#!/bin/sh
# Solves levels again from other cycle phases (seeds) and keeps every movie
# found in OUT_DIR as levelNNN.sSEED.movie, for tools/pick_masters.sh to
# shorten and compare with the masters. The masters are not touched.
#   tools/resolve_seeds.sh OUT_DIR "SEEDS" BUDGET_SECONDS LEVEL...
set -u
out=$1
seeds=$2
budget=$3
shift 3
vbltool=${VBLTOOL:-build/vbltool}
cd "$(dirname "$0")/.."
mkdir -p "$out"
for number in "$@"; do
    name=$(printf 'level%03d' "$number")
    for seed in $seeds; do
        [ -f "$out/$name.s$seed.movie" ] && continue
        "$vbltool" solve "data/levels/$name.txt" "$number" --seed "$seed" --budget "$budget" \
            -o "$out/$name.s$seed.movie" || rm -f "$out/$name.s$seed.movie"
    done
done
