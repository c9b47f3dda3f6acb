#!/bin/sh
# Runs every test: installs what this machine is missing (make, the compiler,
# the libraries and the test tools; root or sudo needed for that), builds,
# then runs the whole suite.
set -e
cd "$(dirname "$0")"
tools/setup.sh
exec make --no-print-directory test
