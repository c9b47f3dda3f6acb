# Shared by the scripts that make and improve masters, sourced once they
# stand in the source tree: the vbltool they run and a movie's figures.
vbltool=${VBLTOOL:-build/vbltool}

# Sets ticks and score of MOVIE on LEVEL (a text level) from vbltool measure;
# false when the movie does not win its level.
#   movie_figures LEVEL MOVIE
movie_figures() {
    line=$("$vbltool" measure "$1" "$2") || return 1
    ticks=$(echo "$line" | sed -n 's/.* ticks=\([0-9]*\).*/\1/p')
    score=$(echo "$line" | sed -n 's/.* score=\([0-9]*\).*/\1/p')
}

# A work folder, removed when the script ends.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sets name, level and master for level NUMBER, and best_ticks, best_score
# and old (both in words) from its master; says so and is false when the
# master does not win.
#   master_figures NUMBER
master_figures() {
    name=$(printf 'level%03d' "$1")
    level="data/levels/$name.txt"
    master="data/masters/$name.movie"
    movie_figures "$level" "$master" || { echo "$name: the master does not win"; return 1; }
    best_ticks=$ticks
    best_score=$score
    old="$ticks ticks, score $score"
}
