#!/bin/sh
# Installs the Debian packages that the build, the data, the tests and the
# package check need, on a machine that may have nothing but a shell: no
# make, no compiler, no pkg-config. Only what is missing is installed, so a
# second run costs one dpkg query.
#
#   tools/setup.sh [PACKAGE...]    the project's packages and these extra ones
#
# It prints one line per step; apt's own output goes to SETUP_LOG (default
# build/setup.log) and is shown only when a step fails.
set -u
cd "$(dirname "$0")/.." || exit 1

PACKAGES="make cmake g++ clang pkg-config file libsdl1.2-compat-dev libgtest-dev \
libbenchmark-dev libpng-dev netpbm sox xvfb xdotool x11-apps valgrind python3 \
binutils dpkg-dev desktop-file-utils appstream man-db mandoc lintian $*"
LOG=${SETUP_LOG:-build/setup.log}

say()
{
    echo "setup: $*"
}

missing=""
count=0
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
        count=$((count + 1))
    fi
done
[ "$count" -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        say "$count packages are missing:$missing"
        say "run this as root, or install sudo, to install them"
        exit 1
    fi
    SUDO="sudo"
fi

mkdir -p "$(dirname "$LOG")" || exit 1
: >"$LOG" || exit 1

# Runs one step with its output in the log; on failure the log's end is shown.
step()
{
    if ! "$@" >>"$LOG" 2>&1; then
        say "failed: $*"
        say "the last lines of $LOG:"
        tail -n 40 "$LOG"
        exit 1
    fi
}

export DEBIAN_FRONTEND=noninteractive
say "updating the package lists…"
step $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update
total=$($SUDO apt-get -s install $missing 2>/dev/null | grep -c '^Inst ')
say "installing $total packages (for$missing)…"
step $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
say "done (apt's output is in $LOG)"
