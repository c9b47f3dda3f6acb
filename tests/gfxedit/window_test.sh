#!/bin/sh
# The graphics editor in a real X window: F2, pick the frame's top-left
# corner (cell 72) in the chooser, draw a short white line into it in the
# zoom with the mouse, a screenshot, Shift+S, Escape, Alt+X. The saved
# picture is in the user directory and holds the line; the next start of the
# game (a new process, same HOME) draws the corner with it.
# Usage: window_test.sh VORBIX [DIR to keep the screenshots in]
set -u
. "$(dirname "$0")/../support/xvfb.sh"
programs_beside "$1"
KEEP=${2:-}

begin_window_test

mkdir -p "$work/home"
ln -s "$(cd "$(dirname "$VORBIX")" && pwd)/data" "$work/data"

# Starts the game and waits for its window; sets $game and $window.
start_game() {
    (cd "$work" && exec env HOME="$work/home" "$VORBIX" -w -q >>"$work/out" 2>>"$work/err") &
    game=$!
    find_game_window || { echo "no window"; cat "$work/out" "$work/err"; exit 1; }
    sleep 0.8
    xdotool windowfocus --sync "$window"
    sleep 0.3
}

# Ends the game with Alt+X (held across a frame) and checks its exit.
stop_game() {
    xdotool keydown Alt_L; sleep 0.1; xdotool key x; sleep 0.1; xdotool keyup Alt_L
    for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
    if kill -0 $game 2>/dev/null; then echo "Alt+X did not end the game"; exit 1; fi
    wait $game
    status=$?
    game=""
    [ $status -eq 0 ] || { echo "game ended with status $status"; cat "$work/err"; exit 1; }
}

key() { xdotool key --delay 150 "$@"; sleep 0.3; }
# Moves the pointer inside the window, then waits a few frames.
move() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.12; }

start_game
key F2
# Cell 72 is column 0, row 6 of the chooser.
move 76 194
xdotool mousedown 1; sleep 0.15; xdotool mouseup 1; sleep 0.2
# Zoom pixels (4, 10) to (9, 10): x 381 + 8c + 3, y 33 + 80 + 3.
move 416 116
xdotool mousedown 1; sleep 0.12
for c in 5 6 7 8 9; do move $((381 + 8 * c + 3)) 116; done
xdotool mouseup 1; sleep 0.2
move 470 170   # the pointer rests in the zoom, as a player's does
key Print      # the editor's screen: cap000.lbm
xdotool keydown shift; sleep 0.1; xdotool key s; sleep 0.1; xdotool keyup shift; sleep 0.3
key Escape
sleep 0.5
stop_game

# The shipped corner is not white there, so the line is the editor's.
row10() { pnmcut -left "$2" -top "$3" -width 6 -height 1 "$1" | pnmnoraw | tail -n +4 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
WHITE6="255 255 255 255 255 255 255 255 255 255 255 255 255 255 255 255 255 255"
ilbmtoppm "$work/data/redbrick.lbm" >"$work/shipped.ppm" 2>/dev/null
[ "$(row10 "$work/shipped.ppm" 4 154)" != "$WHITE6" ] || { echo "the shipped corner is white already"; exit 1; }

saved="$work/home/.zuzezodov/redbrick.lbm"
[ -f "$saved" ] || { echo "no redbrick.lbm in the user directory"; ls -la "$work/home/.zuzezodov"; exit 1; }
ilbmtoppm "$saved" >"$work/saved.ppm" 2>/dev/null || { echo "the saved set does not decode"; exit 1; }
# Pixels (4..9, 154) of the set: cell 72's row 10. White in the set's palette.
line=$(row10 "$work/saved.ppm" 4 154)
[ "$line" = "$WHITE6" ] ||
    { echo "saved cell 72 row 10: $line"; exit 1; }

# The next start draws the frame corner at (8, 36) with the line at row 10.
start_game
sleep 0.5
key Print      # the demonstration: cap001.lbm
stop_game
[ -f "$work/cap001.lbm" ] || { echo "no screenshot of the second start"; exit 1; }
ilbmtoppm "$work/cap001.lbm" >"$work/next.ppm" 2>/dev/null || { echo "screenshot does not decode"; exit 1; }
line=$(row10 "$work/next.ppm" 12 46)
[ "$line" = "$WHITE6" ] ||
    { echo "frame corner row 10 after a new start: $line"; exit 1; }
if [ -n "$KEEP" ]; then
    mkdir -p "$KEEP"
    for f in cap000 cap001; do ilbmtoppm "$work/$f.lbm" 2>/dev/null | pnmtopng >"$KEEP/$f.png"; done
fi
echo "saved set and next start draw the edited corner"
