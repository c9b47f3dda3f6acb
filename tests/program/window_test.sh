#!/bin/sh
# The game in a real X window: start it with -w -q under Xvfb, let the
# demonstration run, SPACE for the menu, F4 to play, a few steps, the
# screenshot key, then a quick tap of Alt+X: status 0, "End." last, and a
# screenshot that decodes and shows the play field.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
VORBIX=$1

begin_window_test

mkdir -p "$work/home"
ln -s "$(cd "$(dirname "$VORBIX")" && pwd)/data" "$work/data"   # the generated data
cd "$work" && HOME="$work/home" "$VORBIX" -w -q >"$work/out" 2>"$work/err" &
game=$!

find_game_window || { echo "no window titled ZuzEzodov"; cat "$work/out" "$work/err"; kill $game; exit 1; }
size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$size" = "640x480" ] || { echo "window geometry $size, expected 640x480"; kill $game; exit 1; }

sleep 1   # let the demonstration run
xdotool windowfocus --sync "$window"
sleep 0.3
key() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.3; }
key space   # the main menu
key F4      # play
xdotool keydown Right; sleep 0.6; xdotool keyup Right
key Print   # the screenshot key: cap000.lbm in the working directory
# A quick tap: xdotool presses and releases Alt and x within a few
# milliseconds, so Alt is up again before the frame looks at the x.
xdotool key alt+x

for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
if kill -0 $game 2>/dev/null; then echo "Alt+X did not end the game"; kill $game; exit 1; fi
wait $game
status=$?
last=$(tail -n 1 "$work/out")
echo "status=$status last line: $last"
[ $status -eq 0 ] && [ "$last" = "End." ] || exit 1

# The screenshot decodes with netpbm and shows the play field, not a blank.
[ -f "$work/cap000.lbm" ] || { echo "no cap000.lbm"; exit 1; }
ilbmtoppm "$work/cap000.lbm" > "$work/cap.ppm" 2>/dev/null || { echo "cap000.lbm does not decode"; exit 1; }
size=$(head -c 20 "$work/cap.ppm" | sed -n 2p)
[ "$size" = "640 480" ] || { echo "screenshot size $size"; exit 1; }
colours=$(ppmhist -noheader "$work/cap.ppm" | wc -l)
echo "screenshot colours: $colours"
[ "$colours" -gt 20 ]
