#!/bin/sh
# The masters pipeline: makes and improves the master movies in data/masters
# for the text levels in data/levels with vbltool, reading its machine lines
# (vbltool --kv: one key=value line a result, docs/vbltool.md). A master is
# only ever replaced by a movie that wins its level; every figure compared is
# one vbltool measured by replaying the movie.
#
#   tools/masters.sh [--root DIR] [--vbltool FILE] COMMAND ARGUMENTS
#
#   solve [BUDGET [LEVEL...]]
#       Solves the levels (all of data/levels unless named) with BUDGET
#       processor seconds each (30); a master is replaced only by a movie
#       with a higher score, or the same score in fewer ticks. False when a
#       level found no way out.
#   remaster "SEEDS" BUDGET LEVEL...
#       A new master for levels whose field changed: solves each from every
#       seed, shortens each movie found and puts the best (highest score,
#       then fewest ticks) in place of the master, whatever it was. Its
#       comment keeps the solver's effort from the seed it was found with.
#       False when no seed solved a level.
#   resolve-seeds OUT_DIR "SEEDS" BUDGET LEVEL...
#       Solves levels again from other cycle phases and keeps every movie
#       found as OUT_DIR/levelNNN.sSEED.movie (one already there is not
#       searched again). The masters are not touched.
#   pick CAND_DIR [BUDGET_TICKS [LEVEL...]]
#       Shortens the movies resolve-seeds found (into levelNNN.sSEED.short
#       beside them, kept for the next run; BUDGET_TICKS for each, 20000000)
#       and puts the best in place of the master when it scores at least as
#       much in fewer ticks. The levels are those of CAND_DIR unless named.
#   improve-tails BUDGET "SHARES" LEVEL...
#       Searches the tail of masters again: the master's first SHARES percent
#       of inputs (such as "85 70 55 40", each against the master as it
#       stands after the shares before) are the opening of vbltool solve
#       --opening with BUDGET seconds; the way found is shortened and kept
#       when it scores at least as much in fewer ticks. The master keeps its
#       comment lines (its effort is the search's from the level's start),
#       with one added the first time that names its ticks and score before.
#   shorten [OUT_DIR [BUDGET_TICKS [LEVEL...]]]
#       Runs vbltool shorten over the masters (all unless named) into OUT_DIR
#       (data/masters: in place), BUDGET_TICKS each (60000000), one level
#       after another on one core. False when a master does not win.
#   measure-effort [BUDGET [LEVEL...]]
#       How hard each level is for the solver: the states vbltool solve
#       --first expands before its first way out, from the master's seed,
#       written into the master as its "; solver:" comment line (the inputs
#       are kept). Ends with the processor seconds of the whole set and the
#       slowest level. False when a level found no way out.
#
# Every command prints one line for each level it looks at. Folders given
# are taken from the current folder; --root (the source tree unless given)
# is the folder holding data/levels and data/masters. vbltool is --vbltool,
# else $VBLTOOL, else build/vbltool of the source tree.
set -u
tree=$(cd "$(dirname "$0")/.." && pwd)
root=$tree
vbltool=${VBLTOOL:-$tree/build/vbltool}

# The comment above, on stderr; status 2.
usage() {
    sed -n '2,/^set -u/p' "$0" | sed -n 's/^# \{0,1\}//p' >&2
    exit 2
}

# A path given on the command line, made absolute before the script moves
# to the root.
absolute() {
    case $1 in
    /*) echo "$1" ;;
    *) echo "$PWD/$1" ;;
    esac
}

while [ $# -gt 0 ]; do
    case $1 in
    --root) [ $# -ge 2 ] || usage; root=$(absolute "$2"); shift 2 ;;
    --vbltool) [ $# -ge 2 ] || usage; vbltool=$(absolute "$2"); shift 2 ;;
    -*) usage ;;
    *) break ;;
    esac
done
[ $# -ge 1 ] || usage
command=$1
shift
case $vbltool in /*) ;; *) vbltool=$(absolute "$vbltool") ;; esac
[ -x "$vbltool" ] || { echo "masters.sh: no vbltool at $vbltool (build it, or give --vbltool)" >&2; exit 2; }

# The value of KEY in a machine line of vbltool (nothing when it has none).
#   value KEY LINE
value() {
    printf '%s\n' "$2" | sed -n "s/^\(.* \)\{0,1\}$1=\([^ ]*\).*/\2/p"
}

# Sets name, level and master for level NUMBER.
#   level_names NUMBER
level_names() {
    name=$(printf 'level%03d' "$1")
    level="data/levels/$name.txt"
    master="data/masters/$name.movie"
}

