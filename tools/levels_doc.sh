#!/bin/sh
# Writes docs/levels.md: the predefined levels in sets of twenty, each with
# its name, its guards, and its master movie's score, length and the
# solver's effort, read from data/levels/levelNNN.txt and
# data/masters/levelNNN.movie. Usage: tools/levels_doc.sh [SOURCE_DIR] > docs/levels.md
set -eu
src=${1:-.}

total=$(ls "$src"/data/levels/level*.txt 2>/dev/null | wc -l)
cat <<EOF
# The predefined levels

The predefined levels come in sets of twenty, each set harder than the one
before: the first set teaches one element a level, the later ones combine
them. There are $total levels now. A level's master movie in
\`data/masters/\` is a winning play found by \`vbltool solve\` (or played by
hand where its comment says so) and checked by \`vbltool verify\` in \`make test\`.

Columns: the guards at the start (\`+s\` marks the spirit's bricks, \`+f\` the
flashing chests), the master's score and length in ticks (60 a second of
game time), and the solver's effort: the states \`vbltool solve\` expands
before it finds the first way out (\`tools/measure_effort.sh\` measures it
and keeps it in the master's comment). The search then goes on for a better
score, which costs about the same on any level, so only the first way out
tells how hard a level is to solve. A score about 10000 below its neighbours means the master
traps a guard. This file is written by \`tools/levels_doc.sh\` (\`make docs\`).

EOF

summary=""
for set in 1 2 3 4 5 6 7 8 9 10; do
    first=$(( (set - 1) * 20 + 1 ))
    last=$(( set * 20 ))
    rows=""
    n=$first
    while [ $n -le $last ]; do
        file=$(printf '%s/data/levels/level%03d.txt' "$src" $n)
        movie=$(printf '%s/data/masters/level%03d.movie' "$src" $n)
        if [ -f "$file" ]; then
            line=$(awk -v n=$n -v movie="$movie" '
                NR == 1 { name = $0; sub(/^; Level [0-9]+: */, "", name) }
                !/^;/ { guards += gsub(/E/, "E"); spirit += gsub(/%/, "%"); flash += gsub(/\*/, "*") }
                END {
                    score = "-"; ticks = "-"; expanded = "-"
                    while ((getline m < movie) > 0) {
                        if (m ~ /^score /) { split(m, f, " "); score = f[2] }
                        else if (m ~ /^; solver:/) { if (match(m, /after [0-9]+/)) expanded = substr(m, RSTART + 6, RLENGTH - 6) }
                        else if (m ~ /^[0-9]+x[0-9]/) {
                            k = split(m, pairs, " ")
                            for (i = 1; i <= k; i++) { split(pairs[i], p, "x"); t += p[1] }
                            ticks = t
                        }
                    }
                    extra = (spirit ? "+s" : "") (flash ? "+f" : "")
                    printf "| %d | %s | %d%s | %s | %s | %s |\n", n, name, guards, extra, score, ticks, expanded
                }' "$file")
            rows="$rows$line
"
        fi
        n=$(( n + 1 ))
    done
    [ -n "$rows" ] || continue
    count=$(printf '%s' "$rows" | grep -c '^|' || true)
    median=$(printf '%s' "$rows" | awk -F'|' '$7 ~ /[0-9]/ { gsub(/ /, "", $7); print $7 }' | sort -n |
             awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }')
    echo "## Set $set: levels $first to $last"
    echo
    echo "$count levels; median states to the first way out: $median."
    echo
    echo "| Level | Name | Guards | Score | Ticks | States to the first way out |"
    echo "|---|---|---|---|---|---|"
    printf '%s' "$rows"
    echo
    summary="$summary| $set | $first-$last | $count | $median |
"
done

echo "## Effort by set"
echo
echo "The solver's median effort for each set, the way the difficulty rises."
echo
echo "| Set | Levels | Present | Median states to the first way out |"
echo "|---|---|---|---|"
printf '%s' "$summary"
