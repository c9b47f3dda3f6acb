#!/bin/sh
# Tries the README's two commands where nothing is installed: a new minimal
# Debian 12 root (debootstrap --variant=minbase) with git and ca-certificates
# only, the repository cloned into it, then
#   ./test.sh                   every test, nothing skipped for a missing tool
#   ./run.sh                    under an Xvfb of this machine, until the
#                               game's window shows the demonstration
#   make deb                    the package, with its checks
# and the package installed, its dependencies pulled by apt, in a second new
# root. Each step prints its time; the packages each root gained are counted.
#
#   tools/fresh_check.sh [OUTPUT_DIR]     (as root; default build/fresh-check)
#
# The mirror is the one this machine's apt uses; nothing about it is written
# into the repository. It clones the committed HEAD, not the work tree.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/build/fresh-check}
suite=bookworm

fail()
{
    echo "FAIL: $*"
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "run as root (debootstrap and chroot need it)"
"$repo/tools/setup.sh" debootstrap || fail "the set-up of this machine failed"

# The first Debian mirror this machine's apt names (deb822 or one-line form).
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ { print $2; exit }')
[ -n "$mirror" ] || mirror=$(cat /etc/apt/sources.list 2>/dev/null |
    awk '$1 == "deb" && $0 ~ / '$suite' / { print $2; exit }')
[ -n "$mirror" ] || fail "no Debian mirror in this machine's apt sources"

mkdir -p "$out" || exit 1
work=$(mktemp -d /var/tmp/vorbix-fresh.XXXXXX) || exit 1
root=$work/root
root2=$work/root2
xvfb_pid=""
game_pid=""

unmount_all()
{
    for r in "$root" "$root2"; do
        for m in tmp/.X11-unix dev/pts dev sys proc ""; do
            mountpoint -q "$r/$m" 2>/dev/null && umount -l "$r/$m"
        done
    done
}
cleanup()
{
    [ -n "$game_pid" ] && kill -- -"$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    unmount_all
    # Never remove a root while anything of this machine is still mounted
    # in it: the bind mount of /dev would take the machine's devices along.
    if grep -q " $work/" /proc/mounts; then
        echo "left $work in place: it still holds mounts"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Runs a step with its output in $out/NAME.log, printing its time; on
# failure the log's end is shown.
step()
{
    name=$1
    shift
    start=$(date +%s)
    printf '%-28s' "$name…"
    if "$@" >"$out/$name.log" 2>&1; then
        echo " $(($(date +%s) - start)) s"
    else
        echo " failed after $(($(date +%s) - start)) s; the last lines of $out/$name.log:"
        tail -n 60 "$out/$name.log"
        exit 1
    fi
}

mount_root()
{
    # The root bound onto itself is a mount point, as / is on a real
    # machine: the tests that make a mount namespace need that.
    mount --bind "$1" "$1" && mount -t proc proc "$1/proc" && mount -t sysfs sys "$1/sys" &&
        mount --bind /dev "$1/dev" && mount --bind /dev/pts "$1/dev/pts" &&
        mkdir -p /tmp/.X11-unix "$1/tmp/.X11-unix" && chmod 1777 /tmp/.X11-unix &&
        mount --bind /tmp/.X11-unix "$1/tmp/.X11-unix"
}

# A command in a root, with a clean environment as a login would give.
in_root()
{
    r=$1
    shift
    chroot "$r" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games \
        LANG=C.UTF-8 TERM=dumb ${DISPLAY:+DISPLAY=$DISPLAY} /bin/sh -c "$*"
}

packages() { chroot "$1" dpkg-query -W -f='${Status}\n' | grep -c 'install ok installed'; }

echo "mirror $mirror, roots in $work, logs in $out"
step debootstrap debootstrap --variant=minbase "$suite" "$root" "$mirror"
# The second root, for the package, starts from the same new system.
step copy-root cp -a "$root" "$root2"
base=$(packages "$root")
step mount mount_root "$root"
step git+ca-certificates in_root "$root" "apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y git ca-certificates"
before=$(packages "$root")
step clone git clone -q "$repo" "$root/root/vorbix"

step test.sh in_root "$root" "cd /root/vorbix && ./test.sh"
after=$(packages "$root")
# ctest's own marks for a test it skipped or could not run.
grep -E '\*\*\*(Skipped|Not Run)' "$out/test.sh.log" | head -n 5
grep -E 'tests passed|tests failed' "$out/test.sh.log"

# The run command in a window: an Xvfb of this machine, its socket shared
# with the root, until the game's window appears; then a screenshot of it.
display_file=$work/display
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || fail "Xvfb did not start"
DISPLAY=":$(cat "$display_file")"
export DISPLAY
start=$(date +%s)
printf '%-28s' "run.sh (window)…"
setsid chroot "$root" /usr/bin/env -i HOME=/root \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/games LANG=C.UTF-8 DISPLAY="$DISPLAY" \
    /bin/sh -c "cd /root/vorbix && ./run.sh" >"$out/run.sh.log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 600); do
    window=$(xdotool search --name '^ZuzEzodov$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.2
done
[ -n "$window" ] || { echo " no window"; tail -n 40 "$out/run.sh.log"; exit 1; }
# The demonstration draws within a few seconds of the window's appearance.
colours=0
for _ in $(seq 60); do
    # The whole screen: SDL's window has a visual of its own, which xwd
    # reads back with red and blue swapped.
    xwd -silent -root | xwdtopnm 2>/dev/null >"$work/window.ppm"
    colours=$(ppmhist -noheader "$work/window.ppm" 2>/dev/null | wc -l)
    [ "$colours" -gt 20 ] && break
    sleep 0.5
done
pnmtopng "$work/window.ppm" >"$out/run-window.png" 2>/dev/null
echo " $(($(date +%s) - start)) s, window $window, $colours colours, $out/run-window.png"
kill -- -"$game_pid" 2>/dev/null
game_pid=""
[ "$colours" -gt 20 ] || fail "the window shows no demonstration"

step make-deb in_root "$root" "cd /root/vorbix && make deb"
tail -n 4 "$out/make-deb.log"
deb=$(ls "$root"/root/vorbix/build-deb/package/vorbix_*.deb)
cp "$deb" "$out/" || exit 1

step mount-second-root mount_root "$root2"
cp "$deb" "$root2/tmp/" || exit 1
step install-package in_root "$root2" "apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y /tmp/$(basename "$deb")"
installed=$(packages "$root2")
step installed-game in_root "$root2" "vorbix --version && vbltool list /usr/share/sdl_vorbix/levels.vbl | tail -n 1 && ls /usr/share/man/man6/vorbix.6.gz /usr/share/doc/vorbix/copyright"
cat "$out/installed-game.log"

echo "packages: $base after debootstrap, $before with git and ca-certificates," \
    "$after after ./test.sh ($((after - before)) installed by the set-up);" \
    "$installed in the second root with the package ($((installed - base)) pulled by apt)"
echo "fresh check passed"
