#!/bin/sh
# Installs the Debian packages the browser build and its tests need:
# emscripten (em++ and its SDL), headless chromium and the DevTools client.
# Only what is missing is installed.
set -e
PACKAGES="emscripten chromium python3-websocket"
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
