#!/bin/sh
# Runs the shortening pass over every master of data/masters (or into
# OUT_DIR), one level after another on one core, then measures the result.
#   tools/shorten_all.sh [OUT_DIR] [VBLTOOL] [BUDGET_TICKS]
set -eu
cd "$(dirname "$0")/.."
out=${1:-data/masters}
vbltool=${2:-build/vbltool}
budget=${3:-60000000}
mkdir -p "$out"
started=$(date +%s)
for level_file in data/levels/level*.txt; do
    name=$(basename "$level_file" .txt)
    "$vbltool" shorten "$level_file" "data/masters/$name.movie" -o "$out/$name.movie.new" --budget "$budget"
    mv "$out/$name.movie.new" "$out/$name.movie"
done
echo "shortened every master in $(( $(date +%s) - started )) seconds"