# The level numbers given, or those of the text levels in data/levels.
#   level_numbers [LEVEL...]
level_numbers() {
    if [ $# -gt 0 ]; then
        echo "$@"
    else
        ls data/levels | sed -n 's/^level0*\([0-9][0-9]*\)\.txt$/\1/p'
    fi
}

# Sets ticks and score of MOVIE on its LEVEL (a text level) from vbltool
# measure; false when the movie does not win the level.
#   movie_figures LEVEL MOVIE
movie_figures() {
    line=$("$vbltool" --kv measure "$1" "$2" 2>/dev/null) || return 1
    [ "$(value result "$line")" = won ] || return 1
    ticks=$(value ticks "$line")
    score=$(value score "$line")
}

# Sets name, level and master for level NUMBER, and best_ticks, best_score
# and old (both in words) from its master; says so and is false when the
# master does not win.
#   master_figures NUMBER
master_figures() {
    level_names "$1"
    movie_figures "$level" "$master" || { echo "$name: the master does not win"; return 1; }
    best_ticks=$ticks
    best_score=$score
    old="$ticks ticks, score $score"
}

# Solves level NUMBER into MOVIE with more vbltool solve options; sets line
# to its machine line. False when no way out was found or the level was
# refused.
#   solve_into NUMBER MOVIE OPTION...
solve_into() {
    solve_number=$1
    solve_movie=$2
    shift 2
    line=$("$vbltool" --kv solve "data/levels/$(printf 'level%03d' "$solve_number").txt" "$solve_number" \
        "$@" -o "$solve_movie") || return 1
    [ "$(value result "$line")" = solved ]
}

# The inputs of a text movie: the counts of its pairs added up.
movie_inputs() {
    sed -n '/^seed /,$p' "$1" | tail -n +2 | tr ' ' '\n' | sed -n 's/^\([0-9]*\)x[0-9]*$/\1/p' |
        awk '{ n += $1 } END { print n + 0 }'
}

# Better: SCORE and TICKS beat best_score and best_ticks by the rule of
# solve and remaster: a higher score, or the same score in fewer ticks.
higher_score() {
    [ "$1" -gt "$best_score" ] || { [ "$1" -eq "$best_score" ] && [ "$2" -lt "$best_ticks" ]; }
}

# Better by the rule of pick and improve-tails: at least the score in fewer
# ticks.
fewer_ticks() {
    [ "$1" -ge "$best_score" ] && [ "$2" -lt "$best_ticks" ]
}

cd "$root" || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command_solve() {
    budget=${1:-30}
    [ $# -gt 0 ] && shift
    mkdir -p data/masters
    started=$(date +%s)
    unsolved=""
    for number in $(level_numbers "$@"); do
        level_names "$number"
        if ! solve_into "$number" "$work/$name.movie" --budget "$budget"; then
            echo "$name: no way out found"
            unsolved="$unsolved $number"
            continue
        fi
        new_ticks=$(value ticks "$line")
        new_score=$(value score "$line")
        if movie_figures "$level" "$master"; then
            best_ticks=$ticks
            best_score=$score
            if ! higher_score "$new_score" "$new_ticks"; then
                echo "$name: kept the master ($score in $ticks ticks; found $new_score in $new_ticks)"
                continue
            fi
        fi
        mv "$work/$name.movie" "$master"
        echo "$name: new master ($new_score in $new_ticks ticks)"
    done
    echo "all levels in $(( $(date +%s) - started )) s; unsolved:${unsolved:- none}"
    [ -z "$unsolved" ]
}

command_remaster() {
    [ $# -ge 3 ] || usage
    seeds=$1
    budget=$2
    shift 2
    status=0
    for number in "$@"; do
        level_names "$number"
        best=""
        best_score=-1
        best_ticks=0
        for seed in $seeds; do
            candidate="$work/$name.$seed"
            solve_into "$number" "$candidate.movie" --seed "$seed" --budget "$budget" 2>/dev/null || continue
            "$vbltool" --kv shorten "$level" "$candidate.movie" -o "$candidate.short" > /dev/null 2>&1 || continue
            movie_figures "$level" "$candidate.short" || continue
            if higher_score "$score" "$ticks"; then
                best="$candidate.short"
                best_seed=$seed
                best_score=$score
                best_ticks=$ticks
            fi
        done
        if [ -z "$best" ]; then
            echo "$name: no seed solved it"
            status=1
            continue
        fi
        cp "$best" "$master"
        echo "$name: $best_ticks ticks, score $best_score (seed $best_seed): $(grep '^; solver:' "$best")"
    done
    return $status
}

command_resolve_seeds() {
    [ $# -ge 4 ] || usage
    out=$1
    seeds=$2
    budget=$3
    shift 3
    mkdir -p "$out"
    for number in "$@"; do
        level_names "$number"
        for seed in $seeds; do
            movie="$out/$name.s$seed.movie"
            if [ -f "$movie" ]; then
                echo "$name seed $seed: kept $movie"
            elif solve_into "$number" "$movie" --seed "$seed" --budget "$budget"; then
                echo "$name seed $seed: $(value score "$line") in $(value ticks "$line") ticks"
            else
                rm -f "$movie"
                echo "$name seed $seed: no way out found"
            fi
        done
    done
}

command_pick() {
    [ $# -ge 1 ] || usage
    cand=$1
    budget=${2:-20000000}
    [ $# -gt 2 ] && shift 2 || set --
    if [ $# -eq 0 ]; then
        set -- $(ls "$cand" | sed -n 's/^level0*\([0-9][0-9]*\)\.s[0-9]*\.movie$/\1/p' | sort -n -u)
    fi
    for number in "$@"; do
        master_figures "$number" || continue
        best=""
        for movie in "$cand/$name".s*.movie; do
            [ -f "$movie" ] || continue
            short="${movie%.movie}.short"
            [ -f "$short" ] || "$vbltool" --kv shorten "$level" "$movie" -o "$short" --budget "$budget" \
                > /dev/null 2>&1 || continue
            movie_figures "$level" "$short" || continue
            if fewer_ticks "$score" "$ticks"; then
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
}

command_improve_tails() {
    [ $# -ge 3 ] || usage
    budget=$1
    shares=$2
    shift 2
    for number in "$@"; do
        master_figures "$number" || continue
        cp "$master" "$work/best.movie"
        inputs=$(movie_inputs "$master")
        better=0
        for share in $shares; do
            opening_ticks=$((inputs * share / 100))
            solve_into "$number" "$work/found.movie" --opening "$work/best.movie" \
                --opening-ticks "$opening_ticks" --budget "$budget" 2>/dev/null || continue
            "$vbltool" --kv shorten "$level" "$work/found.movie" -o "$work/short.movie" > /dev/null 2>&1 || continue
            movie_figures "$level" "$work/short.movie" || continue
            if fewer_ticks "$score" "$ticks"; then
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
                echo "; tail searched again by tools/masters.sh improve-tails from $old"
            sed -n '/^score /,$p' "$work/best.movie"
        } > "$work/master.movie"
        movie_figures "$level" "$work/master.movie" || { echo "$name: the new master does not win"; continue; }
        cp "$work/master.movie" "$master"
        echo "$name: $old -> $best_ticks ticks, score $best_score"
    done
}

command_shorten() {
    out=${1:-data/masters}
    budget=${2:-60000000}
    [ $# -gt 2 ] && shift 2 || set --
    mkdir -p "$out"
    started=$(date +%s)
    status=0
    for number in $(level_numbers "$@"); do
        level_names "$number"
        # vbltool reads the master whole before it replaces the output, so
        # the output may be the master itself.
        if line=$("$vbltool" --kv shorten "$level" "$master" -o "$out/$name.movie" --budget "$budget"); then
            echo "$name: $(value ticks_before "$line") -> $(value ticks "$line") ticks," \
                "score $(value score_before "$line") -> $(value score "$line")"
        else
            echo "$name: not shortened"
            status=1
        fi
    done
    echo "shortened the masters in $(( $(date +%s) - started )) seconds"
    return $status
}

command_measure_effort() {
    budget=${1:-60}
    [ $# -gt 0 ] && shift
    unsolved=""
    total=0
    slowest=""
    slowest_seconds=0
    for number in $(level_numbers "$@"); do
        level_names "$number"
        # The master's seed: a level may be won from one cycle phase only.
        seed=$(sed -n 's/^seed //p' "$master" 2>/dev/null)
        if ! solve_into "$number" "$work/$name.movie" --first --seed "${seed:-0}" --budget "$budget"; then
            echo "$name: no way out found"
            unsolved="$unsolved $number"
            continue
        fi
        seconds=$(value first_seconds "$line")
        effort="; solver: first way out after $(value first "$line") states in $seconds seconds"
        echo "$name: $effort"
        total=$(awk -v a="$total" -v b="$seconds" 'BEGIN { print a + b }')
        if awk -v a="$seconds" -v b="$slowest_seconds" 'BEGIN { exit !(a > b) }'; then
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
    echo "first ways out of the whole set: $total processor seconds; slowest level ${slowest:-none}" \
        "($slowest_seconds s); unsolved:${unsolved:- none}"
    [ -z "$unsolved" ]
}

case $command in
solve) command_solve "$@" ;;
remaster) command_remaster "$@" ;;
resolve-seeds) command_resolve_seeds "$@" ;;
pick) command_pick "$@" ;;
improve-tails) command_improve_tails "$@" ;;
shorten) command_shorten "$@" ;;
measure-effort) command_measure_effort "$@" ;;
*) usage ;;
esac
