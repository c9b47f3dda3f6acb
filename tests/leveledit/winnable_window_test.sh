#!/bin/sh
# "Is it winnable?" in a real X window: F3 on level 1, V, and the answer
# (the log's line and a centred message on the top line of a screenshot);
# V again plays the way out, Escape ends it, Alt+W writes level 1 with the
# way out as its movie, which vbltool verify replays to the exit.
# A second argument names a PNG file to keep the screenshot in.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
programs_beside "$1"
KEEP_PNG=${2:-}

begin_window_test

start_game -w -q || fail "no window titled ZuzEzodov"
alt_key() { xdotool keydown Alt_L; sleep 0.1; xdotool key "$1"; sleep 0.1; xdotool keyup Alt_L; sleep 0.3; }

key space   # the main menu
key F3      # the level editor, level 1
key v       # is it winnable?
answer=""
for _ in $(seq 300); do
    answer=$(grep "^Level 1 in the editor: " "$work/VRBXINFO.LOG" 2>/dev/null)
    [ -n "$answer" ] && break
    sleep 0.2
done
echo "$answer"
echo "$answer" | grep -q "winnable, a way out of [0-9]* ticks" || fail "no way out found on level 1"
key Print   # cap000.lbm: the answer on the top line
key v       # the way out played
sleep 1
key Escape  # back in the editor
alt_key w   # level 1 written with its way out
key Escape  # leave: play the written level
sleep 0.5
alt_key x
for _ in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
kill -0 $game 2>/dev/null && fail "Alt+X did not end the game"
wait $game
status=$?
game=""
[ $status -eq 0 ] || fail "status $status"

"$VBLTOOL" verify "$work/home/.zuzezodov/levels.vbl" >"$work/verify" || fail "vbltool verify: $(cat "$work/verify")"
grep -q "^level=1 outcome=exit" "$work/verify" || fail "level 1 has no winning movie: $(cat "$work/verify")"

# The screenshot: the top line holds a centred message (its first eight
# columns blank, unlike the header's LEVEL 0001) in two colours.
[ -f "$work/cap000.lbm" ] || fail "no cap000.lbm"
ilbmtoppm "$work/cap000.lbm" >"$work/cap.ppm" 2>/dev/null || fail "cap000.lbm does not decode"
[ -n "$KEEP_PNG" ] && pnmtopng "$work/cap.ppm" >"$KEEP_PNG"
colours() { pamcut "$1" "$2" "$3" "$4" "$work/cap.ppm" | ppmhist -noheader | wc -l; }
left=$(colours 32 24 40 12)
line=$(colours 32 24 576 12)
echo "top line colours=$line, in its first five columns=$left"
[ "$left" -eq 1 ] && [ "$line" -eq 2 ] || fail "the screenshot shows no message on the top line"
