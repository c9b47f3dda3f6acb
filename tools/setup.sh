#!/bin/sh
# Installs the Debian packages the build, the data and the tests need.
# Only what is missing is installed, so a second run costs one dpkg query.
set -e
PACKAGES="cmake make g++ clang libsdl1.2-compat-dev libgtest-dev libbenchmark-dev libpng-dev \
netpbm sox xvfb xdotool x11-apps valgrind python3 binutils \
dpkg-dev desktop-file-utils appstream man-db mandoc"
missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
