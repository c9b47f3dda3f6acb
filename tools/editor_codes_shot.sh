#!/bin/sh
# Shows every tile code in the level editor: a level that holds each code
# alone and beside its look-alikes, opened with F3 in the real program
# (headless, from a script), taken with Print and written as a PNG.
#   tools/editor_codes_shot.sh BUILD_DIR OUTPUT.png
# Beside OUTPUT.png, OUTPUT-palette.png: the palette row three times enlarged.
set -eu
BUILD=$(cd "$1" && pwd)
OUT=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/.zuzezodov" "$work/levels"
ln -s "$BUILD/data" "$work/data"
# Row 1: the twelve codes in palette order; then bricks with a false brick
# and a hidden enemy's brick in them, the same in solid stone, escape
# ladders beside ladders, starts and objects.
cat >"$work/levels/level001.txt" <<'LEVEL'
; Every tile code
........................
.#.@.H.-.X.S.$.E.P.%.*..
........................
.###X###%###.@@@X@@@%@@.
........................
..H..S..H...............
..H..S..H.......$...*...
..H..S..H.......#...#...
##################.#####
........................
..E..E....P.......%%%...
########################
........................
.-----------...***......
#######X#%##############
LEVEL
"$BUILD/vbltool" pack -o "$work/home/.zuzezodov/levels.vbl" "$work/levels/level001.txt"
# F3 opens the editor on level 1, Print takes the screen, Alt+X ends.
printf '5 press 284\n20 press 316\n25 down 308\n25 press 120\n26 up 308\n' >"$work/script"
(cd "$work" && HOME="$work/home" VORBIX_FAST=1 VORBIX_SCRIPT="$work/script" SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy "$BUILD/vorbix" -w -q -l 1 >/dev/null 2>&1)
ilbmtoppm "$work/cap000.lbm" 2>/dev/null >"$work/cap.ppm"
pnmtopng "$work/cap.ppm" >"$OUT"
pnmcut 124 446 388 32 "$work/cap.ppm" | pnmscale 3 | pnmtopng >"${OUT%.png}-palette.png"
