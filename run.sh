#!/bin/sh
# Starts the game in a window: installs what this machine is missing (make,
# the compiler, the libraries; root or sudo needed for that), builds, runs.
set -e
cd "$(dirname "$0")"
tools/setup.sh
exec make --no-print-directory run
