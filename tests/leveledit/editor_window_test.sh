#!/bin/sh
# The level editor in a real X window: from the demonstration to the menu,
# F3, three mouse drags on the field (bricks, ropes chosen on the palette,
# the right button erasing), a screenshot, Alt+W, Escape to play, Alt+X.
# The user's archive must hold exactly the painted level, without its movie,
# and the screenshot must show the header, the field and the palette row.
# A second argument names a PNG file to keep the screenshot in.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
programs_beside "$1"
KEEP_PNG=${2:-}

begin_window_test

start_game -w -q || fail "no window titled ZuzEzodov"
# Field cell (column, row) under the pointer.
to_cell() { xdotool mousemove --window "$window" $((32 + 24 * $1 + 12)) $((60 + 24 * $2 + 12)); sleep 0.08; }
# drag BUTTON ROW FIRST LAST: along one row of the field, a frame or more a cell.
drag() {
    to_cell "$3" "$2"
    xdotool mousedown "$1"
    sleep 0.1
    c=$3
    while [ "$c" -le "$4" ]; do to_cell "$c" "$2"; c=$((c + 1)); done
    xdotool mouseup "$1"
    sleep 0.2
}

key space   # the main menu
key F3      # the level editor, level 1
drag 1 4 9 14                      # bricks (the tile chosen at start)
xdotool mousemove --window "$window" $((128 + 32 * 4 + 12)) 462 click 1   # the rope slot
sleep 0.3
drag 1 9 1 5                       # ropes
drag 3 11 14 16                    # the right button paints empty
key Print                          # cap000.lbm: the editor's screen
xdotool keydown Alt_L
sleep 0.1
xdotool key w
sleep 0.1
xdotool keyup Alt_L
sleep 0.3
key Escape                         # leave: play the written level
sleep 0.5
xdotool keydown Alt_L
sleep 0.1
xdotool key x
sleep 0.1
xdotool keyup Alt_L
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "Alt+X did not end the game"
wait $game
status=$?
game=""
[ $status -eq 0 ] || fail "status $status"

# The archive holds level 1 as painted, and level 1 has no movie any more.
"$VBLTOOL" show "$bin_dir/data/levels.vbl" 1 | awk '
    NR == 6  { $0 = substr($0, 1, 9) "######" substr($0, 16) }
    NR == 11 { $0 = substr($0, 1, 1) "-----" substr($0, 7) }
    NR == 13 { $0 = substr($0, 1, 14) "..." substr($0, 18) }
    { print }' >"$work/expected"
"$VBLTOOL" show "$work/home/.zuzezodov/levels.vbl" 1 >"$work/written"
diff "$work/expected" "$work/written" || fail "level 1 is not the painted level"
"$VBLTOOL" list "$work/home/.zuzezodov/levels.vbl" | grep -q '^  1  no movie$' || fail "level 1 kept its movie"

# The screenshot: a two-colour header of text, a field of many colours, and
# the palette row with the white outline of the chosen slot.
[ -f "$work/cap000.lbm" ] || fail "no cap000.lbm"
ilbmtoppm "$work/cap000.lbm" >"$work/cap.ppm" 2>/dev/null || fail "cap000.lbm does not decode"
[ -n "$KEEP_PNG" ] && pnmtopng "$work/cap.ppm" >"$KEEP_PNG"
colours() { pamcut "$1" "$2" "$3" "$4" "$work/cap.ppm" | ppmhist -noheader | wc -l; }
header=$(colours 32 24 576 12)
field=$(colours 32 60 576 360)
palette=$(colours 128 450 384 26)
white=$(pamcut 128 450 384 26 "$work/cap.ppm" | ppmhist -noheader | awk '$1 == 255 && $2 == 255 && $3 == 255 { print $5 }')
echo "header colours=$header field colours=$field palette colours=$palette white pixels in the palette row=${white:-0}"
[ "$header" -eq 2 ] && [ "$field" -gt 20 ] && [ "$palette" -gt 10 ] && [ "${white:-0}" -ge 100 ] || fail "the screenshot does not show the editor"
