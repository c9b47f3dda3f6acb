# Shared by the real-window tests (sourced): an Xvfb of their own and the
# game's window, in a temporary folder $work.

# Starts Xvfb on a free display and points DISPLAY at it; false if it did
# not come up. -noreset: by default the server resets itself when its last
# client leaves, and a game started again at that moment cannot open the
# display; SDL then falls back to a driver without a window and the game runs
# unseen.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || return 1
    unset SDL_VIDEODRIVER
    # Under AddressSanitizer: the X and GL libraries SDL loads and unloads
    # leave leaks in modules that no longer exist to be named or suppressed;
    # the headless tests check the program's own leaks.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    export DISPLAY=":$(cat "$work/display")"
}

# Sets VORBIX to the game given (made absolute, since the tests run it from
# $work) and VBLTOOL to the vbltool built beside it.
programs_beside() {
    bin_dir=$(cd "$(dirname "$1")" && pwd)
    VORBIX="$bin_dir/$(basename "$1")"
    VBLTOOL="$bin_dir/vbltool"
}

# Ends the test with a message and what the game printed and logged.
fail() { echo "$*"; cat "$work/out" "$work/err" "$work/VRBXINFO.LOG" 2>/dev/null; exit 1; }

# Makes $work and starts Xvfb; on exit the game goes before its X server, so
# no game is left waiting on a display that is gone, then $work. Ends the
# test when Xvfb does not come up.
begin_window_test() {
    work=$(mktemp -d)
    game=""
    xvfb_pid=""
    trap '[ -n "$game" ] && kill -9 $game 2>/dev/null; [ -n "$xvfb_pid" ] && kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
    start_xvfb || { echo "Xvfb did not start"; exit 1; }
}

# Waits up to ten seconds for the game's window; sets $window, false if none.
# SDL may create a window and then replace it while it sets up its renderer
# (without GL under Xvfb it falls back to another one), so the first window
# found can be gone a moment later: a window counts once it is still the one
# found after a short pause and its geometry can be read.
find_game_window() {
    window=""
    for _ in $(seq 100); do
        found=$(xdotool search --name '^ZuzEzodov$' 2>/dev/null | head -n 1)
        if [ -n "$found" ]; then
            sleep 0.3
            again=$(xdotool search --name '^ZuzEzodov$' 2>/dev/null | head -n 1)
            if [ "$found" = "$again" ] && xdotool getwindowgeometry "$found" >/dev/null 2>&1; then
                window=$found
                return 0
            fi
        fi
        sleep 0.1
    done
    return 1
}

# Starts the game ($VORBIX with the given arguments) in $work, with a home of
# its own and the generated data beside it, its output in $work/out and
# $work/err; sets $game and $window and gives the window the focus. False
# when no window came.
start_game() {
    mkdir -p "$work/home"
    ln -s "$(cd "$(dirname "$VORBIX")" && pwd)/data" "$work/data"
    (cd "$work" && HOME="$work/home" exec "$VORBIX" "$@" >"$work/out" 2>"$work/err") &
    game=$!
    find_game_window || return 1
    sleep 0.5
    xdotool windowfocus --sync "$window"
    sleep 0.3
}

# A key pressed and released as a hand does it.
key() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.3; }
