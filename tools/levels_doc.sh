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
before it finds the first way out (\`tools/masters.sh measure-effort\` measures it
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

echo
echo "## Levels moved and changed"
echo
cat <<'EOF'
- Level 5 (now "Two deep", before level 46) and level 46 (now "Guard on the
  roof", before "A hole in the floor" at level 5) changed places: the roof
  level took the solver 2208 states, more than most of set 3; "Two deep"
  (277 states) now teaches digging in set 1, its note saying how.
- Names that fit their places: 101 "First steps" became "The middle
  ladder", 67 "The last climb" (whose note spoke of everything learned)
  became "Long ladder home".
- The hero starts on a floor, not in mid-air: 41 (fell two rows), 138 (fell
  one row to beside a guard; now on the floor to the right), 93 (one row).
- The stretch of set 5 that repeated brick bands and ladders got levels with
  an idea each: 85 "Drop behind him" (a drop from the rope timed behind a
  pacing guard), 86 "Stone stair" (a one-way stair of stone, a guard to trap
  at its foot), 90 "Chimney drop" (four chests taken in one fall down a
  stone chimney), 94 "Two at the foot" (the one ladder up between two
  guards, held in holes at its foot), 96 "Trapdoor stack" (four floors left
  one way through false bricks at alternate ends), 82 "Dig to the floor"
  (stone floors left downwards through the bricks dug in them, a floor
  cleared before the drop), 87 "Rope to the flash" (the flashing chests
  on a stone ledge at the far end of the top rope, reached before any
  other chest), 91 "Rooms without doors" (stone rooms entered through a
  false brick in the roof and left through a hole dug in the floor, in an
  order to find), 92 "Three sleepers" (a brick floor over a cellar with
  three guards asleep in it, dug only where none sleeps). 93 is as it
  was.
- The master of 87 "Rope to the flash" shows the level's idea: the search
  alone never took the flashing chest first, so its opening is written by
  hand (`data/openings/level087.movie`: up the ladder, along the rope,
  down onto the flashing chest) and `vbltool solve --opening` finds the
  rest: 37200 in 1411 ticks, where the search's own master made 29350 in
  1498.
- Guards start on a floor, not in mid-air, where the fall was no part of
  the level's idea: in 41, 47, 77, 93, 97, 115, 141, 156, 187 and 198 each
  starts on the floor he fell to and the master wins as before; in 31, 35,
  42, 76, 128, 133, 148, 150, 165, 174, 175, 196 and 200 the same, with a
  new master (`tools/masters.sh remaster`) that scores at least as much as the old
  one. Guards still start above a floor in 66, 71, 83, 88, 106, 119, 129
  and 140, where every master found on the level so changed scored less or
  none was found; and by design where a guard falls onto a rope, a chest
  or through a false brick (58, 84, 89, 105, 132, 139, 168, 193).
EOF

# How the masters move, measured by a replay of every master (vbltool
# measure), against the masters as they stood before they were solved again
# from other seeds (tools/masters.sh resolve-seeds, then pick).
vbltool=${VBLTOOL:-$src/build/vbltool}
masters=${MASTERS:-$src/build/data/masters.vbl}
[ -x "$vbltool" ] && [ -f "$masters" ] || exit 0
echo
echo "## How the masters move"
echo
echo "Measured by a replay of every master with \`vbltool measure\`: ticks of"
echo "play, cell-to-cell moves of the hero, back-steps (a move straight back to"
echo "the cell before), ticks standing still (neither moving, falling nor"
echo "digging) and the sum of the scores. The solver's first masters came to"
echo "366871 ticks with 1179 back-steps in 24862 cell moves (4.7 %);"
echo "\`vbltool shorten\` (\`tools/masters.sh shorten\`) cut their detours and idle"
echo "waits. Before: those shortened masters. After: every level solved again"
echo "from other cycle phases (\`tools/masters.sh resolve-seeds\`), each movie found"
echo "shortened, and the shortest one that scores at least as much as the"
echo "master kept (\`tools/masters.sh pick\`); levels whose field changed got"
echo "new masters (\`tools/masters.sh remaster\`)."
echo
# Figures of a set, or of all: set, ticks, back-steps/cell moves, standing, score.
figures_today="1 18910 38/1386 576 559400
2 23765 41/1691 808 568850
3 22942 52/1613 649 445500
4 27691 58/1857 1558 434500
5 31297 71/2085 2498 381350
6 32726 85/2069 3554 405500
7 38179 84/2393 4063 339900
8 41259 104/2502 5505 335450
9 47203 139/2881 6065 308150
10 43274 94/2733 4890 387800
all 327246 766/21210 30166 4166400"
# The machine lines of vbltool --kv measure for sets and all, from such figures.
as_measured() {
    echo "$1" | awk '{ split($3, b, "/"); printf "set=%s result=sum ticks=%s score=%s moves=%s back=%s standing=%s\n", $1, $2, $5, b[2], b[1], $4 }'
}
# A table of the figures before (given) against the machine lines of vbltool
# --kv measure on standard input (set=all: all of them).
compare() {
    echo "| Set | Ticks before | Ticks after | Back-steps before | Back-steps after | Standing before | Standing after | Score before | Score after |"
    echo "|---|---|---|---|---|---|---|---|---|"
    awk -v before="$1" '
    BEGIN {
        n = split(before, lines, "\n")
        for (i = 1; i <= n; i++) {
            split(lines[i], f, " ")
            bt[f[1]] = f[2]; bb[f[1]] = f[3]; bs[f[1]] = f[4]; bp[f[1]] = f[5]
        }
    }
    /^set=/ {
        key = $1; sub(/^set=/, "", key)
        for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        split(bb[key], b, "/")
        printf "| %s | %d | %d | %d of %d (%.1f %%) | %d of %d (%.1f %%) | %d (%.1f %%) | %d (%.1f %%) | %d | %d |\n",
               key, bt[key], v["ticks"], b[1], b[2], 100 * b[1] / b[2], v["back"], v["moves"],
               100 * v["back"] / v["moves"], bs[key], 100 * bs[key] / bt[key], v["standing"],
               100 * v["standing"] / v["ticks"], bp[key], v["score"]
    }'
}
# Before: the shortened masters of the solver's first run.
before="1 19631 42/1432 835 556450
2 24456 53/1741 906 547650
3 24890 57/1710 1005 406500
4 29363 63/1928 2025 401600
5 32959 78/2127 2761 378900
6 34691 88/2194 3615 362200
7 40929 99/2527 4786 315200
8 43872 118/2639 6068 330950
9 49084 149/2934 6730 275200
10 46553 113/2970 5143 362600
all 346428 860/22202 33874 3937250"
as_measured "$figures_today" | compare "$before"
echo
echo "## Shortcuts"
echo
echo "Before: the masters of the table above. After: \`vbltool shorten\` with its"
echo "shortcut search (\`tools/masters.sh shorten\`): from each place where the hero"
echo "stands along a master, a small search over the running level (the guards"
echo "not told apart) looks for a quicker way to a place the master reaches later"
echo "with the same chests taken; the way found, then the rest of the master, is"
echo "kept where the whole still wins with at least the same score, the longest"
echo "gains first. Where a guard now catches the hero further on, a second search"
echo "from the way's end looks for a way past that point. The pass ran in three"
echo "rounds over all masters, a master kept only where it got shorter; the levels"
echo "whose guards were put on a floor count with their new masters. Measured the"
echo "same way."
echo
# The masters after the shortcut rounds, the last figures before their tails
# were searched again.
figures_shortcuts="1 18573 34/1356 597 560000
2 23608 41/1672 846 569150
3 22954 49/1616 501 455500
4 26689 56/1796 1469 466200
5 30532 70/2059 2073 382850
6 31643 82/2026 3016 407400
7 37091 83/2310 4029 361900
8 39041 100/2353 4920 349350
9 43891 129/2704 5511 313650
10 41830 92/2676 4321 400200
all 315852 736/20568 27283 4266200"
as_measured "$figures_shortcuts" | compare "$figures_today"
echo
echo "## Tails searched again"
echo
echo "Before: the masters of the table above. After: \`tools/masters.sh improve-tails\`"
echo "searched the tail of every master again, in three rounds: the master's"
echo "first 85, 70, 55 and 40 % of inputs in turn, then 92, 78, 62, 48 and 30 %,"
echo "then 80, 65, 50, 35 and 20 %, are the opening of \`vbltool solve"
echo "--opening\` (20 seconds each), which"
echo "looks for a better way on from there with fewer chests left to find; the"
echo "way found is shortened and kept where it scores at least as much in fewer"
echo "ticks. The search from the level's start spends its budget on the first"
echo "chests; from the middle of a level it sees far enough to find a quicker"
echo "finish. Level 87's master begins with a written opening instead (above)."
echo "Measured the same way."
echo
"$vbltool" --kv measure "$masters" | compare "$figures_shortcuts"
echo
echo "Of the back-steps, most are fetches: the step back out of a cell where the"
echo "hero has just taken a chest (a chest at the end of a floor, on a ledge or"
echo "in a room with one door), which any player makes. \`vbltool measure\`"
echo "counts them apart (\`fetch=\`) from the others (\`other=\`): turns to"
echo "lure, dodge or wait out a guard, and turns the way does not need:"
echo
"$vbltool" --kv measure "$masters" | awk '
    /^set=/ {
        for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
        name = $1 == "set=all" ? "all masters" : "set " substr($1, 5)
        printf "- %s: %d back-steps in %d cell moves, %d fetches (%.1f %%) and %d others (%.1f %%).\n",
               name, v["back"], v["moves"], v["fetch"], 100 * v["fetch"] / v["moves"], v["other"],
               100 * v["other"] / v["moves"]
    }'
