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
